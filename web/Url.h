// Cutting an address into the pieces a request needs: host, port and path.
// Plain text work; nothing fails, and text that is no address still yields
// a host, a port and a path by the same steps.
#pragma once

#include <optional>

#include "text/Text.h"

// The host of `url`, lower-cased. Address mode (labelCount left out): what
// lies between the scheme and the next "/". Domain mode (labelCount given,
// 0 included): the last labelCount + 2 labels of the host (+ 1 with
// shortForm). Without keepPort the result ends before its first ":".
//
//   "HTTP://W.X.Y/Path"            => "w.x.y"      "http://x.y?k=1"     => "x.y?k=1"
//   "x.y/?u=http://z.y/"           => "z.y"        "http://u:p@x.y/p"   => "u"
//   "http://x.y:8080/q", keepPort  => "x.y:8080"   "http://v.w.x.y:8080/", shortForm => "x.y"
//   "http://v.w.x.y/q", labelCount 0 => "x.y"      labelCount 1, shortForm => "x.y"
Text UrlHost(const Text& url, bool shortForm = false, bool keepPort = false,
             std::optional<int> labelCount = std::nullopt);

// The number after the host's last ":", or 443 for an address that starts
// "https" (any case) and 80 otherwise.
//
//   "https://x.y:8443" => 8443    "http://x.y:/q" => 0    "https.x.y/q" => 443    "" => 80
int UrlPort(const Text& url);

// From the first "/" after the host to the end, query included, in the
// caller's letter case; "/" when there is none.
//
//   "http://w.x.y/s/1aB?x=Y" => "/s/1aB?x=Y"    "http://x.y?k=1" => "/"    "" => "/"
Text UrlPath(const Text& url);
