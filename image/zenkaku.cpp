// Half-width to full-width mapping over text that has passed through CP932.
#include "image/zenkaku.h"

#include <cstdint>

#include "platform/text.h"

namespace qor {
namespace {

// Full-width forms of U+FF61 … U+FF9F (half-width punctuation, katakana, marks).
const char16_t kKana[63] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3,  // ｡｢｣､･ｦｧｨ
    0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC,  // ｩｪｫｬｭｮｯｰ
    0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF,  // ｱｲｳｴｵｶｷｸ
    0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF,  // ｹｺｻｼｽｾｿﾀ
    0x30C1, 0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD,  // ﾁﾂﾃﾄﾅﾆﾇﾈ
    0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB, 0x30DE, 0x30DF,  // ﾉﾊﾋﾌﾍﾎﾏﾐ
    0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9, 0x30EA,  // ﾑﾒﾓﾔﾕﾖﾗﾘ
    0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C,          // ﾙﾚﾛﾜﾝﾞﾟ
};

constexpr char32_t kVoiced = 0xFF9E, kSemiVoiced = 0xFF9F;

// Decodes one UTF-8 character at s[i] (the text is well-formed: it came out of iconv).
char32_t Next(std::string_view s, size_t& i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 4;
  if (i + n > s.size()) n = s.size() - i;
  char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
  for (size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  i += n;
  return cp;
}

// The kana a voiced (or semi-voiced) mark combines with, as the full-width
// result; 0 when the pair does not combine.
char32_t Combine(char32_t kana, char32_t mark) {
  if (mark == kVoiced) {
    if (kana == 0xFF73) return 0x30F4;                    // ｳﾞ → ヴ
    if (kana >= 0xFF76 && kana <= 0xFF84) return kKana[kana - 0xFF61] + 1;  // ｶ…ﾄ
    if (kana >= 0xFF8A && kana <= 0xFF8E) return kKana[kana - 0xFF61] + 1;  // ﾊ…ﾎ
  } else if (mark == kSemiVoiced) {
    if (kana >= 0xFF8A && kana <= 0xFF8E) return kKana[kana - 0xFF61] + 2;  // ﾊ…ﾎ
  }
  return 0;
}

}  // namespace

std::string ZenkakuUtf8(std::string_view utf8) {
  // The original path goes through the ANSI code page: anything CP932 lacks
  // is already '?' before the mapping.
  std::string text = platform::AnsiToUtf8(platform::Utf8ToAnsi(utf8));
  std::string out;
  out.reserve(text.size() * 3);
  size_t i = 0;
  while (i < text.size()) {
    char32_t cp = Next(text, i);
    if (cp == 0x20) {
      platform::AppendUtf8(out, 0x3000);
    } else if (cp >= 0x21 && cp <= 0x7E) {
      platform::AppendUtf8(out, cp - 0x21 + 0xFF01);
    } else if (cp >= 0xFF61 && cp <= 0xFF9F) {
      if (i < text.size()) {
        size_t j = i;
        char32_t mark = Next(text, j);
        if (char32_t both = Combine(cp, mark)) {
          platform::AppendUtf8(out, both);
          i = j;
          continue;
        }
      }
      platform::AppendUtf8(out, kKana[cp - 0xFF61]);
    } else {
      platform::AppendUtf8(out, cp);
    }
  }
  return out;
}

}  // namespace qor
