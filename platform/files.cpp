// The engine's path split, the same on every platform.
#include "platform/files.h"

#include <cctype>

namespace qor::platform {

void SplitEnginePath(const std::string& path, std::string* folder, std::string* name) {
  std::string s = path;
  for (char& c : s) c = c == '\\' ? '/' : static_cast<char>(toupper(static_cast<unsigned char>(c)));
  size_t slash = s.size() > 1 ? s.find_last_of('/') : std::string::npos;
  if (slash == std::string::npos || slash == 0) {
    folder->clear();
    *name = s;
    return;
  }
  *folder = s.substr(0, slash);
  *name = s.substr(slash + 1);
}

}  // namespace qor::platform
