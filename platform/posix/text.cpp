// UTF-8 <-> CP932 conversions through iconv, with '?' for what cannot be converted.
#include "platform/text.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace qor::platform {
namespace {

// Length of the character starting at `p` in the source encoding, used to skip
// one malformed or unconvertible character.
size_t SkipLength(bool fromUtf8, const unsigned char* p, size_t left) {
  if (left == 0) return 0;
  if (fromUtf8) {
    size_t n = p[0] < 0x80 ? 1 : (p[0] >> 5) == 6 ? 2 : (p[0] >> 4) == 14 ? 3 : (p[0] >> 3) == 30 ? 4 : 1;
    if (n > left) n = left;
    for (size_t i = 1; i < n; ++i)
      if ((p[i] & 0xC0) != 0x80) return i;
    return n;
  }
  // CP932: lead bytes 0x81-0x9F and 0xE0-0xFC take a trail byte.
  bool lead = (p[0] >= 0x81 && p[0] <= 0x9F) || (p[0] >= 0xE0 && p[0] <= 0xFC);
  return (lead && left >= 2) ? 2 : 1;
}

// One converter per direction and thread, opened on first use and never
// closed: a thread_local with a destructor would be torn down at exit() before
// the atexit clean-up, which still converts (callback.finalize may raise).
iconv_t OpenOnce(iconv_t& cd, bool& opened, const char* to, const char* from) {
  if (!opened) {
    cd = iconv_open(to, from);
    opened = true;
  }
  return cd;
}

// Converts with replacement; `out` grows as needed.
std::string Convert(bool fromUtf8, std::string_view in) {
  thread_local iconv_t toAnsi, toUtf8;
  thread_local bool toAnsiOpen = false, toUtf8Open = false;
  iconv_t cd = fromUtf8 ? OpenOnce(toAnsi, toAnsiOpen, "CP932", "UTF-8") : OpenOnce(toUtf8, toUtf8Open, "UTF-8", "CP932");
  std::string out;
  if (cd == (iconv_t)-1) {  // no converter: pass ASCII through
    for (char c : in) out += (static_cast<unsigned char>(c) < 0x80) ? c : '?';
    return out;
  }
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  out.resize(in.size() * 3 / 2 + 16);
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  size_t used = 0;
  while (srcLeft > 0) {
    char* dst = out.data() + used;
    size_t dstLeft = out.size() - used;
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    used = size_t(dst - out.data());
    if (r != (size_t)-1) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2 + 16);
    } else {  // EILSEQ or EINVAL: replace one character
      size_t skip = SkipLength(fromUtf8, reinterpret_cast<unsigned char*>(src), srcLeft);
      if (skip == 0) skip = 1;
      src += skip;
      srcLeft -= skip;
      if (used + 1 > out.size()) out.resize(out.size() * 2 + 16);
      out[used++] = '?';
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  out.resize(used);
  return out;
}

size_t CopyOut(const std::string& s, bool utf8, char* dst, size_t cap) {
  if (cap == 0) return 0;
  size_t n = s.size() < cap - 1 ? s.size() : cap - 1;
  if (n < s.size()) {  // cut at a character boundary
    if (utf8) {
      while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
    } else {
      size_t i = 0;
      while (i < n) {
        size_t k = SkipLength(false, reinterpret_cast<const unsigned char*>(s.data()) + i, s.size() - i);
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

std::string AnsiToUtf8(std::string_view ansi) { return Convert(false, ansi); }
std::string Utf8ToAnsi(std::string_view utf8) { return Convert(true, utf8); }

size_t AnsiToUtf8(const char* src, size_t len, char* dst, size_t cap) {
  return CopyOut(Convert(false, std::string_view(src, len)), true, dst, cap);
}
size_t Utf8ToAnsi(const char* src, size_t len, char* dst, size_t cap) {
  return CopyOut(Convert(true, std::string_view(src, len)), false, dst, cap);
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
