// The licence page's private location, its creation and its removal at exit.
#include "host/license_page.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "host/engine.h"
#include "platform/paths.h"

namespace qor {
namespace {

const char kPageName[] = "qorlicense.html";
std::string g_madeDir;       // the private folder this run made ("" when none)
std::string g_writtenPage;   // the page this run showed ("" when none)

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

std::string PrivateDir() {
  std::string dir;
  if (RuntimeDir(&dir)) return dir;
  if (g_madeDir.empty()) {
    std::string tmpl = platform::TempDirectory() + "qor-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back(0);
    if (!mkdtemp(buf.data())) return "";  // mkdtemp makes it with mode 0700
    g_madeDir = std::string(buf.data()) + "/";
  }
  return g_madeDir;
}

}  // namespace

bool EnsureLicensePage(std::string* path) {
  path->clear();
  std::string dir = PrivateDir();
  if (dir.empty()) return false;
  std::string page = dir + kPageName;
  int fd = open(page.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    // The folder is private: a page already there was written by this user
    // (earlier in this run, or by a run that did not end cleanly) and is
    // shown as it is.
    if (errno == EEXIST) {
      g_writtenPage = page;  // removed at exit like a page of this run
      *path = page;
      return true;
    }
    return false;
  }
  FILE* f = fdopen(fd, "w");
  if (!f) {
    close(fd);
    unlink(page.c_str());
    return false;
  }
  WriteLicensePage(f);
  bool ok = fclose(f) == 0;
  g_writtenPage = page;
  *path = page;
  return ok;
}

void RemoveLicensePage() {
  if (!g_writtenPage.empty()) unlink(g_writtenPage.c_str());
  g_writtenPage.clear();
  if (!g_madeDir.empty()) rmdir(g_madeDir.c_str());
  g_madeDir.clear();
}

}  // namespace qor
