// The two blocks are taken into this object file whole by the assembler, at
// build time, from the files the build has just made (the paths come from
// the build as LINKPEEL_SKIN_ENGINE_FILE and LINKPEEL_SKIN_FILE).
#include "shell/SkinImages.h"

#include "shell/Embed.h"

LINKPEEL_EMBED(linkpeelSkinEngine, LINKPEEL_SKIN_ENGINE_FILE);
LINKPEEL_EMBED(linkpeelSkinFile, LINKPEEL_SKIN_FILE);

const Bytes SkinEngineImage(linkpeelSkinEngineBegin, static_cast<std::size_t>(linkpeelSkinEngineEnd - linkpeelSkinEngineBegin));
const Bytes SkinFileImage(linkpeelSkinFileBegin, static_cast<std::size_t>(linkpeelSkinFileEnd - linkpeelSkinFileBegin));
