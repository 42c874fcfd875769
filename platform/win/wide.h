// UTF-16 helpers shared by the Windows backends: every W call takes its text
// from UTF-8 or the ANSI code page through these two.
#pragma once
#include <string>
#include <string_view>

namespace qor::platform {

// Text in code page `cp` (CP_UTF8 or CP_ACP) to UTF-16; malformed bytes
// become U+FFFD (UTF-8) or the code page's default character.
std::wstring ToWide(std::string_view text, unsigned cp);
// UTF-16 to code page `cp`; characters the code page lacks become '?'.
std::string FromWide(std::wstring_view text, unsigned cp);

// A path as the engine holds it (ANSI code page) to UTF-16 for the W calls.
inline std::wstring WidePath(const std::string& path) { return ToWide(path, 0 /* CP_ACP */); }

}  // namespace qor::platform
