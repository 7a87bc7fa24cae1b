#include "resolve/ShareFormats.h"

#include "text/Markers.h"

namespace {

struct FactMarkers {
  Text ShareFacts::*field;
  Text startMarker;
  Text endMarker;
};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The four hex digits of a \u escape at `p` (just after the "u"), or -1.
long HexUnit(std::string_view value, std::size_t p) {
  if (p + 4 > value.size()) return -1;
  long unit = 0;
  for (std::size_t i = p; i < p + 4; ++i) {
    int digit = HexValue(value[i]);
    if (digit < 0) return -1;
    unit = unit * 16 + digit;
  }
  return unit;
}

void AppendUtf8(ByteString& out, char32_t c) {
  if (c == 0) return;  // a Text cannot hold it
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | c >> 6));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | c >> 12));
    out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | c >> 18));
    out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// Dropping every backslash would turn \u0026 into the letters u0026 and break
// any link the service writes with an escaped "&" or a non-ASCII character.
Text DecodeJsonEscapes(std::string_view value) {
  ByteString out;
  out.reserve(value.size());
  for (std::size_t p = 0; p < value.size();) {
    char c = value[p];
    if (c != '\\') {
      out.push_back(c);
      ++p;
      continue;
    }
    if (p + 1 < value.size() && value[p + 1] == 'u') {
      long unit = HexUnit(value, p + 2);
      if (unit >= 0) {
        p += 6;
        char32_t character = static_cast<char32_t>(unit);
        if (unit >= 0xD800 && unit <= 0xDBFF && p + 1 < value.size() && value[p] == '\\' && value[p + 1] == 'u') {
          long low = HexUnit(value, p + 2);
          if (low >= 0xDC00 && low <= 0xDFFF) {
            character = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                        (static_cast<char32_t>(low) - 0xDC00);
            p += 6;
          }
        }
        if (character >= 0xD800 && character <= 0xDFFF) character = 0xFFFD;  // a lone surrogate
        AppendUtf8(out, character);
        continue;
      }
    }
    // \/ and \\ give their character; any other backslash is dropped and the
    // byte after it kept.
    ++p;
    if (p < value.size() && (value[p] == '/' || value[p] == '\\')) out.push_back(value[p++]);
  }
  return Text(std::move(out));
}

// The link is an address: every byte outside printable ASCII goes as %XX, so
// that one ASCII text reads the same in every code page, window, terminal and
// download manager, and a control byte can never end a line or steer a
// terminal. A link that is printable ASCII already comes back as it was.
Text PercentEncodeUnprintable(const Text& link) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(link.size());
  for (char c : link.view()) {
    auto byte = static_cast<unsigned char>(c);
    if (byte > 0x20 && byte < 0x7F) {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 0x0F]);
    }
  }
  return Text(std::move(out));
}

}  // namespace

ShareFacts CutShareFacts(const Text& pageText) {
  // In the order they are cut. The file-size markers use ASCII colons and the
  // share-time marker a full-width one, as the page writes them.
  static const FactMarkers kMarkers[] = {
      {&ShareFacts::fileName, "content=\"文件名:"_cp936, " 文件大小"_cp936},
      {&ShareFacts::fileSize, "文件大小:"_cp936, " 分享者:"_cp936},
      {&ShareFacts::shareTime, "分享时间："_cp936, "<span"},
      {&ShareFacts::sharer, "linkUserName=\"", "\";"},
      {&ShareFacts::uk, "share_uk=\"", "\""},
      {&ShareFacts::shareid, "share_id=\"", "\";FileUtils"},
      {&ShareFacts::timestamp, "share_timestamp=\"", "\";FileUtils"},
      {&ShareFacts::sign, "share_sign=\"", "\";disk.ui"},
      {&ShareFacts::fsId, "fsId=\"", "\";disk"},
  };
  ShareFacts facts;
  for (const FactMarkers& markers : kMarkers)
    facts.*markers.field = TextBetween(pageText, markers.startMarker, markers.endMarker);
  return facts;
}

DownloadRequest BuildDownloadRequest(const ShareFacts& facts) {
  DownloadRequest request;
  request.address = ConcatText("http://", kShareServiceHost, "/share/download?channel=chunlei&clienttype=0&web=1&uk=",
                               facts.uk, "&shareid=", facts.shareid, "&timestamp=", facts.timestamp, "&sign=",
                               facts.sign, "&bdstoken=null");
  request.body = ConcatText("fid_list=%5B%22", facts.fsId, "%22%5D");
  return request;
}

Text CutDownloadLink(const Text& answerText) {
  return PercentEncodeUnprintable(DecodeJsonEscapes(TextBetween(answerText, "dlink\":\"", "\"")));
}
