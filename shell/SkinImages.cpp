// The two blocks are taken into this object file whole by the assembler, at
// build time, from the files the build has just made (the paths come from
// the build as LINKPEEL_SKIN_ENGINE_FILE and LINKPEEL_SKIN_FILE).
#include "shell/SkinImages.h"

#define LINKPEEL_EMBED(name, path)                                   \
  asm(".section .rodata." #name ",\"a\",@progbits\n"                 \
      ".balign 16\n"                                                 \
      ".type " #name "Begin, @object\n" #name "Begin:\n"             \
      ".incbin \"" path "\"\n"                                       \
      ".type " #name "End, @object\n" #name "End:\n"                 \
      ".previous\n");                                                \
  extern "C" const char name##Begin[];                               \
  extern "C" const char name##End[]

LINKPEEL_EMBED(linkpeelSkinEngine, LINKPEEL_SKIN_ENGINE_FILE);
LINKPEEL_EMBED(linkpeelSkinFile, LINKPEEL_SKIN_FILE);

const Bytes SkinEngineImage(linkpeelSkinEngineBegin, static_cast<std::size_t>(linkpeelSkinEngineEnd - linkpeelSkinEngineBegin));
const Bytes SkinFileImage(linkpeelSkinFileBegin, static_cast<std::size_t>(linkpeelSkinFileEnd - linkpeelSkinFileBegin));
