// encoding.zenkaku's half-width to full-width mapping through CP932.
#include <gtest/gtest.h>

#include "platform/text.h"
#include "image/zenkaku.h"

using namespace qor;

// Letters, digits and the space are the host_encoding scenario's first check.
TEST(EncodingZenkaku, AsciiBecomesFullWidthTheRestIsKept) {
  EXPECT_EQ(ZenkakuUtf8("!\"#'-@[\\]^_`{|}~"), "！＂＃＇－＠［＼］＾＿｀｛｜｝～");
  EXPECT_EQ(ZenkakuUtf8("a\tb\n"), "ａ\tｂ\n");  // control characters stay
  EXPECT_EQ(ZenkakuUtf8("漢字カナＡ"), "漢字カナＡ");  // full-width already: kept
  EXPECT_EQ(ZenkakuUtf8("é☃"), "？？");  // not in CP932: '?', which then widens
}

TEST(EncodingZenkaku, EveryResultSurvivesCp932) {
  // The mapped text must be representable in the ANSI code page, as it is
  // produced there; a '?' here would mean a table entry outside CP932.
  std::string all;
  for (int c = 0x20; c <= 0x7E; ++c) all += char(c);
  for (char32_t cp = 0xFF61; cp <= 0xFF9F; ++cp) {
    all += char(0xE0 | (cp >> 12));
    all += char(0x80 | ((cp >> 6) & 0x3F));
    all += char(0x80 | (cp & 0x3F));
  }
  std::string z = ZenkakuUtf8(all);
  EXPECT_EQ(platform::AnsiToUtf8(platform::Utf8ToAnsi(z)), z);
  EXPECT_EQ(z.find('?'), std::string::npos);  // '?' itself maps to ？
}

TEST(EncodingZenkaku, HalfWidthKatakanaAndMarks) {
  EXPECT_EQ(ZenkakuUtf8("ｱｲｳｴｵｧｯｰﾝｦ"), "アイウエオァッーンヲ");
  EXPECT_EQ(ZenkakuUtf8("ｶﾞｷﾞﾄﾞﾊﾞﾊﾟﾎﾟｳﾞ"), "ガギドバパポヴ");
  EXPECT_EQ(ZenkakuUtf8("｡｢｣､･"), "。「」、・");
  // Marks that do not combine stand alone as full-width marks.
  EXPECT_EQ(ZenkakuUtf8("ﾞﾟｱﾞｶﾟﾊﾞﾞ"), "゛゜ア゛カ゜バ゛");
  EXPECT_EQ(ZenkakuUtf8("ﾜﾞ"), "ワ゛");  // ヷ has no CP932 code
}
