// Any bytes as a share page and as the download answer: the pipeline's page half
// and the link cut must give values, never crash, hang or read out of bounds.
#include <cstddef>
#include <cstdint>

#include "resolve/Resolve.h"
#include "text/Markers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Bytes body(data, size);
  DownloadRequest request = BuildDownloadRequest(ReadSharePage(body));
  Text link = CutDownloadLink(BytesToText(body));
  Text value = HeaderValue(BytesToText(body));
  return static_cast<int>(request.address.size() + link.size() + value.size()) & 0;
}
