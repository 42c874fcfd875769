// File-system primitives on POSIX: stat, getcwd/chdir, mkstemp + rename,
// O_EXCL creation, isatty.
#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/paths.h"

namespace qor::platform {
namespace {

PathKind KindOf(const struct stat& st) {
  if (S_ISREG(st.st_mode)) return PathKind::kFile;
  if (S_ISDIR(st.st_mode)) return PathKind::kFolder;
  return PathKind::kOther;
}

// $XDG_RUNTIME_DIR when it is an absolute path to a directory owned by this
// user that nobody else may enter.
bool RuntimeDir(std::string* dir) {
  const char* xdg = getenv("XDG_RUNTIME_DIR");
  struct stat st;
  if (!xdg || xdg[0] != '/' || lstat(xdg, &st) != 0) return false;
  if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid() || (st.st_mode & 077) != 0) return false;
  *dir = xdg;
  if (dir->back() != '/') *dir += '/';
  return true;
}

}  // namespace

PathKind KindOfPath(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? KindOf(st) : PathKind::kMissing;
}

PathKind KindOfOpenFile(FILE* f, uint64_t* size) {
  struct stat st;
  if (fstat(fileno(f), &st) != 0) return PathKind::kMissing;
  if (S_ISREG(st.st_mode)) *size = uint64_t(st.st_size);
  return KindOf(st);
}

bool IsAbsolutePath(const std::string& path) { return !path.empty() && path[0] == '/'; }

std::string CurrentDirectory() {
  char cwd[4096];
  if (!getcwd(cwd, sizeof cwd)) return "";
  std::string dir = cwd;
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

bool ChangeDirectory(const std::string& path) { return chdir(path.c_str()) == 0; }

bool Writable(const std::string& path, bool folder) {
  return access(path.c_str(), folder ? W_OK | X_OK : W_OK) == 0;
}

FILE* CreateTempBeside(const std::string& path, std::string* tmpPath) {
  std::string tmp = path + ".tmp-XXXXXX";
  int fd = mkstemp(tmp.data());
  if (fd < 0) return nullptr;
  fchmod(fd, 0644);
  FILE* f = fdopen(fd, "wb");
  if (!f) {
    int saved = errno;
    close(fd);
    unlink(tmp.c_str());
    errno = saved;
    return nullptr;
  }
  *tmpPath = tmp;
  return f;
}

bool SyncFile(FILE* f) { return fflush(f) == 0 && fsync(fileno(f)) == 0; }

bool RenameOver(const std::string& from, const std::string& to) { return rename(from.c_str(), to.c_str()) == 0; }

std::string PrivateFolder(bool* made) {
  *made = false;
  std::string dir;
  if (RuntimeDir(&dir)) return dir;
  std::string tmpl = TempDirectory() + "qor-XXXXXX";
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back(0);
  if (!mkdtemp(buf.data())) return "";  // mkdtemp makes it with mode 0700
  *made = true;
  return std::string(buf.data()) + "/";
}

FILE* CreateNewFile(const std::string& path, bool* existed) {
  *existed = false;
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    *existed = errno == EEXIST;
    return nullptr;
  }
  FILE* f = fdopen(fd, "w");
  if (!f) {
    close(fd);
    unlink(path.c_str());
  }
  return f;
}

void RemoveFolder(const std::string& path) { (void)rmdir(path.c_str()); }

void SetBinaryMode(FILE*) {}

bool IsTerminal(FILE* f) { return isatty(fileno(f)) != 0; }

}  // namespace qor::platform
