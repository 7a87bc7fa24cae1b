// linkpeel-resolve: the share-address resolver for terminals and scripts.
//
//   linkpeel-resolve [--json] ADDRESS...     ADDRESS "-" reads addresses from
//                                            standard input, one a line
//
// Each address is resolved in order, in one process (so cookies carry over as
// they do in the window). Plain output is one line per address: the link, or
// an empty line where there is none. --json prints one object a line instead.
// Terminal text is UTF-8; inside, everything is code page 936.
//
// Exit status: 0 when every address gave a link, 1 when any gave none, 2 for
// a usage error.
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "resolve/Resolve.h"
#include "text/PercentCodes.h"

namespace {

constexpr std::string_view kUsage = "usage: linkpeel-resolve [--json] ADDRESS...   (ADDRESS - reads standard input)";

Text FromTerminal(std::string_view utf8) { return Utf8ToAnsi(Text(utf8)); }

std::string ToTerminal(const Text& text) {
  return std::string(FromWide(ToWide(text, 936), 65001).view());
}

void PrintHelp() {
  std::cout << kUsage << "\n\n"
            << "Turns the address of a file shared on Baidu's netdisk share service into the file's\n"
               "direct download address.\n\n"
               "  --json      one JSON object a line: address, link, fileName, fileSize, shareTime, sharer\n"
               "  --help      this text\n"
               "  --version   the program's version\n\n"
               "Exit status: 0 when every address gave a link, 1 when any gave none, 2 for a usage error.\n";
}

// Resolves one address and prints its line. Answers whether a link came back.
bool ResolveAndPrint(const std::string& addressUtf8, bool json) {
  Text address = FromTerminal(addressUtf8);
  // An empty address is not sent anywhere, as an empty input box is not.
  Resolution result = address.empty() ? Resolution{} : ResolveShareAddress(address);
  if (json) {
    nlohmann::ordered_json line = {
        {"address", addressUtf8},
        {"link", ToTerminal(result.link)},
        {"fileName", ToTerminal(result.facts.fileName)},
        {"fileSize", ToTerminal(result.facts.fileSize)},
        {"shareTime", ToTerminal(result.facts.shareTime)},
        {"sharer", ToTerminal(result.facts.sharer)},
    };
    std::cout << line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
  } else {
    std::cout << ToTerminal(result.link) << '\n';
  }
  std::cout.flush();
  return !result.link.empty();
}

}  // namespace

int main(int argc, char** argv) {
  bool json = false;
  bool optionsEnded = false;
  std::vector<std::string> addresses;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && arg == "--json") {
      json = true;
    } else if (!optionsEnded && arg == "--help") {
      PrintHelp();
      return 0;
    } else if (!optionsEnded && arg == "--version") {
      std::cout << "linkpeel-resolve " LINKPEEL_VERSION "\n";
      return 0;
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      std::cerr << "linkpeel-resolve: unknown option " << arg << '\n' << kUsage << '\n';
      return 2;
    } else {
      addresses.emplace_back(arg);
    }
  }
  if (addresses.empty()) {
    std::cerr << kUsage << '\n';
    return 2;
  }

  bool allLinked = true;
  for (const std::string& address : addresses) {
    if (address != "-") {
      allLinked &= ResolveAndPrint(address, json);
      continue;
    }
    std::string line;
    while (std::getline(std::cin, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      allLinked &= ResolveAndPrint(line, json);
    }
  }
  return allLinked ? 0 : 1;
}
