// Files that the program carries whole, taken in at build time by the
// assembler (.incbin) from a path the build gives, so that no generated
// source spells them out as numbers:
//
//   LINKPEEL_EMBED(banner, "/path/banner.jpg");  =>  bannerBegin[], bannerEnd[]
//
// Read-only data on both object formats the program is built for (ELF and
// PE/COFF); the symbols carry the target's C label prefix ("_" on 32-bit
// Windows), so that the extern "C" names below find them.
#pragma once

#if defined(_WIN32)
// The PE assembler has no section stack (.previous): back to .text, where a
// top-level asm of the compiler's begins.
#define LINKPEEL_EMBED_SECTION ".section .rdata,\"dr\"\n"
#define LINKPEEL_EMBED_PREVIOUS ".text\n"
#else
#define LINKPEEL_EMBED_SECTION ".section .rodata.linkpeel_embed,\"a\",@progbits\n"
#define LINKPEEL_EMBED_PREVIOUS ".previous\n"
#endif

#define LINKPEEL_EMBED_STRING2(x) #x
#define LINKPEEL_EMBED_STRING(x) LINKPEEL_EMBED_STRING2(x)
#define LINKPEEL_EMBED_LABEL(name) LINKPEEL_EMBED_STRING(__USER_LABEL_PREFIX__) #name

#define LINKPEEL_EMBED(name, path)                                    \
  asm(LINKPEEL_EMBED_SECTION                                          \
      ".balign 16\n"                                                  \
      LINKPEEL_EMBED_LABEL(name##Begin) ":\n"                         \
      ".incbin \"" path "\"\n"                                        \
      LINKPEEL_EMBED_LABEL(name##End) ":\n"                           \
      LINKPEEL_EMBED_PREVIOUS);                                       \
  extern "C" const char name##Begin[];                                \
  extern "C" const char name##End[]
