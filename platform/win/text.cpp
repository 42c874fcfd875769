// UTF-8 <-> ANSI code page (CP_ACP) conversions through UTF-16 with
// MultiByteToWideChar / WideCharToMultiByte, '?' for what cannot be converted.
#include "platform/text.h"

#include <windows.h>

#include "platform/win/wide.h"

namespace qor::platform {

size_t AnsiCharLength(const unsigned char* p, size_t left) {
  if (left == 0) return 0;
  return (left >= 2 && IsDBCSLeadByteEx(CP_ACP, p[0])) ? 2 : 1;
}

std::string AnsiToUtf8(std::string_view ansi) { return FromWide(ToWide(ansi, CP_ACP), CP_UTF8); }
std::string Utf8ToAnsi(std::string_view utf8) { return FromWide(ToWide(utf8, CP_UTF8), CP_ACP); }

}  // namespace qor::platform
