// Paths on POSIX: executable path, temp folder, Windows-style name resolution.
#include "platform/paths.h"

#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/text.h"

namespace qor::platform {

std::string ExecutablePath() {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "";
  buf[n] = 0;
  return buf;
}

std::string PathToAnsi(const std::string& path) { return Utf8ToAnsi(path); }

std::string TempDirectory() {
  const char* t = getenv("TMPDIR");
  std::string d = (t && *t) ? t : "/tmp";
  if (d.back() != '/') d += '/';
  return d;
}

namespace {

// Directory listings for the case-insensitive fallback, cached per folder and
// dropped when the folder's modification time changes (any create, delete or
// rename inside it), so files the engine writes are seen at once.
struct Listing {
  struct timespec mtime {};
  std::vector<std::string> names;
};
std::mutex g_listingLock;
std::unordered_map<std::string, Listing> g_listings;

bool Exists(const std::string& p) {
  struct stat st;
  return stat(p.c_str(), &st) == 0;
}

// Finds `component` in folder `dir` ignoring ASCII case; "" when absent.
std::string MatchInFolder(const std::string& dir, const std::string& component) {
  struct stat st;
  const std::string key = dir.empty() ? "." : dir;
  if (stat(key.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return "";
  std::lock_guard<std::mutex> guard(g_listingLock);
  Listing& l = g_listings[key];
  if (l.mtime.tv_sec != st.st_mtim.tv_sec || l.mtime.tv_nsec != st.st_mtim.tv_nsec || l.names.empty()) {
    l.names.clear();
    l.mtime = st.st_mtim;
    if (DIR* d = opendir(key.c_str())) {
      while (dirent* e = readdir(d)) l.names.emplace_back(e->d_name);
      closedir(d);
    }
  }
  for (const std::string& n : l.names)
    if (strcasecmp(n.c_str(), component.c_str()) == 0) return n;
  return "";
}

}  // namespace

namespace {

// The folder part of a path ("" for a bare name).
std::string FolderOf(const std::string& p) { return p.substr(0, p.find_last_of('/') + 1); }

}  // namespace

std::string ResolvePath(const char* name) {
  std::string p(name ? name : "");
  for (char& c : p)
    if (c == '\\') c = '/';
  if (p.empty() || Exists(p)) return p;
  // Paths the engine hands to scripts are in the ANSI code page (CP932); when
  // such a name comes back and only its UTF-8 form exists on disk (itself or
  // its folder, for a file about to be created), that form is the file meant.
  if (std::any_of(p.begin(), p.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
    std::string utf8 = AnsiToUtf8(p);
    if (utf8 != p && utf8.find('?') == p.find('?') &&
        (Exists(utf8) || (!Exists(FolderOf(p)) && !FolderOf(utf8).empty() && Exists(FolderOf(utf8)))))
      return utf8;
  }
  // Walk the components, replacing each by its real spelling where one exists.
  std::string out;
  size_t i = 0;
  if (p[0] == '/') {
    out.push_back('/');
    i = 1;
  }
  while (i <= p.size()) {
    size_t j = p.find('/', i);
    if (j == std::string::npos) j = p.size();
    std::string comp = p.substr(i, j - i);
    if (!comp.empty()) {
      std::string cand = out + comp;
      if (comp != "." && comp != ".." && !Exists(cand)) {
        // The folder is `out` without its trailing separator ("/" stays "/").
        std::string folder = out;
        if (folder.size() > 1) folder.pop_back();
        std::string real = MatchInFolder(folder, comp);
        if (real.empty()) return p;  // nothing matches: keep the name as given
        cand = out + real;
      }
      out = cand;
      if (j < p.size()) out += '/';
    } else if (j < p.size() && !out.empty() && out.back() != '/') {
      out += '/';
    }
    i = j + 1;
  }
  return out;
}

}  // namespace qor::platform
