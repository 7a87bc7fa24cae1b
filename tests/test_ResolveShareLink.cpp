// The Parse action through the window, against the stand-in share service in
// a private network namespace: type the address, click "解析", read what the
// five controls show.
#include "shell/ResolveAction.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <vector>

#include "shell/qt/ControlText.h"
#include "shell/qt/MainWindow.h"
#include "tests/e2e/ServiceLog.h"

namespace {

const char* const kResultControls[] = {"编辑框5", "透明标签1", "透明标签2", "透明标签3", "透明标签4"};

class ResolveShareLinkTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!InShareNetns()) GTEST_SKIP() << "runs only inside in_share_netns.sh";
    window_ = LoadMainWindow();
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override { delete window_.data(); }

  // Types the address into 编辑框2 as a user would and clicks 按钮2.
  void TypeAndClick(const QString& address) {
    auto* box = static_cast<QLineEdit*>(FindControl("编辑框2"));
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, address);
    QTest::mouseClick(FindControl("按钮2"), Qt::LeftButton);
  }

  std::vector<Text> Shown() {
    std::vector<Text> shown;
    for (const char* name : kResultControls) shown.push_back(GetControlText(name));
    return shown;
  }

  QPointer<QWidget> window_;
  ServiceLogMark mark_;
};

TEST_F(ResolveShareLinkTest, ShowsTheLinkAndTheFactsWithTheirPrefixes) {
  TypeAndClick("http://pan.baidu.com/s/1full");
  EXPECT_EQ(Shown(), (std::vector<Text>{
                         "http://d.pcs.baidu.com/file/9d8f?fid=807312661286537&sh=1&fn=%E5%AD%A3.pdf",
                         "季度报告 final.pdf"_cp936,
                         "文件大小：1.5M"_cp936,
                         "更新时间：2014-03-18 10:20"_cp936,
                         "分享者：张三"_cp936,
                     }));
  // What the user sees, in UTF-8 on the screen.
  EXPECT_EQ(static_cast<QLabel*>(FindControl("透明标签4"))->text(), QString::fromUtf8("分享者：张三"));
}

TEST_F(ResolveShareLinkTest, EmptyBoxChangesNothingAndSendsNothing) {
  for (const char* name : kResultControls) SetControlText(name, "before");
  TypeAndClick("");
  EXPECT_EQ(Shown(), std::vector<Text>(5, "before"));
  EXPECT_TRUE(mark_.NewRequests().empty());
}

TEST_F(ResolveShareLinkTest, MissingValuesShowBarePrefixes) {
  struct Case {
    const char* address;
    std::size_t requests;  // blanks are no address: only the download request reaches the service
  } cases[] = {{"http://pan.baidu.com/s/1bare", 2}, {"   ", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    ServiceLogMark mark;
    for (const char* name : kResultControls) SetControlText(name, "before");
    TypeAndClick(c.address);
    EXPECT_EQ(Shown(), (std::vector<Text>{"", "", "文件大小："_cp936, "更新时间："_cp936, "分享者："_cp936}));
    EXPECT_EQ(mark.NewRequests().size(), c.requests);
  }
}

TEST_F(ResolveShareLinkTest, EachClickRunsTheWholeRoad) {
  TypeAndClick("http://pan.baidu.com/s/1pct");
  QTest::mouseClick(FindControl("按钮2"), Qt::LeftButton);
  EXPECT_EQ(mark_.NewRequests().size(), 4u);
  EXPECT_EQ(GetControlText("编辑框5"), "http://d.pcs.baidu.com/file/%E5%90%8D.txt?a=%20b");  // kept as it came
}

}  // namespace
