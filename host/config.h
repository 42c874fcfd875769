// conf.ini: an INI reader with GetPrivateProfileIntA's rules, and the start-up reading.
#pragma once
#include <string_view>

namespace qor {

// Integer value of `key` in the first section named `section` of the INI
// text. Names compare case-insensitively and are trimmed; ';' starts a comment
// line; CR LF or LF line ends; a UTF-8 BOM is skipped, and text starting
// with a UTF-16 BOM (either byte order) is read as UTF-8. The value: leading
// whitespace, an optional sign and the leading digits; a value without digits
// reads as 0, one beyond the int range is clamped. A missing section or key,
// or an empty value, gives `def`.
int IniReadInt(std::string_view text, std::string_view section, std::string_view key, int def);

// Reads ".\conf.ini" (in the current folder), section QORCONFIG.
int ReadConfigInt(const char* key);

// Start-up: WindowsAeroOff (no effect here) and DebugLogMode (sets g_logEnabled when 1).
void ReadConfig();

}  // namespace qor
