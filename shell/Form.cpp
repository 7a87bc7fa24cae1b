#include "shell/Form.h"

#include <string>

#include "platform/MessageBox.h"
#include "platform/ShellExecute.h"
#include "resolve/ShareFormats.h"
#include "shell/ResolveAction.h"

Text HomePageAddress() { return Text(std::string("http://") + kMakerWebAddress + "/"); }

Text WindowCaption() { return Text(std::string("Linkpeel - Selvo (") + kMakerWebAddress + ")"); }

std::vector<ControlRow> ControlTable() {
  const TextColour black = {0, 0, 0};
  return {
      {"按钮3", ControlKind::PushButton, 341, 328, 96, 20, "退出"_cp936, CloseMainWindow},
      {"标签1", ControlKind::Label, 159, 328, 126, 24, "Selvo'zu 2014/3/18", nullptr, false},
      {"按钮1", ControlKind::PushButton, 8, 328, 96, 20, "关于"_cp936, ShowAbout},
      {"图片框1", ControlKind::PictureBox, -3, 0, 450, 120, {}, OpenHomePage},
      {"透明标签4", ControlKind::TransparentLabel, 13, 176, 127, 19, {}, nullptr, true, black},
      {"透明标签3", ControlKind::TransparentLabel, 260, 176, 150, 18, {}, nullptr, true, black},
      {"透明标签2", ControlKind::TransparentLabel, 153, 176, 95, 19, {}, nullptr, true, black},
      {"透明标签1", ControlKind::TransparentLabel, 13, 157, 410, 19, {}, nullptr, true, {255, 80, 128}},
      {"按钮2", ControlKind::PushButton, 336, 128, 88, 24, "解析"_cp936, ResolveShareLink},
      {"编辑框5", ControlKind::MultiLineEditBox, 8, 198, 428, 128, {}},
      {"编辑框2", ControlKind::EditBox, 24, 128, 304, 24, ConcatText("http://", kShareServiceHost, "/s/1i3n3O01")},
  };
}

void ShowAbout() {
  Text about = "本软件由 Selvo制作，感谢您的支持！\r\n您可以点击logo进入我的个人网站哟！"_cp936;
  MessageBoxA(nullptr, about.c_str(), "信息："_cp936.c_str(), MB_OK | MB_TASKMODAL);
}

void OpenHomePage() {
  ShellExecuteA(nullptr, "open", HomePageAddress().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
