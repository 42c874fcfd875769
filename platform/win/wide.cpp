// UTF-16 conversions for the Windows backends.
#include "platform/win/wide.h"

#include <windows.h>

namespace qor::platform {

std::wstring ToWide(std::string_view text, unsigned cp) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(cp, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring out(size_t(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(cp, 0, text.data(), int(text.size()), out.data(), n);
  return out;
}

std::string FromWide(std::wstring_view text, unsigned cp) {
  if (text.empty()) return {};
  // CP_UTF8 takes no default character or flags; every UTF-16 unit has a UTF-8 form.
  const char* fallback = cp == CP_UTF8 ? nullptr : "?";
  DWORD flags = cp == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  int n = WideCharToMultiByte(cp, flags, text.data(), int(text.size()), nullptr, 0, fallback, nullptr);
  std::string out(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(cp, flags, text.data(), int(text.size()), out.data(), n, fallback, nullptr);
  return out;
}

}  // namespace qor::platform
