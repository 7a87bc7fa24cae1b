// The safe-name rules, each row a name that would do harm or fail somewhere.
#include "resolve/SafeFileName.h"

#include <string>

#include <gtest/gtest.h>

#include "text/CodePageText.h"

namespace {

const Text kLink = "http://d.pcs.baidu.com/file/9d8f%E5%AD%A3.bin?fid=1&fn=x/y";

TEST(SafeFileName, HostileNamesBecomeHarmlessOnes) {
  struct Row {
    Text name;
    Text safe;
  } rows[] = {
      {"report.pdf", "report.pdf"},
      {"季度报告 final.pdf"_cp936, "季度报告 final.pdf"_cp936},
      {"../../x", ".._.._x"},
      {"a/b", "a_b"},
      {"a\\b", "a_b"},
      {"\xD5\x5C.txt", "\xD5\x5C.txt"},             // 5C as a trail byte is part of a character, no separator
      {"a<b>:c\"d|e?f*.txt", "a_b__c_d_e_f_.txt"},
      {"tab\there\r\nx\x7F", "tab_here__x_"},
      {"CON", "_CON"},
      {"con.txt", "_con.txt"},
      {"Lpt9.tar.gz", "_Lpt9.tar.gz"},
      {"COM0", "COM0"},                            // only COM1-COM9 are devices
      {"CONSOLE.txt", "CONSOLE.txt"},
      {" name. .", "name"},                        // Windows would drop the trailing dots and blanks
      {"\xFF" "a\x80", "_a\x80"},                  // 0xFF is no character; 0x80 is the euro sign
      {"\xAA\xA1" "b", "__b"},                      // a user-defined pair: private use, no character
      {"a\x81", "a_"},                             // a lead byte with nothing after it
      {"\x81\x20x", "_ x"},                        // a lead byte whose partner is no trail byte
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.name.view()));
    EXPECT_EQ(SafeFileName(row.name, kLink), row.safe);
  }
}

TEST(SafeFileName, NamesThatAreNoNameFallBackOnTheLink) {
  struct Row {
    Text name, link, safe;
  } rows[] = {
      {"", kLink, "9d8f季.bin"_cp936},                               // %-escaped UTF-8, decoded
      {".", kLink, "9d8f季.bin"_cp936},
      {"..", kLink, "9d8f季.bin"_cp936},
      {"  ", kLink, "9d8f季.bin"_cp936},
      {"/", kLink, "_"},                                             // a name still, though a poor one
      {"", "http://host/a/..?x", "download"},
      {"", "http://host", "download"},
      {"", "http://host/dir/", "download"},
      {"", "http://host/CON", "_CON"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.name.view()) + " " + std::string(row.link.view()));
    EXPECT_EQ(SafeFileName(row.name, row.link), row.safe);
  }
}

// A name's length is measured as the file system stores it: UTF-8.
int Utf8Length(const Text& text) { return static_cast<int>(FromWide(ToWide(text, 936), 65001).size()); }

TEST(SafeFileName, LongNamesAreCutBetweenCharactersKeepingTheExtension) {
  std::string chinese;
  for (int i = 0; i < 150; ++i) chinese += std::string("中"_cp936.view());
  const Text names[] = {
      Text(std::string(300, 'a') + ".pdf"),
      ConcatText("x", std::string(150, 'b'), chinese, ".tar"),  // the cut falls inside the Chinese run
      ConcatText(chinese, ".txt"),
      ConcatText(chinese, "x", chinese),                        // no extension at all
  };
  for (const Text& name : names) {
    SCOPED_TRACE(std::string(name.view()).substr(0, 20));
    Text safe = SafeFileName(name, kLink);
    EXPECT_LE(Utf8Length(safe), kMaxFileNameUtf8);
    EXPECT_GT(Utf8Length(safe), kMaxFileNameUtf8 - 4);
    EXPECT_EQ(FromWide(ToWide(safe, 936), 936), safe) << "a character was cut in two";
    std::size_t dot = name.view().rfind('.');
    if (dot != std::string_view::npos) {
      EXPECT_TRUE(safe.view().ends_with(name.view().substr(dot)));
    }
  }
  Text fits(std::string(kMaxFileNameUtf8, 'c'));
  EXPECT_EQ(SafeFileName(fits, kLink), fits);
}

}  // namespace
