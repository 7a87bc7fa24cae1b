// Packs a skin file at build time:
//
//   make_skin_file OUT TAG=text TAG@file ...
//
// TAG=text makes a section of the text itself, TAG@file one of the file's
// bytes. Exit status 1 on any error, with nothing written.
#include <cstdio>
#include <fstream>
#include <iterator>

#include "shell/skin/SkinFile.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_skin_file OUT TAG=text|TAG@file ...\n");
    return 1;
  }
  std::vector<SkinSection> sections;
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg.size() < 5 || (arg[4] != '=' && arg[4] != '@')) {
      std::fprintf(stderr, "make_skin_file: bad section %s\n", argv[i]);
      return 1;
    }
    SkinSection section{arg.substr(0, 4), arg.substr(5)};
    if (arg[4] == '@') {
      std::ifstream in(section.payload, std::ios::binary);
      if (!in) {
        std::fprintf(stderr, "make_skin_file: cannot read %s\n", section.payload.c_str());
        return 1;
      }
      section.payload.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    sections.push_back(std::move(section));
  }
  std::string file = PackSkinFile(sections);
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  if (file.empty() || !out.write(file.data(), static_cast<std::streamsize>(file.size())) || !out.flush()) {
    std::fprintf(stderr, "make_skin_file: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
