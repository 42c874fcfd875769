// The face catalog on Windows: the system's Fonts folder and the per-user
// one, scanned once with FreeType.
#include "image/font_catalog.h"

#include <windows.h>

#include <cstdlib>

#include "image/font_folder_catalog.h"

namespace qor {
namespace {

std::string AnsiOf(const std::wstring& w) {
  int n = WideCharToMultiByte(CP_ACP, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, w.data(), int(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

const FolderCatalog& Catalog() {
  static const FolderCatalog catalog = [] {
    FolderCatalog c;
    wchar_t windows[MAX_PATH];
    UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    if (n > 0 && n < MAX_PATH) c.AddFolder(AnsiOf(std::wstring(windows, n) + L"\\Fonts"));
    if (const wchar_t* local = _wgetenv(L"LOCALAPPDATA"); local && *local)
      c.AddFolder(AnsiOf(std::wstring(local) + L"\\Microsoft\\Windows\\Fonts"));
    return c;
  }();
  return catalog;
}

}  // namespace

bool CatalogFindFamily(const std::string& family, FaceChoice* out) { return Catalog().FindFamily(family, out); }
bool CatalogBestMatch(const std::string& name, FaceChoice* out) { return Catalog().BestMatch(name, out); }
bool CatalogFaceWithChar(const std::string& family, char32_t cp, FaceChoice* out) {
  return Catalog().FaceWithChar(family, cp, out);
}

}  // namespace qor
