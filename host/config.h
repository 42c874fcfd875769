// conf.ini: an INI reader with GetPrivateProfileIntA's rules, and the start-up reading.
#pragma once
#include <string_view>

namespace qor {

// Integer value of `key` in `section` of the INI text: names compare
// case-insensitively, leading whitespace is skipped, an optional sign and the
// leading digits are taken; a missing section/key or no digits give `def`.
int IniReadInt(std::string_view text, std::string_view section, std::string_view key, int def);

// Reads ".\conf.ini" (in the current folder), section QORCONFIG.
int ReadConfigInt(const char* key);

// Start-up: WindowsAeroOff (no effect here) and DebugLogMode (sets g_logEnabled when 1).
void ReadConfig();

}  // namespace qor
