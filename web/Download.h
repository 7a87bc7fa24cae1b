// Fetching a file into a folder through the platform's internet library,
// streamed to disk piece by piece, so the file is never held in memory.
//
// The bytes so far live in "<name>.part" beside the final name. A second run
// asks for the rest with a Range request and appends only when the answer is
// 206 with exactly the asked range; any other 2xx answer starts the part over.
// The final name appears only when the part's size is the announced length
// (or, with no length announced, when the body ended cleanly); an existing
// file is never replaced: "name (1).ext", "name (2).ext" and so on are taken.
// A failure leaves the part as it is and touches nothing else.
#pragma once

#include <cstdint>
#include <functional>

#include "text/Text.h"

// The agent text that the web access routine sends, so that the file host
// sees the client that asked for the link.
Text DownloadAgent();

// The request header lines a download of `link` needs, "\r\n" apart: the
// agent, and the link itself as Referer, as every exchange of ours names the
// address it asks for.
TextList DownloadHeaderLines(const Text& link);

struct DownloadOutcome {
  bool done = false;
  Text path;                 // the final file when done, otherwise the part (empty when none was made)
  std::int64_t bytes = 0;    // the part's or file's size at the end
  std::int64_t total = -1;   // the announced length, -1 when unknown
  Text reason;               // why it is not done, in plain words; empty when done
};

// Called after every piece written: bytes on disk, the announced total (-1
// when unknown), and whether this run resumed an earlier part.
using DownloadProgress = std::function<void(std::int64_t bytes, std::int64_t total, std::int64_t resumedFrom)>;

// Downloads `link` into `folder` as `fileName` (already safe to use as a name).
// Paths are code-page-936 text; `folder` must exist.
DownloadOutcome DownloadToFolder(const Text& link, const Text& folder, const Text& fileName,
                                 const DownloadProgress& progress = {});

// The name `fileName` takes with the counter n: 0 => itself, 1 => "a (1).txt".
//   "a.txt",2 => "a (2).txt"   "a",1 => "a (1)"   ".rc",1 => ".rc (1)"   "a.b.c",1 => "a.b (1).c"
Text NumberedFileName(const Text& fileName, int n);
