// Conversions between UTF-8 and CP932.
#include <gtest/gtest.h>

#include "platform/text.h"

using namespace qor;

TEST(Text, RoundTripsJapanese) {
  std::string u = "エラー：ファイル\"a.png\"";
  std::string a = platform::Utf8ToAnsi(u);
  EXPECT_EQ(a.substr(0, 2), "\x83\x47");  // エ in CP932
  EXPECT_EQ(platform::AnsiToUtf8(a), u);
}

TEST(Text, ReplacesWhatCannotBeConverted) {
  EXPECT_EQ(platform::Utf8ToAnsi("a\xF0\x9F\x98\x80z"), "a?z");  // emoji is not in CP932
  EXPECT_EQ(platform::Utf8ToAnsi("a\xFFz"), "a?z");              // malformed UTF-8
  EXPECT_EQ(platform::AnsiToUtf8("a\x81"), "a?");                // lead byte without trail
}

TEST(Text, BufferFormCutsAtCharacterBoundary) {
  char buf[4];
  size_t n = platform::AnsiToUtf8("\x82\xa0\x82\xa2", 4, buf, sizeof buf);  // あい: 6 bytes in UTF-8
  EXPECT_EQ(n, 3u);
  EXPECT_STREQ(buf, "あ");
}

TEST(Text, Utf16HasSurrogatesBeyondTheBmp) {
  std::u16string s = platform::Utf8ToUtf16("a\xF0\x9F\x98\x80");
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[1], 0xD83D);
  EXPECT_EQ(s[2], 0xDE00);
}
