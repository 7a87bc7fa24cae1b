// linkpeel-resolve: the share-address resolver for terminals and scripts.
//
//   linkpeel-resolve [--json | --aria2] [--download [--output-dir DIR]] ADDRESS...
//                                            ADDRESS "-" reads addresses from
//                                            standard input, one a line
//
// Each address is resolved in order, in one process (so cookies carry over as
// they do in the window). Plain output is one line per address: the link, or
// an empty line where there is none, and then standard error says why in a
// line of its own. --json prints one object a line instead, with the reason
// as "error" (null when a link came);
// --aria2 an input file for the aria2 download manager. --download also
// fetches each file into DIR, with a progress line on standard error when
// that is a terminal. Terminal text is UTF-8; inside, everything is code page
// 936.
//
// Exit status: 0 when every address gave a link (and, with --download, its
// file), 1 when any did not, 2 for a usage error.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/Progress.h"
#include "platform/Console.h"
#include "platform/Terminal.h"
#include "resolve/NoLinkReason.h"
#include "resolve/Resolve.h"
#include "resolve/SafeFileName.h"
#include "text/CodePageText.h"
#include "web/Download.h"

namespace {

constexpr std::string_view kUsage =
    "usage: linkpeel-resolve [--json | --aria2] [--download [--output-dir DIR]] ADDRESS...   "
    "(ADDRESS - reads standard input)";

enum class Format { Plain, Json, Aria2 };

struct Options {
  Format format = Format::Plain;
  bool download = false;
  std::string outputDir;  // as the user wrote it; "" is the current folder
};

Text FromTerminal(std::string_view utf8) { return Utf8ToAnsi(Text(utf8)); }

std::string ToTerminal(const Text& text) {
  return std::string(FromWide(ToWide(text, 936), 65001).view());
}

// Text from a server (the words of a status line) or from the input can carry
// terminal escape sequences; on standard error they are shown, not obeyed.
std::string Printable(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return text;
}

void PrintHelp() {
  std::cout << kUsage << "\n\n"
            << "Turns the address of a file shared on Baidu's netdisk share service into the file's\n"
               "direct download address.\n\n"
               "  --json            one JSON object a line: address, link, fileName, fileSize, shareTime, sharer,\n"
               "                    error (why there is no link; null when there is one)\n"
               "  --aria2           an input file for aria2c -i: each link with its file name (out=) and the\n"
               "                    request headers the download needs\n"
               "  --download        also download each file, under a name safe for any file system, never\n"
               "                    replacing a file; an interrupted download resumes from NAME.part\n"
               "  --output-dir DIR  where --download puts the files (default: the current folder)\n"
               "  --help            this text\n"
               "  --version         the program's version\n\n"
               "Exit status: 0 when every address gave a link (and, with --download, its file), 1 when any\n"
               "did not, 2 for a usage error.\n";
}

// One aria2 input-file entry: the link, then its options, each indented.
void PrintAria2Entry(const Text& link, const Text& fileName) {
  std::cout << ToTerminal(link) << "\n  out=" << ToTerminal(SafeFileName(fileName, link)) << '\n';
  for (const Text& line : DownloadHeaderLines(link)) std::cout << "  header=" << ToTerminal(line) << '\n';
}

// Downloads the file of one resolved address. Answers whether it is on disk.
bool DownloadAndReport(const Resolution& result, const Options& options) {
  Text name = SafeFileName(result.facts.fileName, result.link);
  HANDLE standardError = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  ProgressLine progress(GetConsoleMode(standardError, &mode) != FALSE);
  DownloadOutcome outcome =
      DownloadToFolder(result.link, FromTerminal(options.outputDir), name,
                       [&](std::int64_t bytes, std::int64_t total, std::int64_t resumedFrom) {
                         progress.Update(bytes, total, resumedFrom);
                       });
  progress.Clear();
  if (outcome.done) {
    std::cerr << "linkpeel-resolve: saved " << ToTerminal(outcome.path) << " (" << FormatBytes(outcome.bytes)
              << ")\n";
    return true;
  }
  std::cerr << "linkpeel-resolve: " << ToTerminal(result.link) << ": download failed: " << ToTerminal(outcome.reason);
  if (!outcome.path.empty()) std::cerr << " (kept " << ToTerminal(outcome.path) << " to resume)";
  std::cerr << '\n';
  return false;
}

// Resolves one address and prints its line (and downloads its file when
// asked). Answers whether all of that succeeded.
bool ResolveAndPrint(const std::string& addressUtf8, const Options& options) {
  Text address = FromTerminal(addressUtf8);
  // An empty address is not sent anywhere, as an empty input box is not.
  Resolution result = address.empty() ? Resolution{} : ResolveShareAddress(address);
  Text reason = NoLinkReason(result);
  if (options.format == Format::Json) {
    nlohmann::ordered_json line = {
        {"address", addressUtf8},
        {"link", ToTerminal(result.link)},
        {"fileName", ToTerminal(result.facts.fileName)},
        {"fileSize", ToTerminal(result.facts.fileSize)},
        {"shareTime", ToTerminal(result.facts.shareTime)},
        {"sharer", ToTerminal(result.facts.sharer)},
        {"error", nullptr},
    };
    if (!reason.empty()) line["error"] = ToTerminal(reason);
    std::cout << line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
  } else if (options.format == Format::Aria2) {
    if (!result.link.empty()) PrintAria2Entry(result.link, result.facts.fileName);
  } else {
    std::cout << ToTerminal(result.link) << '\n';
  }
  std::cout.flush();
  if (result.link.empty()) {
    std::cerr << "linkpeel-resolve: " << Printable(addressUtf8) << ": no link: " << Printable(ToTerminal(reason))
              << '\n';
    return false;
  }
  return !options.download || DownloadAndReport(result, options);
}

}  // namespace

int main(int argc, char** argv) {
  OpenTerminal();
  const std::vector<std::string> args = TerminalArguments(argc, argv);
  const std::size_t count = args.size();
  Options options;
  bool outputDirGiven = false;
  bool optionsEnded = false;
  std::vector<std::string> addresses;
  for (std::size_t i = 0; i < count; ++i) {
    std::string_view arg = args[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (arg == "--json" || arg == "--aria2")) {
      Format format = arg == "--json" ? Format::Json : Format::Aria2;
      if (options.format != Format::Plain && options.format != format) {
        std::cerr << "linkpeel-resolve: --json and --aria2 do not go together\n" << kUsage << '\n';
        return 2;
      }
      options.format = format;
    } else if (!optionsEnded && arg == "--download") {
      options.download = true;
    } else if (!optionsEnded && (arg == "--output-dir" || arg.starts_with("--output-dir="))) {
      if (arg == "--output-dir") {
        if (i + 1 >= count) {
          std::cerr << "linkpeel-resolve: --output-dir needs a folder\n" << kUsage << '\n';
          return 2;
        }
        options.outputDir = args[++i];
      } else {
        options.outputDir = arg.substr(std::string_view("--output-dir=").size());
      }
      outputDirGiven = true;
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
  if (outputDirGiven && !options.download) {
    std::cerr << "linkpeel-resolve: --output-dir goes with --download\n" << kUsage << '\n';
    return 2;
  }

  bool allLinked = true;
  for (const std::string& address : addresses) {
    if (address != "-") {
      allLinked &= ResolveAndPrint(address, options);
      continue;
    }
    std::string line;
    while (std::getline(std::cin, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      allLinked &= ResolveAndPrint(line, options);
    }
  }
  return allLinked ? 0 : 1;
}
