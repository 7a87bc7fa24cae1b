// The skin installation: write the engine and the skin, then attach. The
// order matters: the library is written before it is first loaded, and
// nothing binds it before the window is created.
//
// Where the two files go. On Windows they go to the user's own folder,
// %LOCALAPPDATA%\Linkpeel, made when missing, and the library is loaded by its
// full path from there. The Windows directory, where they were once meant to
// go, cannot be written by a normal user on any Windows since Vista (every
// first start would end in the fatal error), and a library looked up by its
// plain name through the search path may be one that someone planted in a
// folder of that path. A second copy started while the first runs cannot
// write over the library, which Windows keeps locked while it is loaded: that
// write gives false and the copy goes on with the library in place.
//
// Here, the files go to the stand-in Windows directory, which lives in the
// user's own data folder already (platform/Files.h), and the library is looked
// up by its plain name in the program's folder and that directory.
#include "shell/Skin.h"

#include <string>

#include "platform/Library.h"
#include "shell/SkinImages.h"
#include "text/Fatal.h"
#include "text/Text.h"

#if defined(_WIN32)
#include "platform/DataFolder.h"
#include "platform/Files.h"
#endif

namespace {

constexpr char kLibraryName[] = "jedata.dll";
constexpr char kFunctionName[] = "SkinH_AttachEx";

struct SkinPlaces {
  Text library;  // where the library is written
  Text skin;     // where the skin file is written
  Text load;     // what the library is loaded by
};

SkinPlaces Places() {
#if defined(_WIN32)
  std::string folder = DataFolder();
  // No folder (LOCALAPPDATA unset, or a name code page 936 cannot hold):
  // nothing is written and nothing loads, which is the fatal error below.
  if (folder.empty()) return {};
  CreateDirectoryA(folder.c_str(), nullptr);  // one that exists already is fine
  Text library(folder + "\\" + kLibraryName);
  return {library, Text(folder + "\\win8.she"), library};
#else
  return {"C:\\Windows\\jedata.dll", "C:\\Windows\\win8.she", kLibraryName};
#endif
}

// A library function bound at its first call. One that cannot be found is
// the fatal run-time error, which names the library by its file name; it does
// not come back.
FARPROC BindLibraryFunction(const Text& load, const char* functionName) {
  FARPROC function = GetProcAddress(LoadLibraryA(load.c_str()), functionName);
  if (function != nullptr) return function;
  Text message = "无法找到指定DLL库文件“%s”中的输出命令“%s”"_cp936;
  message = ReplaceText(message, "%s", kLibraryName, 1, 1, true);
  message = ReplaceText(message, "%s", functionName, 1, 1, true);
  RaiseFatalError(0, message);
}

int SkinH_AttachEx(const Text& load, const char* skinPath, const char* password) {
  // The engine's export has the C calling convention. Windows' FARPROC is a
  // stdcall pointer on 32 bits; it goes through void (*)(), the type GCC
  // takes as generic, on its way to the real one.
  using Attach = int (*)(const char*, const char*);
  static const auto attach =
      reinterpret_cast<Attach>(reinterpret_cast<void (*)()>(BindLibraryFunction(load, kFunctionName)));
  return attach(skinPath, password);
}

}  // namespace

void InstallSkin() {
  SkinPlaces places = Places();
  WriteBytesToFile(places.library, SkinEngineImage);
  WriteBytesToFile(places.skin, SkinFileImage);
  SkinH_AttachEx(places.load, places.skin.c_str(), "");
}
