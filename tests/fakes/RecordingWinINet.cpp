#include "tests/fakes/RecordingWinINet.h"

#include <algorithm>
#include <cstring>

namespace {

WinINetScript gScript;
WinINetRecord gRecord;
std::size_t gBodyOffset = 0;

// Handles are the addresses of these three tags.
char gInternet, gConnection, gRequest;

std::optional<std::string> Copy(LPCSTR s) { return s == nullptr ? std::nullopt : std::optional<std::string>(s); }

}  // namespace

void ResetWinINetRecorder(WinINetScript script) {
  gScript = std::move(script);
  gRecord = {};
  gBodyOffset = 0;
}

const WinINetRecord& RecordedWinINet() { return gRecord; }

HINTERNET InternetOpenA(LPCSTR lpszAgent, DWORD dwAccessType, LPCSTR lpszProxy, LPCSTR lpszProxyBypass,
                        DWORD dwFlags) {
  gRecord.calls.push_back("InternetOpenA");
  gRecord.agent = lpszAgent != nullptr ? lpszAgent : "<null>";
  gRecord.accessType = dwAccessType;
  gRecord.proxyList = Copy(lpszProxy);
  gRecord.proxyBypass = Copy(lpszProxyBypass);
  gRecord.openFlags = dwFlags;
  return gScript.failOpen ? nullptr : &gInternet;
}

HINTERNET InternetConnectA(HINTERNET hInternet, LPCSTR lpszServerName, INTERNET_PORT nServerPort,
                           LPCSTR lpszUserName, LPCSTR lpszPassword, DWORD dwService, DWORD dwFlags,
                           DWORD_PTR) {
  gRecord.calls.push_back(hInternet == &gInternet ? "InternetConnectA" : "InternetConnectA:bad handle");
  gRecord.host = lpszServerName != nullptr ? lpszServerName : "<null>";
  gRecord.port = nServerPort;
  gRecord.connectUserNull = lpszUserName == nullptr;
  gRecord.connectPasswordNull = lpszPassword == nullptr;
  gRecord.service = dwService;
  gRecord.connectFlags = dwFlags;
  return gScript.failConnect ? nullptr : &gConnection;
}

HINTERNET HttpOpenRequestA(HINTERNET hConnect, LPCSTR lpszVerb, LPCSTR lpszObjectName, LPCSTR lpszVersion,
                           LPCSTR lpszReferrer, LPCSTR* lplpszAcceptTypes, DWORD dwFlags, DWORD_PTR) {
  gRecord.calls.push_back(hConnect == &gConnection ? "HttpOpenRequestA" : "HttpOpenRequestA:bad handle");
  gRecord.verb = lpszVerb != nullptr ? lpszVerb : "<null>";
  gRecord.object = lpszObjectName != nullptr ? lpszObjectName : "<null>";
  gRecord.version = lpszVersion != nullptr ? lpszVersion : "<null>";
  gRecord.referrerNull = lpszReferrer == nullptr;
  gRecord.acceptTypesNull = lplpszAcceptTypes == nullptr;
  gRecord.requestFlags = dwFlags;
  return gScript.failRequest ? nullptr : &gRequest;
}

BOOL HttpSendRequestA(HINTERNET hRequest, LPCSTR lpszHeaders, DWORD dwHeadersLength, LPVOID lpOptional,
                      DWORD dwOptionalLength) {
  gRecord.calls.push_back(hRequest == &gRequest ? "HttpSendRequestA" : "HttpSendRequestA:bad handle");
  gRecord.sentHeaders = lpszHeaders != nullptr ? std::string(lpszHeaders, dwHeadersLength) : "<null>";
  gRecord.sentHeadersLength = dwHeadersLength;
  gRecord.bodyNull = lpOptional == nullptr;
  if (lpOptional != nullptr) gRecord.sentBody.assign(static_cast<const char*>(lpOptional), dwOptionalLength);
  gRecord.sentBodyLength = dwOptionalLength;
  return TRUE;
}

BOOL InternetReadFile(HINTERNET hFile, LPVOID lpBuffer, DWORD dwNumberOfBytesToRead,
                      LPDWORD lpdwNumberOfBytesRead) {
  *lpdwNumberOfBytesRead = 0;
  if (gRecord.readSizes.empty()) gRecord.calls.push_back("InternetReadFile");
  gRecord.readSizes.push_back(dwNumberOfBytesToRead);
  if (hFile != &gRequest) return FALSE;
  std::size_t n = std::min<std::size_t>({dwNumberOfBytesToRead, 700, gScript.body.size() - gBodyOffset});
  std::memcpy(lpBuffer, gScript.body.data() + gBodyOffset, n);
  gBodyOffset += n;
  *lpdwNumberOfBytesRead = static_cast<DWORD>(n);
  return TRUE;
}

BOOL HttpQueryInfoA(HINTERNET hRequest, DWORD dwInfoLevel, LPVOID lpBuffer, LPDWORD lpdwBufferLength,
                    LPDWORD lpdwIndex) {
  if (dwInfoLevel == (HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER)) {
    gRecord.calls.push_back(hRequest == &gRequest ? "HttpQueryInfoA:length" : "HttpQueryInfoA:bad handle");
    if (!gScript.contentLength.has_value() || *lpdwBufferLength < sizeof(DWORD)) return FALSE;
    std::memcpy(lpBuffer, &*gScript.contentLength, sizeof(DWORD));
    *lpdwBufferLength = sizeof(DWORD);
    return TRUE;
  }
  gRecord.calls.push_back(hRequest == &gRequest ? "HttpQueryInfoA" : "HttpQueryInfoA:bad handle");
  gRecord.queryLevel = dwInfoLevel;
  gRecord.queryLength = *lpdwBufferLength;
  gRecord.queryIndexNull = lpdwIndex == nullptr;
  if (!gScript.rawHeaders.has_value()) return FALSE;
  const std::string& block = *gScript.rawHeaders;
  if (*lpdwBufferLength < block.size() + 1) {
    *lpdwBufferLength = static_cast<DWORD>(block.size() + 1);
    return FALSE;
  }
  std::memcpy(lpBuffer, block.c_str(), block.size() + 1);
  *lpdwBufferLength = static_cast<DWORD>(block.size());
  return TRUE;
}

BOOL InternetCloseHandle(HINTERNET hInternet) {
  gRecord.calls.push_back(hInternet == &gRequest      ? "Close:request"
                          : hInternet == &gConnection ? "Close:connection"
                          : hInternet == &gInternet   ? "Close:internet"
                                                      : "Close:bad handle");
  return TRUE;
}
