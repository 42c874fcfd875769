// Half-width to full-width text, as the encoding module's zenkaku does it:
// through the ANSI code page (CP932), so what CP932 lacks becomes '?'.
#pragma once
#include <string>
#include <string_view>

namespace qor {

// UTF-8 in, UTF-8 out. ASCII 0x20-0x7E become U+3000 and U+FF01-FF5E
// (backslash is U+FF3C, tilde U+FF5E: both exist in CP932 and round-trip);
// half-width katakana and punctuation become their full-width forms, a
// following voiced or semi-voiced mark combining with its kana (ｶﾞ → ガ,
// ﾊﾟ → パ, ｳﾞ → ヴ). Everything else is kept.
std::string ZenkakuUtf8(std::string_view utf8);

}  // namespace qor
