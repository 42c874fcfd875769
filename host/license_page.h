// Where the licence page is written for Alt+L: a folder only this user can
// enter, so nobody else can plant a file or a link under the page's name.
#pragma once
#include <string>

namespace qor {

// Writes the licence page unless this run wrote it already, and gives its
// path. The folder is $XDG_RUNTIME_DIR when it is a folder of this user
// closed to others, else a new private folder in the temp directory. The file
// is created new (never through a link, never over another file). False with
// an empty path when no private folder could be had or the page not written.
bool EnsureLicensePage(std::string* path);

// Deletes the page and the private folder made for it (exit clean-up).
void RemoveLicensePage();

}  // namespace qor
