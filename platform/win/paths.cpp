// Paths on Windows: the executable's path and the temp folder in the ANSI
// code page with '/' separators; name resolution only unifies separators,
// since the file system itself ignores case.
#include "platform/paths.h"

#include <windows.h>

#include "platform/win/wide.h"

namespace qor::platform {
namespace {

std::string Forward(std::wstring_view w) {
  std::string s = FromWide(w, CP_ACP);
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

}  // namespace

std::string ExecutablePath() {
  wchar_t buf[32768];
  DWORD n = GetModuleFileNameW(nullptr, buf, DWORD(sizeof buf / sizeof buf[0]));
  if (n == 0 || n >= sizeof buf / sizeof buf[0]) return "";
  return Forward(std::wstring_view(buf, n));
}

std::string TempDirectory() {
  wchar_t buf[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, buf);
  std::string d = (n == 0 || n > MAX_PATH) ? std::string("C:/Windows/Temp") : Forward(std::wstring_view(buf, n));
  if (d.back() != '/') d += '/';
  return d;
}

std::string PathToAnsi(const std::string& path) { return path; }  // already ANSI

std::string ResolvePath(const char* name) {
  std::string p(name ? name : "");
  for (char& c : p)
    if (c == '\\') c = '/';
  return p;
}

}  // namespace qor::platform
