// The archive index: every member of 00.qar … 99.qar by lower-cased name.
#pragma once
#include <cstdint>

namespace qor {

// A found member: the archive's file name ("NN.qar"), offset and size.
struct ArchiveMember {
  char file[8];
  uint32_t offset;
  uint32_t size;
};

// Start-up step: reads the index of every archive NN.qar in the current
// folder. A corrupt index is fatal ("アーカイブ"%s"が壊れています！").
void LoadArchiveIndex();

// Looks a member up: '/' matches the stored '\', letters ignore case.
bool ArchiveLookup(const char* name, ArchiveMember* out);

}  // namespace qor
