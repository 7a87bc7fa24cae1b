// The user's own folder for the program's files (nothing of ours writes
// there yet): code-page-936 text without a separator at its end, as the file
// calls take it. It is named, not made.
//
//   Windows   %LOCALAPPDATA%\Linkpeel     C:\Users\ann\AppData\Local\Linkpeel
//   POSIX     $XDG_DATA_HOME/linkpeel     (~/.local/share/linkpeel when that is
//                                          unset or relative)
//
// "" when the base is unknown, or when its name has a character that code
// page 936 lacks (a path with a stand-in character would be another folder).
#pragma once

#include <string>

std::string DataFolder();
