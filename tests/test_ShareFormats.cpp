#include "resolve/ShareFormats.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The page markers spelled in code-page-936 bytes, so that a marker written
// with the wrong bytes (UTF-8, or the other colon) cannot pass.
const std::string kFileNameStart = "content=\"\xCE\xC4\xBC\xFE\xC3\xFB:";  // content=" 文件名 :
const std::string kFileNameEnd = " \xCE\xC4\xBC\xFE\xB4\xF3\xD0\xA1";        // space 文件大小
const std::string kFileSizeStart = "\xCE\xC4\xBC\xFE\xB4\xF3\xD0\xA1:";      // 文件大小 :
const std::string kFileSizeEnd = " \xB7\xD6\xCF\xED\xD5\xDF:";               // space 分享者 :
const std::string kShareTimeStart = "\xB7\xD6\xCF\xED\xCA\xB1\xBC\xE4\xA3\xBA";  // 分享时间 full-width colon

std::string FullPage() {
  return "<html><meta name=\"description\" " + kFileNameStart + "My File.zip" + kFileNameEnd + kFileSizeStart +
         "1.5G" + kFileSizeEnd + "bob\"><div>" + kShareTimeStart + "2014-05-01 10:00<span>x</span>" +
         "yunData.linkUserName=\"bob\";yunData.share_uk=\"12345\";yunData.share_id=\"678\";FileUtils.a=1;"
         "yunData.share_timestamp=\"1400000000\";FileUtils.b=2;yunData.share_sign=\"abcdef\";disk.ui.c=3;"
         "yunData.fsId=\"99887766\";disk.d=4;</html>";
}

TEST(ShareFormats, MarkerBytes) {
  EXPECT_EQ(kFileNameStart.size(), 16u);
  EXPECT_EQ(kFileNameEnd.size(), 9u);
  EXPECT_EQ(kFileSizeStart.size(), 9u);
  EXPECT_EQ(kFileSizeEnd.size(), 8u);
  EXPECT_EQ(kShareTimeStart.size(), 10u);
  EXPECT_EQ("文件名"_cp936.view(), "\xCE\xC4\xBC\xFE\xC3\xFB");
  EXPECT_EQ("分享时间："_cp936.view(), kShareTimeStart);
}

TEST(CutShareFacts, EveryField) {
  ShareFacts facts = CutShareFacts(Text(FullPage()));
  struct Case {
    const char* field;
    const Text& actual;
    std::string expected;
  } cases[] = {
      {"fileName", facts.fileName, "My File.zip"},
      {"fileSize", facts.fileSize, "1.5G"},
      {"shareTime", facts.shareTime, "2014-05-01 10:00"},
      {"sharer", facts.sharer, "bob"},
      {"uk", facts.uk, "12345"},
      {"shareid", facts.shareid, "678"},
      {"timestamp", facts.timestamp, "1400000000"},
      {"sign", facts.sign, "abcdef"},
      {"fsId", facts.fsId, "99887766"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    EXPECT_EQ(c.actual.view(), c.expected);
  }
}

TEST(CutShareFacts, EdgesOfThePage) {
  struct Case {
    const char* name;
    std::string page;
    Text ShareFacts::*field;
    std::string expected;
  } cases[] = {
      {"first occurrence wins", "share_uk=\"1\" share_uk=\"2\"", &ShareFacts::uk, "1"},
      {"end marker only after the start", "\"; linkUserName=\"ann\";", &ShareFacts::sharer, "ann"},
      {"missing end marker", "share_id=\"5", &ShareFacts::shareid, ""},
      {"missing start marker", "nothing here", &ShareFacts::fsId, ""},
      {"case counts", "SHARE_UK=\"1\"", &ShareFacts::uk, ""},
      {"blanks are kept", kFileNameStart + "  a b  " + kFileNameEnd, &ShareFacts::fileName, "  a b  "},
      {"full-width colon after 文件大小", "\xCE\xC4\xBC\xFE\xB4\xF3\xD0\xA1\xA3\xBA" "1G" + kFileSizeEnd,
       &ShareFacts::fileSize, ""},
      {"ASCII colon after 分享时间", "\xB7\xD6\xCF\xED\xCA\xB1\xBC\xE4:today<span", &ShareFacts::shareTime, ""},
      {"UTF-8 markers do not match", "文件大小:1G 分享者:", &ShareFacts::fileSize, ""},
      {"every search starts at the first byte", "fsId=\"7\";disk share_uk=\"3\"", &ShareFacts::uk, "3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShareFacts facts = CutShareFacts(Text(c.page));
    EXPECT_EQ((facts.*c.field).view(), c.expected);
  }
}

TEST(BuildDownloadRequest, AddressAndBody) {
  DownloadRequest request = BuildDownloadRequest(CutShareFacts(Text(FullPage())));
  EXPECT_EQ(request.address.view(),
            "http://pan.baidu.com/share/download?channel=chunlei&clienttype=0&web=1&uk=12345&shareid=678"
            "&timestamp=1400000000&sign=abcdef&bdstoken=null");
  EXPECT_EQ(request.body.view(), "fid_list=%5B%2299887766%22%5D");

  DownloadRequest empty = BuildDownloadRequest(ShareFacts{});
  EXPECT_EQ(empty.address.view(),
            "http://pan.baidu.com/share/download?channel=chunlei&clienttype=0&web=1&uk=&shareid=&timestamp=&sign="
            "&bdstoken=null");
  EXPECT_EQ(empty.body.view(), "fid_list=%5B%22%22%5D");

  ShareFacts shaped;
  shaped.sign = "a&b=c";  // inserted unescaped, as cut
  EXPECT_NE(BuildDownloadRequest(shaped).address.view().find("&sign=a&b=c&bdstoken=null"), std::string_view::npos);
}

TEST(CutDownloadLink, ValueAndEscapes) {
  struct Case {
    const char* name;
    const char* answer;
    std::string expected;
  } cases[] = {
      {"escaped slashes", R"({"errno":0,"dlink":"http:\/\/d.pcs.baidu.com\/file\/abc?fid=1","x":1})",
       "http://d.pcs.baidu.com/file/abc?fid=1"},
      {"plain value", R"("dlink":"http://a/b")", "http://a/b"},
      {"first of several", R"("dlink":"http://1","dlink":"http://2")", "http://1"},
      {"no dlink", R"({"errno":2})", ""},
      {"no closing quote", R"("dlink":"http://a)", ""},
      {"empty value", R"("dlink":"")", ""},
      {"other backslashes dropped", R"("dlink":"a\b\n")", "abn"},
      {"escaped ampersand", R"("dlink":"http:\/\/d\/f?a=1\u0026b=2")", "http://d/f?a=1&b=2"},
      {"non-ASCII as %-escaped UTF-8", R"("dlink":"x\u4e2dy\u00E9")", "x%E4%B8%ADy%C3%A9"},
      {"surrogate pair is one character", R"("dlink":"\ud83d\ude00")", "%F0%9F%98%80"},
      {"lone surrogate", R"("dlink":"\ud83dx")", "%EF%BF%BDx"},
      {"escaped backslash", R"("dlink":"a\\b")", "a\\b"},
      {"short \\u keeps its letters", R"("dlink":"\u12")", "u12"},
      {"not hex", R"("dlink":"\uZZZZ")", "uZZZZ"},
      {"\\u0000 gives nothing", R"("dlink":"a\u0000b")", "ab"},
      {"an escaped quote ends the cut", R"("dlink":"a\"b")", "a"},
      {"trailing backslash", R"("dlink":"a\")", "a"},
      // One line of printable ASCII whatever the answer holds.
      {"CR LF in the value", "\"dlink\":\"http://a/b\r\nX-Evil: 1\"", "http://a/b%0D%0AX-Evil:%201"},
      {"escaped line feed and escape byte", R"("dlink":"a\u000a\u001b[2Jb")", "a%0A%1B[2Jb"},
      {"tab, DEL and space", "\"dlink\":\"a\tb\x7F c\"", "a%09b%7F%20c"},
      {"raw high bytes go byte for byte", "\"dlink\":\"a\xD6\xD0\xFF" "b\"", "a%D6%D0%FFb"},
      {"existing %-escapes are kept", R"("dlink":"http:\/\/d\/%E4%B8%AD?x=%2F")", "http://d/%E4%B8%AD?x=%2F"},
      {"printable ASCII unchanged", R"("dlink":"http://d/f?a=1&b=~!*'()[]{}|^`<>#;")",
       "http://d/f?a=1&b=~!*'()[]{}|^`<>#;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CutDownloadLink(c.answer).view(), c.expected);
  }
}

}  // namespace
