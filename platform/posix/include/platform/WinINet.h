// WinINet: the seven operations of the platform's internet library that the
// web access routine uses, with the platform's names and constants. Behind
// them stands libcurl, loaded by InternetOpenA; nothing else in the program
// includes it.
//
//   InternetOpenA      an internet handle: the agent and the proxy settings.
//   InternetConnectA   a connection handle: host and port. No network yet;
//                      null for an empty host or one holding a control byte.
//   HttpOpenRequestA   a request handle: verb, object ("" is "/", spaces go
//                      as %20) and flags. No network yet; null for an object
//                      holding a control byte (0x01-0x1F, 0x7F).
//   HttpSendRequestA   the exchange itself, up to the final answer's headers.
//   InternetReadFile   the body, streamed; TRUE with a count of 0 at its end.
//   HttpQueryInfoA     the final answer's raw headers, status code and text,
//                      and Content-Length.
//   InternetCloseHandle
//
// A call that fails (null or FALSE) stores why in the thread's last-error
// value (GetLastError, platform/LastError.h); a call that succeeds leaves it
// as it was. The causes and their codes:
//
//   not a live handle, or a null one               ERROR_INVALID_HANDLE
//   a live handle of another kind                  ERROR_INTERNET_INCORRECT_HANDLE_TYPE
//   an empty host, a control byte in the host, the
//     object or the verb                           ERROR_INTERNET_INVALID_URL
//   a host name that cannot be resolved, or one
//     under "invalid." (never asked of DNS)        ERROR_INTERNET_NAME_NOT_RESOLVED
//   nobody listens at the port, or the way there
//     is refused                                   ERROR_INTERNET_CANNOT_CONNECT
//   no connection within the connect time, silence
//     past the idle time, or a trickle below the
//     rate floor                                   ERROR_INTERNET_TIMEOUT
//   the server resets the connection               ERROR_INTERNET_CONNECTION_RESET
//   the connection ends before the answer does     ERROR_INTERNET_CONNECTION_ABORTED
//   no answer at all, one that cannot be read as
//     HTTP, or header bytes past the bound         ERROR_HTTP_INVALID_SERVER_RESPONSE
//   https: an issuer the system does not trust     ERROR_INTERNET_INVALID_CA
//   https: a certificate for another name          ERROR_INTERNET_SEC_CERT_CN_INVALID
//   https: a certificate out of its dates          ERROR_INTERNET_SEC_CERT_DATE_INVALID
//   https: any other fault of the secure channel   ERROR_INTERNET_SECURE_FAILURE
//   libcurl cannot be loaded (fails every send)    ERROR_INTERNET_INTERNAL_ERROR
//   a query before a successful send               ERROR_INTERNET_INCORRECT_HANDLE_STATE
//   a query for a header the answer lacks          ERROR_HTTP_HEADER_NOT_FOUND
//   a query buffer too small                       ERROR_INSUFFICIENT_BUFFER
//   a null count or length pointer, an unknown
//     query level or service                       ERROR_INVALID_PARAMETER
//
// HTTP/1.1 only. Redirects are followed (at most 30, then the last answer is
// final) unless INTERNET_FLAG_NO_AUTO_REDIRECT. Cookies live in one store per
// process, in memory, unless INTERNET_FLAG_NO_COOKIES. https checks the
// server's certificate against the system's trusted authorities (the file
// named by SSL_CERT_FILE when set, as OpenSSL-based tools read it). Time-outs:
// 60 s to connect, 30 s without receiving anything, and, once the first byte
// has come, fewer than 16 KiB moved in 60 s of transfer: each fails the
// transfer. The header bytes of one answer, interim 1xx answers and trailers
// included, may not pass 4 MiB; past that the send fails, or the read when
// they come as trailers.
#pragma once

#include "platform/WinTypes.h"

using HINTERNET = void*;
using INTERNET_PORT = WORD;

inline constexpr DWORD INTERNET_OPEN_TYPE_PRECONFIG = 0;
inline constexpr DWORD INTERNET_OPEN_TYPE_DIRECT = 1;
inline constexpr DWORD INTERNET_OPEN_TYPE_PROXY = 3;

inline constexpr DWORD INTERNET_SERVICE_HTTP = 3;

inline constexpr INTERNET_PORT INTERNET_INVALID_PORT_NUMBER = 0;
inline constexpr INTERNET_PORT INTERNET_DEFAULT_HTTP_PORT = 80;
inline constexpr INTERNET_PORT INTERNET_DEFAULT_HTTPS_PORT = 443;

inline constexpr DWORD INTERNET_FLAG_RELOAD = 0x80000000;
inline constexpr DWORD INTERNET_FLAG_NEED_FILE = 0x00000010;
inline constexpr DWORD INTERNET_FLAG_NO_COOKIES = 0x00080000;
inline constexpr DWORD INTERNET_FLAG_NO_AUTO_REDIRECT = 0x00200000;
inline constexpr DWORD INTERNET_FLAG_SECURE = 0x00800000;
inline constexpr DWORD INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP = 0x00008000;
inline constexpr DWORD INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS = 0x00004000;

inline constexpr DWORD HTTP_QUERY_CONTENT_LENGTH = 5;
inline constexpr DWORD HTTP_QUERY_STATUS_CODE = 19;
inline constexpr DWORD HTTP_QUERY_STATUS_TEXT = 20;
inline constexpr DWORD HTTP_QUERY_RAW_HEADERS_CRLF = 22;
inline constexpr DWORD HTTP_QUERY_FLAG_NUMBER = 0x20000000;

inline constexpr DWORD ERROR_INTERNET_TIMEOUT = 12002;
inline constexpr DWORD ERROR_INTERNET_INTERNAL_ERROR = 12004;
inline constexpr DWORD ERROR_INTERNET_INVALID_URL = 12005;
inline constexpr DWORD ERROR_INTERNET_NAME_NOT_RESOLVED = 12007;
inline constexpr DWORD ERROR_INTERNET_INCORRECT_HANDLE_TYPE = 12018;
inline constexpr DWORD ERROR_INTERNET_INCORRECT_HANDLE_STATE = 12019;
inline constexpr DWORD ERROR_INTERNET_CANNOT_CONNECT = 12029;
inline constexpr DWORD ERROR_INTERNET_CONNECTION_ABORTED = 12030;
inline constexpr DWORD ERROR_INTERNET_CONNECTION_RESET = 12031;
inline constexpr DWORD ERROR_INTERNET_SEC_CERT_DATE_INVALID = 12037;
inline constexpr DWORD ERROR_INTERNET_SEC_CERT_CN_INVALID = 12038;
inline constexpr DWORD ERROR_INTERNET_INVALID_CA = 12045;
inline constexpr DWORD ERROR_HTTP_HEADER_NOT_FOUND = 12150;
inline constexpr DWORD ERROR_HTTP_INVALID_SERVER_RESPONSE = 12152;
inline constexpr DWORD ERROR_INTERNET_SECURE_FAILURE = 12175;

HINTERNET InternetOpenA(LPCSTR lpszAgent, DWORD dwAccessType, LPCSTR lpszProxy, LPCSTR lpszProxyBypass,
                        DWORD dwFlags);

HINTERNET InternetConnectA(HINTERNET hInternet, LPCSTR lpszServerName, INTERNET_PORT nServerPort,
                           LPCSTR lpszUserName, LPCSTR lpszPassword, DWORD dwService, DWORD dwFlags,
                           DWORD_PTR dwContext);

HINTERNET HttpOpenRequestA(HINTERNET hConnect, LPCSTR lpszVerb, LPCSTR lpszObjectName, LPCSTR lpszVersion,
                           LPCSTR lpszReferrer, LPCSTR* lplpszAcceptTypes, DWORD dwFlags, DWORD_PTR dwContext);

// dwHeadersLength may be (DWORD)-1 for a NUL-terminated header text. The
// header text is split at CR, LF or CR LF; empty lines are skipped, a line
// replaces an earlier one of the same name, and a User-Agent line replaces the
// agent given to InternetOpenA. Host and Content-Length are added (the latter
// when there is a body or the verb is not GET), and nothing else.
BOOL HttpSendRequestA(HINTERNET hRequest, LPCSTR lpszHeaders, DWORD dwHeadersLength, LPVOID lpOptional,
                      DWORD dwOptionalLength);

// Sets the count to 0 before anything else. TRUE with a count of 0 at the end
// of the body and after a failed send; FALSE for a transfer that broke off.
BOOL InternetReadFile(HINTERNET hFile, LPVOID lpBuffer, DWORD dwNumberOfBytesToRead,
                      LPDWORD lpdwNumberOfBytesRead);

// Text levels write the value and a NUL; on success the length becomes the
// count without the NUL. A buffer too small: FALSE, the length becomes the
// size needed (NUL included), the buffer is not touched. With
// HTTP_QUERY_FLAG_NUMBER the value is written as a DWORD (length 4); a value
// that is not a decimal number below 2^32 counts as no header.
//
//   HTTP_QUERY_RAW_HEADERS_CRLF  the final answer's status line and header
//                                lines, each ended by CR LF, then an empty line
//   HTTP_QUERY_STATUS_CODE       "HTTP/1.1 404 Not Found" => "404", or 404
//   HTTP_QUERY_STATUS_TEXT       "HTTP/1.1 404 Not Found" => "Not Found";
//                                "HTTP/1.1 200" => ""
//   HTTP_QUERY_CONTENT_LENGTH    the final answer's Content-Length
BOOL HttpQueryInfoA(HINTERNET hRequest, DWORD dwInfoLevel, LPVOID lpBuffer, LPDWORD lpdwBufferLength,
                    LPDWORD lpdwIndex);

BOOL InternetCloseHandle(HINTERNET hInternet);
