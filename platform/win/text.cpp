// UTF-8 <-> ANSI code page (CP_ACP) conversions through UTF-16 with
// MultiByteToWideChar / WideCharToMultiByte. As on POSIX, each character the
// target lacks and each malformed one becomes one '?' (no best-fit look-alikes).
#include "platform/text.h"

#include <windows.h>

#include "platform/win/wide.h"

namespace qor::platform {

size_t AnsiCharLength(const unsigned char* p, size_t left) {
  if (left == 0) return 0;
  return (left >= 2 && IsDBCSLeadByteEx(CP_ACP, p[0])) ? 2 : 1;
}

std::string AnsiToUtf8(std::string_view ansi) {
  // Well-formed text converts in one call; otherwise character by character.
  if (ansi.empty() ||
      MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(), int(ansi.size()), nullptr, 0) > 0)
    return FromWide(ToWide(ansi, CP_ACP), CP_UTF8);
  std::string out;
  const auto* p = reinterpret_cast<const unsigned char*>(ansi.data());
  for (size_t i = 0; i < ansi.size();) {
    size_t k = AnsiCharLength(p + i, ansi.size() - i);
    wchar_t w[2];
    int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data() + i, int(k), w, 2);
    out += n > 0 ? FromWide(std::wstring_view(w, size_t(n)), CP_UTF8) : std::string("?");
    i += k;
  }
  return out;
}

std::string Utf8ToAnsi(std::string_view utf8) {
  std::wstring w = ToWide(utf8, CP_UTF8);  // malformed bytes: U+FFFD, which CP_ACP lacks
  if (w.empty()) return {};
  BOOL used = FALSE;
  int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), int(w.size()), nullptr, 0, "?", &used);
  if (n > 0 && !used) {
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), int(w.size()), out.data(), n, "?", nullptr);
    return out;
  }
  // Some character is missing: one '?' per code point (a surrogate pair is one).
  std::string out;
  for (size_t i = 0; i < w.size();) {
    size_t k = (w[i] >= 0xD800 && w[i] <= 0xDBFF && i + 1 < w.size()) ? 2 : 1;
    char buf[8];
    used = FALSE;
    int m = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data() + i, int(k), buf, sizeof buf, "?", &used);
    if (m > 0 && !used) out.append(buf, size_t(m));
    else out += '?';
    i += k;
  }
  return out;
}

}  // namespace qor::platform
