// The pipeline of one share address: fetch the share page, decode it, cut the
// share's facts out of it, send the download request built from them and cut
// the direct link out of the answer.
//
// There is no test between the steps: a failed exchange or a page without
// markers travels on as empty values, and the download request is sent all
// the same. The result is always filled, with empty fields where nothing was
// found.
#pragma once

#include <cstdint>

#include "platform/WinTypes.h"
#include "resolve/ShareFormats.h"
#include "text/Text.h"

// What one exchange gave, as the platform tells it. Nothing in the pipeline
// reads it; it is there to say why no link came (resolve/NoLinkReason.h).
struct ExchangeReport {
  Text address;            // as asked
  DWORD error = 0;         // the platform's last-error value after it; 0: it went through
  int status = 0;          // the final answer's status code; 0: no status line was had
  Text statusText;         // "Not Found", as the answer wrote it
  std::int64_t bodyBytes = 0;
};

struct Resolution {
  Text link;          // the direct download address, JSON escapes decoded
  ShareFacts facts;   // as cut from the decoded page
  ExchangeReport page, download;
  Text serviceErrno;  // the download answer's "errno" value as written ("-9"); empty when it has none
};

// Both exchanges block until they end. Cookies that the share page sets go
// with the download request through the process's cookie store.
Resolution ResolveShareAddress(const Text& shareAddress);

// The page-side half of the pipeline, without the network: decode the page's
// bytes (%-escapes, then UTF-8 to code page 936) and cut the facts. Takes the
// body over, so that a large page is not held twice.
ShareFacts ReadSharePage(Bytes pageBody);

// The status of a raw header block as WebAccess leaves it: the code and the
// words after it on the status line; 0 and "" for anything else.
//
//   "HTTP/1.1 404 Not Found\r\n..." => 404, "Not Found"    "HTTP/1.1 200\r\n" => 200, ""
//   5000 spaces, ""               => 0, ""                  "HTTP/1.1 abc" => 0, ""
void ReadStatusLine(const Text& rawHeaders, int& status, Text& statusText);

// The value of the answer's first "errno" key, a JSON number, as written;
// empty when there is none.
//
//   {"errno":-9,"request_id":2} => "-9"    {"errno" : 0} => "0"    {"errno":"x"} => ""
Text CutServiceErrno(const Text& answerText);
