// Binding library functions by name, as kernel32 offers it: LoadLibraryA and
// GetProcAddress, over the host's shared libraries.
//
// A plain file name ("jedata.dll") is looked up in a fixed order and never in
// the current directory:
//   1. the program's own folder (the folder of /proc/self/exe);
//   2. the Windows directory, C:\Windows (Files.h says where it lives).
// The first file found is the one loaded; when it cannot be loaded, the
// answer is null. A name with a folder in it ("C:\Windows\a.dll", "/opt/a.so")
// loads that file alone.
//
// A loaded library keeps a shared lock on its file until the process ends, so
// no one can open it for writing with CreateFileA meanwhile (Files.h). A
// folder that a writer holds is waited for briefly (the new file takes its
// name when the writer closes), then what is under the name is taken. The
// file loaded is the one locked, even if a new file takes the name between.
// An ELF image cut short (its headers name parts past its end) counts as not
// loadable: mapping it would fault on the missing pages.
#pragma once

#include "platform/WinTypes.h"

using HMODULE = HINSTANCE;
// A function pointer of no particular type, cast to the real one by the caller
// (void (*)() is the type GCC accepts as generic for such casts).
using FARPROC = void (*)();

// null when no file is found or the one found cannot be loaded.
HMODULE LoadLibraryA(LPCSTR fileName);

// null for a null module or a name the library does not export.
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
