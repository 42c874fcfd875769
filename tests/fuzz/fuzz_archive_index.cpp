// libFuzzer target: the archive index parser on arbitrary bytes. Every input
// must either parse into entries whose offsets follow from dataStart and the
// sizes, or be rejected; never crash or read out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "host/archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qor::ArchiveIndex index;
  if (!qor::ParseArchiveIndex(data, size, &index)) return 0;
  uint64_t offset = index.dataStart;
  for (const qor::ArchiveIndexEntry& e : index.entries) {
    if (e.name.size() > qor::kMaxMemberName || e.offset != offset) abort();
    if (e.name.find('"') != std::string::npos) abort();
    offset += e.size;
  }
  // Each entry takes at least 6 bytes (two quotes, the size) after dataStart.
  if (4 + 6 * index.entries.size() + 1 > size) abort();
  return 0;
}
