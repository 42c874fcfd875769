// The archive index: every member of 00.qar … 99.qar by lower-cased name,
// and the parser of one archive's index, shared with the qar tool.
//
// An archive starts with a 32-bit little-endian dataStart, then entries
// ("name" in double quotes, 32-bit size) back to back, ended by the byte 'e'.
// Members follow from dataStart in index order without gaps. Even-numbered
// archives have their header and index enciphered, odd-numbered ones plain.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// ---- One archive's index ----

constexpr size_t kMaxMemberName = 255;

// One index entry as stored (name not lower-cased), with its computed offset.
struct ArchiveIndexEntry {
  std::string name;
  uint32_t offset;
  uint32_t size;
};

struct ArchiveIndex {
  uint32_t dataStart = 0;
  std::vector<ArchiveIndexEntry> entries;  // in index order
};

// Where the index bytes come from (plain file, deciphered file, memory).
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual size_t Read(void* dst, size_t n) = 0;  // bytes read; fewer at the end
};

// Parses an index. False when it is corrupt: a byte other than '"' or 'e'
// where an entry starts, a name longer than 255 bytes, the data ending
// inside the index, or member offsets that no longer fit in 32 bits.
bool ParseArchiveIndex(ByteSource& in, ArchiveIndex* out);
bool ParseArchiveIndex(const uint8_t* data, size_t size, ArchiveIndex* out);

// Whether archive number `n` has its header and index enciphered.
inline bool ArchiveIndexEnciphered(int n) { return n % 2 == 0; }

enum class IndexRead { kOk, kCannotOpen, kCorrupt };

// Reads the index of the archive file `path`, deciphered when `enciphered`.
IndexRead ReadArchiveIndexFile(const char* path, bool enciphered, ArchiveIndex* out);

// The archive number of a file named "NN.qar" (any folder, ".qar" in any
// letter case), or -1.
int ArchiveNumberFromName(std::string_view path);

// The map key of a stored name: each ASCII letter lower-cased (independent of
// the C locale, so the same on every machine).
std::string ArchiveIndexKey(std::string_view storedName);

// The map key a lookup searches for: '/' becomes '\', ASCII letters lower-cased.
std::string ArchiveLookupKey(std::string_view name);

// Lower-cases ASCII letters only.
inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c; }

}  // namespace qor
