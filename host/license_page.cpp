// The licence page's private location, its creation and its removal at exit.
#include "host/license_page.h"

#include <cstdio>

#include "host/engine.h"
#include "platform/file_system.h"

namespace qor {
namespace {

const char kPageName[] = "qorlicense.html";
std::string g_madeDir;       // the private folder this run made ("" when none)
std::string g_writtenPage;   // the page this run showed ("" when none)

// A folder only this user may enter: the runtime folder, or one made once
// per run (removed at exit).
std::string PrivateDir() {
  if (!g_madeDir.empty()) return g_madeDir;
  bool made = false;
  std::string dir = platform::PrivateFolder(&made);
  if (made) g_madeDir = dir;
  return dir;
}

}  // namespace

bool EnsureLicensePage(std::string* path) {
  path->clear();
  std::string dir = PrivateDir();
  if (dir.empty()) return false;
  std::string page = dir + kPageName;
  bool existed = false;
  FILE* f = platform::CreateNewFile(page, &existed);
  if (!f) {
    // The folder is private: a page already there was written by this user
    // (earlier in this run, or by a run that did not end cleanly) and is
    // shown as it is.
    if (existed) {
      g_writtenPage = page;  // removed at exit like a page of this run
      *path = page;
      return true;
    }
    return false;
  }
  WriteLicensePage(f);
  bool ok = fclose(f) == 0;
  g_writtenPage = page;
  *path = page;
  return ok;
}

void RemoveLicensePage() {
  if (!g_writtenPage.empty()) remove(g_writtenPage.c_str());
  g_writtenPage.clear();
  if (!g_madeDir.empty()) platform::RemoveFolder(g_madeDir);
  g_madeDir.clear();
}

}  // namespace qor
