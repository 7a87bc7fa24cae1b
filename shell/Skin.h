// The skin installation: the main window's created handler.
#pragma once

// Writes the skin engine's library and the skin file into the Windows
// directory, then attaches the skin through SkinH_AttachEx of "jedata.dll",
// bound at this first call. Failed writes are ignored (the files in place are
// used); a library or function that cannot be found is the fatal run-time
// error. Runs once, on the GUI thread, with the QApplication up.
void InstallSkin();
