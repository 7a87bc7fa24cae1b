// A WinINet that talks to nobody: linked in place of the real stand-in, it
// records what each of the seven operations was handed and plays back a
// scripted answer, so that a test sees exactly what the caller gave the
// platform.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/WinINet.h"

struct WinINetScript {
  bool failOpen = false;      // InternetOpenA gives null
  bool failConnect = false;   // InternetConnectA gives null
  bool failRequest = false;   // HttpOpenRequestA gives null
  std::string body{};         // handed out in reads of at most 700 bytes
  std::optional<std::string> rawHeaders = std::string("HTTP/1.1 200 OK\r\n\r\n");  // nullopt: the query fails
  std::optional<DWORD> contentLength{};  // the announced length; nullopt: none
};

struct WinINetRecord {
  std::vector<std::string> calls;  // operation names in order; closes as "Close:<kind>"
  std::string agent;
  DWORD accessType = 0;
  std::optional<std::string> proxyList, proxyBypass;
  DWORD openFlags = 0;
  std::string host;
  INTERNET_PORT port = 0;
  bool connectUserNull = false, connectPasswordNull = false;
  DWORD service = 0, connectFlags = 0;
  std::string verb, object, version;
  bool referrerNull = false, acceptTypesNull = false;
  DWORD requestFlags = 0;
  std::string sentHeaders;
  DWORD sentHeadersLength = 0;
  bool bodyNull = true;
  std::string sentBody;
  DWORD sentBodyLength = 0;
  std::vector<DWORD> readSizes;  // the size asked for by each read
  DWORD queryLevel = 0, queryLength = 0;  // of the raw header query
  bool queryIndexNull = false;
};

// Clears the record and sets the script for the next calls.
void ResetWinINetRecorder(WinINetScript script = {});
const WinINetRecord& RecordedWinINet();
