// One complete HTTP exchange through the platform's internet library: GET or
// POST, default request headers, optional proxy, redirects and cookies; the
// answer's body comes back whole, and its header block is taken apart for the
// redirect target and the cookies.
#pragma once

#include "text/Text.h"

// The agent every exchange sends unless its header text names another.
inline constexpr const char* kDefaultAgent =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; QX7VN; .NET CLR 2.0.50727; .NET CLR 3.0.04506.648; "
    ".NET CLR 3.5.21022)";

// The eleven parameters in their order. Every one after `url` may be left
// out. Pointers stand for the caller's variables: a null one is left out,
// which for the outputs means a throw-away variable and for `cookies` and
// `proxy` also changes what is done (they are the two whose absence counts).
//
//   url              the address; also the Referer value
//   method           1: POST; anything else: GET. Anything but 0 sends a body.
//   postText         the body as text, when `postBytes` is empty
//   cookies          in and out: sent as a Cookie line when not empty. Given
//                    (even empty): the platform's cookie store is off for this
//                    request, and the answer's cookies are merged into it.
//   returnedCookies  out: the answer's Set-Cookie pairs, "; " apart
//   extraHeaders     in and out: request header lines, "\r\n" apart; left
//                    completed with Referer, Accept, Accept-Language,
//                    Content-Type (and Cookie) lines as sent
//   location         in and out: the last "Location:" value; when there is none
//                    and it is empty, the whole header block
//   noRedirect       true: redirects are not followed
//   postBytes        in and out: the body as bytes; when empty, it receives the
//                    bytes of `postText` before they are sent
//   proxy            an http proxy as host:port; given (even empty), requests
//                    are made with the proxy list "http=" + proxy
//   rawHeaders       out: the answer's header block, or 5000 spaces when it
//                    could not be had (longer than 4999 bytes, or no answer)
//
// The result is the body, empty when nothing came. When a handle cannot be
// opened (an address holding a control byte among them) no variable is
// touched and the result is empty. HTTP status is not looked at.
//
// Afterwards the thread's last-error value (GetLastError) says why the
// exchange failed, with the platform's ERROR_INTERNET_* codes: the failing
// handle's, the send's, or a read's that broke off. An exchange that went
// through, whatever its status, leaves the value as the caller had it.
Bytes WebAccess(const Text& url, int method = 0, const Text& postText = {}, Text* cookies = nullptr,
                Text* returnedCookies = nullptr, Text* extraHeaders = nullptr, Text* location = nullptr,
                bool noRedirect = false, Bytes* postBytes = nullptr, const Text* proxy = nullptr,
                Text* rawHeaders = nullptr);
