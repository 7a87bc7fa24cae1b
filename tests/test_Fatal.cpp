// The fatal run-time error as the user sees it: without a window toolkit the
// box goes to standard error as UTF-8, then the process ends with -1 (255).
#include "text/Fatal.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>

#include "text/Text.h"

namespace {

using testing::AllOf;
using testing::HasSubstr;
using testing::Not;

TEST(FatalErrorDeathTest, BoxTextInOrder) {
  EXPECT_EXIT(RaiseFatalError(0, "载入启动窗口失败"_cp936), testing::ExitedWithCode(255),
              AllOf(HasSubstr("错误\n运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n"), Not(HasSubstr("错误代码"))));
  EXPECT_EXIT(RaiseFatalError(7, ""), testing::ExitedWithCode(255),
              AllOf(HasSubstr("错误\n运行时出错!\r\n\r\n错误代码：7\r\n\r\n"), Not(HasSubstr("错误信息"))));
}

constexpr int kHugeText = 1 << 30;
constexpr const char* kChildFlag = "LINKPEEL_OUT_OF_MEMORY_CHILD";

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer reserves far more address space than any RLIMIT_AS would
// allow, and it reads its options only at start. So the child runs this test
// program again, with an allocator that answers null past 64 MiB instead of
// aborting, and only this test selected.
[[noreturn]] void AskForTooMuch() {
  setenv("ASAN_OPTIONS", "allocator_may_return_null=1:max_allocation_size_mb=64:detect_leaks=0", 1);
  setenv(kChildFlag, "1", 1);
  const char* test = testing::UnitTest::GetInstance()->current_test_info()->name();
  std::string filter = std::string("--gtest_filter=AllocatorDeathTest.") + test;
  char* argv[] = {const_cast<char*>("test_Fatal"), filter.data(), nullptr};
  execv("/proc/self/exe", argv);
  std::_Exit(3);
}
#else
[[noreturn]] void AskForTooMuch() {
  rlimit limit{};
  limit.rlim_cur = limit.rlim_max = rlim_t{512} << 20;
  if (setrlimit(RLIMIT_AS, &limit) != 0) std::_Exit(3);
  BlankText(kHugeText);
  std::_Exit(0);  // not reached when the allocation fails as it should
}
#endif

TEST(AllocatorDeathTest, FailedAllocationIsTheFatalError) {
  if (std::getenv(kChildFlag) != nullptr) {  // the re-executed child under AddressSanitizer
    BlankText(kHugeText);
    std::_Exit(0);
  }
  // The count is what the allocator was asked for: the text and its terminator.
  EXPECT_EXIT(AskForTooMuch(), testing::ExitedWithCode(255),
              AllOf(HasSubstr("错误\n运行时出错!\r\n\r\n错误信息：分配 1073741825 字节内存失败!\r\n"),
                    Not(HasSubstr("错误代码"))));
}

}  // namespace
