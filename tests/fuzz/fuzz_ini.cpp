// Fuzzes the conf.ini reader: arbitrary text, fixed and fuzzed section and key names.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "host/config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view all(reinterpret_cast<const char*>(data), size);
  // The first bytes (up to a NUL) name a key to look up; the rest is the file.
  size_t cut = all.find('\0');
  std::string_view key = cut == std::string_view::npos ? std::string_view() : all.substr(0, cut);
  std::string_view text = cut == std::string_view::npos ? all : all.substr(cut + 1);
  volatile unsigned sink = 0;  // unsigned: the sum may wrap
  sink += (unsigned)qor::IniReadInt(text, "QORCONFIG", "DebugLogMode", 0);
  sink += (unsigned)qor::IniReadInt(text, "QORCONFIG", "WindowsAeroOff", -1);
  sink += (unsigned)qor::IniReadInt(text, "qorconfig", key, 7);
  sink += (unsigned)qor::IniReadInt(text, key, key, 0);
  sink += (unsigned)qor::IniReadInt(text, "", "", 1);
  (void)sink;
  return 0;
}
