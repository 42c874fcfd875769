// File-system primitives on Windows: attributes through the W calls (paths
// converted from the ANSI code page), MoveFileExW for atomic replacement,
// CREATE_NEW for exclusive creation.
#include "platform/file_system.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cerrno>

#include "platform/paths.h"
#include "platform/win/wide.h"

namespace qor::platform {
namespace {

// A Win32 handle opened by CreateFileW as a stdio stream.
FILE* StreamOf(HANDLE h, int flags, const char* mode) {
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  int fd = _open_osfhandle(intptr_t(h), flags);
  if (fd < 0) {
    CloseHandle(h);
    return nullptr;
  }
  FILE* f = _fdopen(fd, mode);
  if (!f) _close(fd);
  return f;
}

void SetErrnoFromLastError() {
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: errno = ENOENT; break;
    case ERROR_ACCESS_DENIED: errno = EACCES; break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: errno = EEXIST; break;
    default: errno = EIO; break;
  }
}

}  // namespace

PathKind KindOfPath(const std::string& path) {
  const std::wstring wide = WidePath(path);  // kept: freeing it could reset the last error
  DWORD a = GetFileAttributesW(wide.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) {
    SetErrnoFromLastError();
    return PathKind::kMissing;
  }
  return (a & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::kFolder : PathKind::kFile;
}

PathKind KindOfOpenFile(FILE* f, uint64_t* size) {
  HANDLE h = HANDLE(_get_osfhandle(_fileno(f)));
  if (h == INVALID_HANDLE_VALUE) return PathKind::kMissing;
  if (GetFileType(h) != FILE_TYPE_DISK) return PathKind::kOther;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h, &info)) return PathKind::kMissing;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::kFolder;
  *size = (uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  return PathKind::kFile;
}

bool IsAbsolutePath(const std::string& path) {
  if (path.size() >= 3 && isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
      (path[2] == '/' || path[2] == '\\'))
    return true;
  return !path.empty() && (path[0] == '/' || path[0] == '\\');
}

std::string CurrentDirectory() {
  wchar_t buf[MAX_PATH * 2];
  DWORD n = GetCurrentDirectoryW(DWORD(sizeof buf / sizeof buf[0]), buf);
  if (n == 0 || n >= sizeof buf / sizeof buf[0]) return "";
  std::string dir = FromWide(std::wstring_view(buf, n), CP_ACP);
  for (char& c : dir)
    if (c == '\\') c = '/';
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

bool ChangeDirectory(const std::string& path) { return SetCurrentDirectoryW(WidePath(path).c_str()) != 0; }

bool Writable(const std::string& path, bool folder) {
  const std::wstring wide = WidePath(path);
  DWORD a = GetFileAttributesW(wide.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) {
    SetErrnoFromLastError();
    return false;
  }
  if (!folder && (a & FILE_ATTRIBUTE_READONLY)) {
    errno = EACCES;
    return false;
  }
  return true;
}

FILE* CreateTempBeside(const std::string& path, std::string* tmpPath) {
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    char suffix[40];
    snprintf(suffix, sizeof suffix, ".tmp-%lu-%u", GetCurrentProcessId(), unsigned((GetTickCount() + attempt * 7919u) & 0xFFFFFF));
    std::string tmp = path + suffix;
    const std::wstring wide = WidePath(tmp);
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      SetErrnoFromLastError();
      return nullptr;
    }
    FILE* f = StreamOf(h, _O_BINARY | _O_WRONLY, "wb");
    if (!f) {
      DeleteFileW(wide.c_str());
      errno = EIO;
      return nullptr;
    }
    *tmpPath = tmp;
    return f;
  }
  errno = EEXIST;
  return nullptr;
}

bool SyncFile(FILE* f) {
  if (fflush(f) != 0) return false;
  return FlushFileBuffers(HANDLE(_get_osfhandle(_fileno(f)))) != 0;
}

bool RenameOver(const std::string& from, const std::string& to) {
  const std::wstring src = WidePath(from), dst = WidePath(to);
  if (MoveFileExW(src.c_str(), dst.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  SetErrnoFromLastError();
  return false;
}

std::string PrivateFolder(bool* made) {
  // The per-user temp folder is not shared with other users.
  *made = false;
  std::string base = TempDirectory();
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    char name[40];
    snprintf(name, sizeof name, "qor-%lu-%u", GetCurrentProcessId(), attempt);
    std::string dir = base + name;
    const std::wstring wide = WidePath(dir);
    if (CreateDirectoryW(wide.c_str(), nullptr)) {
      *made = true;
      return dir + "/";
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return "";
  }
  return "";
}

FILE* CreateNewFile(const std::string& path, bool* existed) {
  const std::wstring wide = WidePath(path);
  HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  *existed = h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS;
  return StreamOf(h, _O_TEXT | _O_WRONLY, "w");
}

void RemoveFolder(const std::string& path) { RemoveDirectoryW(WidePath(path).c_str()); }

void SetBinaryMode(FILE* f) { _setmode(_fileno(f), _O_BINARY); }

bool IsTerminal(FILE* f) { return _isatty(_fileno(f)) != 0; }

}  // namespace qor::platform
