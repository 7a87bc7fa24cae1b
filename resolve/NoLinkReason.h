// Why a share address gave no link, in words a user understands, read from
// what the pipeline's two exchanges reported. The first cause on the road
// wins: the share page could not be had, it was an error answer, it held
// none of the share's values, then the same three for the download request,
// and last an answer without a link.
#pragma once

#include "resolve/Resolve.h"
#include "text/Text.h"

// Empty when the resolution has a link.
//
//   page error ERROR_INTERNET_NAME_NOT_RESOLVED   => "the name pan.baidu.com could not be resolved"
//   page status 404 "Not Found"                   => "the share page answered 404 Not Found"
//   page 200 without the share's values           => "the share page holds none of the share's values"
//   download 403 "Forbidden", errno -9            => "the download request was answered 403 Forbidden (errno -9)"
//   download 200 without dlink, errno -20         => "the service's answer holds no link (errno -20)"
Text NoLinkReason(const Resolution& resolution);

// The words for a last-error value that an exchange with `address` left:
// the common ERROR_INTERNET_* causes by name, any other as "error N".
Text ExchangeErrorWords(DWORD error, const Text& address);
