// The two byte blocks the program carries: our skin engine's library, as the
// build made it, and the Windows 8 skin file.
#pragma once

#include "text/Text.h"

extern const Bytes SkinEngineImage;  // a shared library exporting SkinH_AttachEx
extern const Bytes SkinFileImage;    // a skin file, beginning ".SHE"
