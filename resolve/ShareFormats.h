// The share service's formats as this program reads and writes them: the
// facts cut out of a share page, the download request built from them, and the
// link cut out of the service's answer. Every value is read by markers.
#pragma once

#include "text/Text.h"

// Nine values of a share page; a value whose markers are missing is empty.
struct ShareFacts {
  Text fileName;   // shown to the user
  Text fileSize;
  Text shareTime;
  Text sharer;
  Text uk;         // the share's parameters, sent back in the download request
  Text shareid;
  Text timestamp;
  Text sign;
  Text fsId;
};

// Each field is the text between its start and end markers, searched from
// the first byte of the page, case counting. Nothing is trimmed.
ShareFacts CutShareFacts(const Text& pageText);

// The share service's web host: the download request goes there, and share
// addresses name it.
inline constexpr char kShareServiceHost[] = "pan.baidu.com";

struct DownloadRequest {
  Text address;  // http://pan.baidu.com/share/download?...&bdstoken=null
  Text body;     // fid_list=%5B%22<fsId>%22%5D
};

// The values go in as they were cut, unescaped. With every field empty:
//   address ends "uk=&shareid=&timestamp=&sign=&bdstoken=null"
//   body      is "fid_list=%5B%22%22%5D"
DownloadRequest BuildDownloadRequest(const ShareFacts& facts);

// The value after the first dlink":" up to the next double quote, with its
// JSON escapes decoded: \/ => /, \\ => \, \uXXXX => that character in UTF-8
// (a surrogate pair is one character); any other backslash is dropped. Then
// every byte outside printable ASCII (controls, space, DEL, 0x80 and up) is
// written %XX with upper-case hex, so the link is one line of plain ASCII.
//   {"dlink":"http:\/\/d.pcs\/f?a=1\u0026b=2"} => http://d.pcs/f?a=1&b=2
//   {"dlink":"http:\/\/d\/\u4e2d a"}           => http://d/%E4%B8%AD%20a
//   no dlink, or no closing quote               => ""
Text CutDownloadLink(const Text& answerText);
