// The loose-file-first resource lookup shared by every loader.
#include "host/resource.h"

#include <cstdio>

#include "host/archive.h"
#include "host/cipher.h"
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

bool ReadResource(const ResourceLocation& loc, bool decipher, std::vector<uint8_t>* out) {
  out->clear();
  if (!loc.archived) return platform::ReadWholeFile(loc.path, out);
  out->resize(loc.size);
  size_t got = 0;
  if (decipher) {
    UCipherFile* f = CipherOpen(loc.path.c_str());
    if (!f) return false;
    if (CipherSeek(f, loc.offset) == 0) got = CipherRead(f, 1, out->data(), loc.size);
    CipherClose(f);
  } else {
    FILE* f = fopen(loc.path.c_str(), "rb");
    if (!f) return false;
    if (fseek(f, long(loc.offset), SEEK_SET) == 0) got = fread(out->data(), 1, loc.size, f);
    fclose(f);
  }
  out->resize(got);
  return true;
}

}  // namespace qor
