// The skin installation: the main window's created handler.
#pragma once

// Writes the skin engine's library "jedata.dll" and the skin file "win8.she"
// into the user's own folder (Skin.cpp says where, and why not the Windows
// directory), then attaches the skin through the library's SkinH_AttachEx,
// bound at this first call. Failed writes are ignored (the files in place are
// used); a library or function that cannot be found is the fatal run-time
// error. Runs once, on the GUI thread, with the window toolkit up.
void InstallSkin();
