// The pipeline of one share address: fetch the share page, decode it, cut the
// share's facts out of it, send the download request built from them and cut
// the direct link out of the answer.
//
// There is no test between the steps: a failed exchange or a page without
// markers travels on as empty values, and the download request is sent all
// the same. The result is always filled, with empty fields where nothing was
// found.
#pragma once

#include "resolve/ShareFormats.h"
#include "text/Text.h"

struct Resolution {
  Text link;          // the direct download address, JSON escapes decoded
  ShareFacts facts;   // as cut from the decoded page
};

// Both exchanges block until they end. Cookies that the share page sets go
// with the download request through the process's cookie store.
Resolution ResolveShareAddress(const Text& shareAddress);

// The page-side half of the pipeline, without the network: decode the page's
// bytes (%-escapes, then UTF-8 to code page 936) and cut the facts. Takes the
// body over, so that a large page is not held twice.
ShareFacts ReadSharePage(Bytes pageBody);
