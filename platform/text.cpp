// Text helpers that need no code-page tables: UTF-8 <-> UTF-16 and the
// buffer forms of the ANSI conversions (the conversions are the backend's).
#include "platform/text.h"

#include <cstdint>
#include <cstring>

namespace qor::platform {
namespace {

size_t CopyOut(const std::string& s, bool utf8, char* dst, size_t cap) {
  if (cap == 0) return 0;
  size_t n = s.size() < cap - 1 ? s.size() : cap - 1;
  if (n < s.size()) {  // cut at a character boundary
    if (utf8) {
      while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
    } else {
      size_t i = 0;
      while (i < n) {
        size_t k = AnsiCharLength(reinterpret_cast<const unsigned char*>(s.data()) + i, s.size() - i);
        if (i + k > n) break;
        i += k;
      }
      n = i;
    }
  }
  memcpy(dst, s.data(), n);
  dst[n] = 0;
  return n;
}

}  // namespace

size_t AnsiToUtf8(const char* src, size_t len, char* dst, size_t cap) {
  return CopyOut(AnsiToUtf8(std::string_view(src, len)), true, dst, cap);
}
size_t Utf8ToAnsi(const char* src, size_t len, char* dst, size_t cap) {
  return CopyOut(Utf8ToAnsi(std::string_view(src, len)), false, dst, cap);
}

std::u16string Utf8ToUtf16(std::string_view s) {
  std::u16string out;
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    uint32_t cp;
    size_t n;
    if (c < 0x80) { cp = c; n = 1; }
    else if ((c >> 5) == 6) { cp = c & 0x1F; n = 2; }
    else if ((c >> 4) == 14) { cp = c & 0x0F; n = 3; }
    else if ((c >> 3) == 30) { cp = c & 0x07; n = 4; }
    else { out.push_back(0xFFFD); ++i; continue; }
    if (i + n > s.size()) { out.push_back(0xFFFD); break; }
    bool bad = false;
    for (size_t k = 1; k < n; ++k) {
      unsigned char t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) { bad = true; break; }
      cp = (cp << 6) | (t & 0x3F);
    }
    if (bad) { out.push_back(0xFFFD); ++i; continue; }
    i += n;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(char16_t(0xD800 + (cp >> 10)));
      out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(char16_t(cp));
    }
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

}  // namespace qor::platform
