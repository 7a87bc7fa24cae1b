// The fatal run-time error: a modal box with the caption "错误" whose text is
//
//   "运行时出错!\r\n\r\n"
//   "错误代码：" code "\r\n\r\n"        (when code is not 0)
//   "错误信息：" message "\r\n"         (when message is not empty)
//
// after which the process ends with exit code -1 (status 255 on Linux). It is
// the program's only abort. `message` is code-page-936 bytes.
#pragma once

#include <string_view>

[[noreturn]] void RaiseFatalError(int code, std::string_view message);
