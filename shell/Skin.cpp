// The skin installation: write the engine and the skin into the Windows
// directory, then attach. The order matters: the library is written before it
// is first loaded, and nothing binds it before the window is created.
#include "shell/Skin.h"

#include "platform/Library.h"
#include "shell/SkinImages.h"
#include "text/Fatal.h"
#include "text/Text.h"

namespace {

// A library function bound by name at its first call. One that cannot be
// found is the fatal run-time error; it does not come back.
FARPROC BindLibraryFunction(const char* libraryName, const char* functionName) {
  FARPROC function = GetProcAddress(LoadLibraryA(libraryName), functionName);
  if (function != nullptr) return function;
  Text message = "无法找到指定DLL库文件“%s”中的输出命令“%s”"_cp936;
  message = ReplaceText(message, "%s", libraryName, 1, 1, true);
  message = ReplaceText(message, "%s", functionName, 1, 1, true);
  RaiseFatalError(0, message);
}

int SkinH_AttachEx(const char* skinPath, const char* password) {
  using Attach = int (*)(const char*, const char*);
  static const auto attach = reinterpret_cast<Attach>(BindLibraryFunction("jedata.dll", "SkinH_AttachEx"));
  return attach(skinPath, password);
}

}  // namespace

void InstallSkin() {
  WriteBytesToFile("C:\\Windows\\jedata.dll", SkinEngineImage);
  WriteBytesToFile("C:\\Windows\\win8.she", SkinFileImage);
  SkinH_AttachEx("C:\\Windows\\win8.she", "");
}
