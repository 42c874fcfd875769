// The one resource lookup every loader uses: a loose file of the requested
// name wins; otherwise the archive index is asked.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qor {

struct ResourceLocation {
  std::string path;     // the loose file's real path, or the archive file name
  uint32_t offset = 0;  // member offset in the archive (0 for a loose file)
  uint32_t size = 0;    // member size (0 for a loose file)
  bool archived = false;
};

// Finds `name` (loose file first, then archive). False when it is neither.
bool FindResource(const char* name, ResourceLocation* out);

// Reads a whole resource: a loose file as stored; an archive member through
// the cipher when `decipher`, else as stored. Bytes past the archive's end are
// missing (the result is shorter). False when the file cannot be opened.
bool ReadResource(const ResourceLocation& loc, bool decipher, std::vector<uint8_t>* out);

}  // namespace qor
