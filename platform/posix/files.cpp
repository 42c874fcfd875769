// File services on POSIX: listings through openat/fdopendir (no chdir),
// stat-based times and sizes, XDG documents folder.
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/paths.h"

namespace qor::platform {
namespace {

// ASCII case-insensitive order; names equal but for case keep a byte order
// so the listing is the same on every run.
bool NameBefore(const std::string& a, const std::string& b) {
  int c = strcasecmp(a.c_str(), b.c_str());
  return c != 0 ? c < 0 : a < b;
}

// The folders being scanned, outermost first: a link back to one of them is
// not entered again (it would never end).
using Chain = std::vector<std::pair<dev_t, ino_t>>;

void Scan(int dirfd, const std::string& prefix, std::vector<std::string>* out,
          const std::function<void(const std::string&)>& warn, Chain* chain) {
  struct stat self;
  bool looped = fstat(dirfd, &self) != 0;
  for (const auto& [dev, ino] : *chain) looped = looped || (dev == self.st_dev && ino == self.st_ino);
  if (looped) {
    close(dirfd);
    return;
  }
  chain->emplace_back(self.st_dev, self.st_ino);
  DIR* d = fdopendir(dirfd);
  if (!d) {
    close(dirfd);
    chain->pop_back();
    return;
  }
  struct Entry {
    std::string name;
    bool folder;
  };
  std::vector<Entry> entries;
  while (dirent* e = readdir(d)) {
    if (!strcmp(e->d_name, ".") || !strcmp(e->d_name, "..")) continue;
    bool folder = e->d_type == DT_DIR;
    if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
      struct stat st;
      folder = fstatat(dirfd, e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
    }
    entries.push_back({e->d_name, folder});
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return NameBefore(a.name, b.name); });
  for (const Entry& e : entries) {
    std::string rel = prefix + e.name;
    if (!e.folder) {
      out->push_back(std::move(rel));
      continue;
    }
    int sub = openat(dirfd, e.name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (sub < 0) {
      warn(rel);
      continue;
    }
    Scan(sub, rel + '\\', out, warn, chain);
  }
  closedir(d);
  chain->pop_back();
}

std::string HomeFolder() {
  const char* h = getenv("HOME");
  return h && *h ? h : "/";
}

// The value of XDG_DOCUMENTS_DIR in a user-dirs.dirs file: "$HOME/…" or an
// absolute path in double quotes.
std::string FromUserDirsFile(const std::string& file) {
  std::string text;
  if (!ReadWholeFile(file, &text)) return "";
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, 18, "XDG_DOCUMENTS_DIR=") != 0) continue;
    std::string v = line.substr(start + 18);
    if (v.size() >= 2 && v.front() == '"') v = v.substr(1, v.find('"', 1) - 1);
    if (v.compare(0, 5, "$HOME") == 0) v = HomeFolder() + v.substr(5);
    return v.empty() || v[0] != '/' ? "" : v;
  }
  return "";
}

bool IsFolder(const std::string& p) {
  struct stat st;
  return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

bool ListFilesRecursive(const std::string& folder, std::vector<std::string>* out,
                        const std::function<void(const std::string&)>& warn) {
  int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  Chain chain;
  Scan(fd, "", out, warn, &chain);
  return true;
}

bool FileLocalTime(const std::string& path, int fields[6]) {
  std::fill(fields, fields + 6, 0);
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  struct tm t;
  if (!localtime_r(&st.st_mtime, &t)) return false;
  fields[0] = t.tm_year + 1900;
  fields[1] = t.tm_mon + 1;
  fields[2] = t.tm_mday;
  fields[3] = t.tm_hour;
  fields[4] = t.tm_min;
  fields[5] = t.tm_sec;
  return true;
}

int64_t FileSize(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  struct stat st;
  int64_t size = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? int64_t(st.st_size) : 0;
  close(fd);
  return size;
}

void MakeFolder(const std::string& path) { (void)mkdir(path.c_str(), 0777); }

std::string DocumentsFolder() {
  std::string dir;
  if (const char* env = getenv("XDG_DOCUMENTS_DIR"); env && *env == '/') dir = env;
  if (dir.empty()) {
    const char* cfg = getenv("XDG_CONFIG_HOME");
    std::string base = cfg && *cfg == '/' ? cfg : HomeFolder() + "/.config";
    dir = FromUserDirsFile(base + "/user-dirs.dirs");
  }
  if (dir.empty() && IsFolder(HomeFolder() + "/Documents")) dir = HomeFolder() + "/Documents";
  if (dir.empty()) dir = HomeFolder();
  if (dir.back() != '/') dir += '/';
  return dir;
}

}  // namespace qor::platform
