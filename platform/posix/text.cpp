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

}  // namespace

size_t AnsiCharLength(const unsigned char* p, size_t left) { return SkipLength(false, p, left); }

std::string AnsiToUtf8(std::string_view ansi) { return Convert(false, ansi); }
std::string Utf8ToAnsi(std::string_view utf8) { return Convert(true, utf8); }

}  // namespace qor::platform
