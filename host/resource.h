// The one resource lookup every loader uses: a loose file of the requested
// name wins; otherwise the archive index is asked.
#pragma once
#include <cstdint>
#include <string>

namespace qor {

struct ResourceLocation {
  std::string path;     // the loose file's real path, or the archive file name
  uint32_t offset = 0;  // member offset in the archive (0 for a loose file)
  uint32_t size = 0;    // member size (0 for a loose file)
  bool archived = false;
};

// Finds `name` (loose file first, then archive). False when it is neither.
bool FindResource(const char* name, ResourceLocation* out);

// Reading goes through the resource stream (host/resource_stream.h).

}  // namespace qor
