// File services on Windows: FindFirstFileW listings, file times through
// GetFileAttributesExW, the shell's documents folder.
#include "platform/files.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>

#include "platform/win/wide.h"

namespace qor::platform {
namespace {

bool NameBefore(const std::string& a, const std::string& b) {
  int c = _stricmp(a.c_str(), b.c_str());
  return c != 0 ? c < 0 : a < b;
}

// A folder's identity (volume and file index), so a link or junction back to
// a folder being scanned is not entered again (it would never end).
using FolderId = std::pair<DWORD, uint64_t>;
bool IdOf(const std::string& folder, FolderId* id) {
  const std::wstring wide = WidePath(folder);
  HANDLE h = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  bool ok = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  if (ok) *id = {info.dwVolumeSerialNumber, (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
  return ok;
}

void Scan(const std::string& folder, const std::string& prefix, std::vector<std::string>* out,
          const std::function<void(const std::string&)>& warn, std::vector<FolderId>* chain) {
  FolderId self;
  if (!IdOf(folder, &self) || std::find(chain->begin(), chain->end(), self) != chain->end()) return;
  chain->push_back(self);
  struct Entry {
    std::string name;
    bool folder;
  };
  std::vector<Entry> entries;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(WidePath(folder + "*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) {
    chain->pop_back();
    return;
  }
  do {
    if (!wcscmp(fd.cFileName, L".") || !wcscmp(fd.cFileName, L"..")) continue;
    entries.push_back({FromWide(fd.cFileName, CP_ACP), (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return NameBefore(a.name, b.name); });
  for (const Entry& e : entries) {
    std::string rel = prefix + e.name;
    if (!e.folder) {
      out->push_back(std::move(rel));
      continue;
    }
    std::string sub = folder + e.name + "/";
    if (GetFileAttributesW(WidePath(sub).c_str()) == INVALID_FILE_ATTRIBUTES) {
      warn(rel);
      continue;
    }
    Scan(sub, rel + '\\', out, warn, chain);
  }
  chain->pop_back();
}

}  // namespace

bool ListFilesRecursive(const std::string& folder, std::vector<std::string>* out,
                        const std::function<void(const std::string&)>& warn) {
  std::string dir = folder.empty() ? "./" : folder;
  if (dir.back() != '/' && dir.back() != '\\') dir += '/';
  DWORD a = GetFileAttributesW(WidePath(dir).c_str());
  if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY)) return false;
  std::vector<FolderId> chain;
  Scan(dir, "", out, warn, &chain);
  return true;
}

bool FileLocalTime(const std::string& path, int fields[6]) {
  std::fill(fields, fields + 6, 0);
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data)) return false;
  FILETIME local;
  SYSTEMTIME t;
  if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &t)) return false;
  fields[0] = t.wYear;
  fields[1] = t.wMonth;
  fields[2] = t.wDay;
  fields[3] = t.wHour;
  fields[4] = t.wMinute;
  fields[5] = t.wSecond;
  return true;
}

int64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data)) return 0;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return 0;
  return int64_t((uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

void MakeFolder(const std::string& path) { CreateDirectoryW(WidePath(path).c_str(), nullptr); }

std::string DocumentsFolder() {
  std::string dir;
  PIDLIST_ABSOLUTE list = nullptr;
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &list)) && list) {
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(list, path)) dir = FromWide(path, CP_ACP);
    CoTaskMemFree(list);
  }
  for (char& c : dir)
    if (c == '\\') c = '/';
  if (dir.empty()) dir = "./";
  if (dir.back() != '/') dir += '/';
  return dir;
}

}  // namespace qor::platform
