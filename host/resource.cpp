// The loose-file-first resource lookup shared by every loader.
#include "host/resource.h"

#include "host/archive.h"
#include "platform/paths.h"

namespace qor {

bool FindResource(const char* name, ResourceLocation* out) {
  if (platform::RegularFileExists(name)) {
    *out = ResourceLocation{platform::ResolvePath(name), 0, 0, false};
    return true;
  }
  ArchiveMember m;
  if (!ArchiveLookup(name, &m)) return false;
  *out = ResourceLocation{m.file, m.offset, m.size, true};
  return true;
}

}  // namespace qor
