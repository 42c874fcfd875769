// Face-name folding, shared by every catalog backend and the alias table.
#include "image/font_catalog.h"

#include "platform/text.h"

namespace qor {

std::string FoldFaceName(const std::string& name) {
  std::u16string u = platform::Utf8ToUtf16(name);
  std::string out;
  for (char16_t c : u) {
    char32_t cp = c;
    if (cp >= 0xFF01 && cp <= 0xFF5E) cp -= 0xFEE0;
    if (cp == 0x3000 || cp == ' ') continue;
    if (cp >= 'A' && cp <= 'Z') cp += 'a' - 'A';
    platform::AppendUtf8(out, cp);
  }
  return out;
}

}  // namespace qor
