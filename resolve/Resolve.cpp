#include "resolve/Resolve.h"

#include <utility>

#include "text/PercentCodes.h"
#include "web/WebAccess.h"

ShareFacts ReadSharePage(Bytes pageBody) {
  Text pageText = PercentDecode(BytesToText(std::move(pageBody)), true);
  return CutShareFacts(pageText);
}

Resolution ResolveShareAddress(const Text& shareAddress) {
  Resolution result;
  result.facts = ReadSharePage(WebAccess(shareAddress));
  DownloadRequest request = BuildDownloadRequest(result.facts);
  Text answerText = BytesToText(WebAccess(request.address, 1, request.body));
  result.link = CutDownloadLink(answerText);
  return result;
}
