// conf.ini: a small INI reader with the rules of the Windows profile
// functions, and the start-up reading of the engine's switches.
#include "host/config.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>

#include "host/engine.h"
#include "platform/desktop.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace qor {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

// The profile functions' integer parsing: leading whitespace, an optional
// sign, then the leading decimal digits; no digits read as 0. A value beyond
// the int range is clamped to it (the nearest value the caller can hold).
int ParseInt(std::string_view v) {
  size_t i = 0;
  while (i < v.size() && IsSpace(v[i])) ++i;
  bool neg = false;
  if (i < v.size() && (v[i] == '+' || v[i] == '-')) neg = v[i++] == '-';
  long long n = 0;
  for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i) {
    n = n * 10 + (v[i] - '0');
    if (n > 1LL + INT_MAX) n = 1LL + INT_MAX;  // saturate: stays far below overflow
  }
  if (neg) n = -n;
  if (n > INT_MAX) return INT_MAX;
  if (n < INT_MIN) return INT_MIN;
  return int(n);
}

// UTF-16 text after its BOM (little- or big-endian) as UTF-8; a unit that is
// not part of a valid pair becomes '?'. A trailing odd byte is dropped.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size() / 2);
  auto unit = [&](size_t i) -> uint32_t {
    auto b0 = uint8_t(bytes[i]), b1 = uint8_t(bytes[i + 1]);
    return bigEndian ? (uint32_t(b0) << 8 | b1) : (uint32_t(b1) << 8 | b0);
  };
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    uint32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
      platform::AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 2) - 0xDC00));
      i += 2;
    } else {
      platform::AppendUtf8(out, u >= 0xD800 && u <= 0xDFFF ? '?' : u);
    }
  }
  return out;
}

// Finds the raw value of `key` in the first section named `section`.
// Returns false when the section or the key is missing.
bool FindValue(std::string_view text, std::string_view section, std::string_view key, std::string_view* value) {
  section = Trim(section);
  key = Trim(key);
  bool inSection = false, seenSection = false;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      if (seenSection) return false;  // only the first section of that name counts
      size_t close = line.find(']');
      std::string_view name = Trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
      inSection = SameName(name, section);
      seenSection = inSection;
      continue;
    }
    if (!inSection) continue;
    size_t eq = line.find('=');
    std::string_view name = Trim(line.substr(0, eq));
    if (!SameName(name, key)) continue;
    std::string_view v = eq == std::string_view::npos ? std::string_view() : Trim(line.substr(eq + 1));
    // A value in matching quotes loses them.
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
      v = v.substr(1, v.size() - 2);
    *value = v;
    return true;
  }
  return false;
}

}  // namespace

int IniReadInt(std::string_view text, std::string_view section, std::string_view key, int def) {
  // Notepad's "Unicode" saves UTF-16 with a BOM, and the profile functions
  // read it: such a file is read as its 8-bit (UTF-8) form.
  std::string wide;
  if (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF") {
    wide = Utf16ToUtf8(text.substr(2), text[0] == '\xFE');
    text = wide;
  } else if (text.substr(0, 3) == "\xEF\xBB\xBF") {
    text.remove_prefix(3);  // UTF-8 BOM
  }
  std::string_view v;
  if (!FindValue(text, section, key, &v) || v.empty()) return def;
  return ParseInt(v);
}

int ReadConfigInt(const char* key) {
  std::string text;
  if (!platform::ReadWholeFile(platform::ResolvePath("conf.ini"), &text)) return 0;
  return IniReadInt(text, "QORCONFIG", key, 0);
}

void ReadConfig() {
  // Turns desktop composition off where the system has it (no effect elsewhere).
  if (ReadConfigInt("WindowsAeroOff") == 1) platform::DisableDesktopComposition();
  if (ReadConfigInt("DebugLogMode") == 1) g_logEnabled = true;
}

}  // namespace qor
