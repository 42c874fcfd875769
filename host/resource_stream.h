// One stream for every loader: a script's resource name resolves to the loose
// file first, then to an archive member (deciphered, or as stored for sounds),
// and is read with size, read, seek and tell. Codecs read through this and
// never know about archives or the cipher.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "host/resource.h"

namespace qor {

class ResourceStream {
 public:
  virtual ~ResourceStream() = default;
  // Bytes that can really be read. For an archive member whose index size runs
  // past the archive's end this is the part that exists, never the declared size.
  virtual uint64_t Size() const = 0;
  // Copies up to `n` bytes from the current position; fewer at the end or on
  // a read error (0 once nothing more can be read).
  virtual size_t Read(void* dst, size_t n) = 0;
  // Moves to `pos` (0 … Size()); false, position unchanged, when out of range
  // or the underlying file cannot seek.
  virtual bool Seek(uint64_t pos) = 0;
  virtual uint64_t Tell() const = 0;
};

// How an archive member's bytes are delivered. Loose files are always read as stored.
enum class MemberBytes { Deciphered, Stored };

// Opens a located resource. Null (errno set where the system gave one) when
// the file cannot be opened, is not a regular file, or memory runs out.
std::unique_ptr<ResourceStream> OpenResourceStream(const ResourceLocation& loc, MemberBytes mode);

// Finds `name` (loose first, then the archives) and opens it. Null when it is
// neither or cannot be opened; `found` (optional) tells the two apart.
std::unique_ptr<ResourceStream> OpenResourceStream(const char* name, MemberBytes mode, bool* found = nullptr);

// Reads the rest of the stream. The buffer is sized by Size(), so a damaged
// index can never make it larger than the bytes that exist. False when memory
// runs out or a read fails part-way (`out` then holds what was read).
bool ReadRest(ResourceStream& s, std::vector<uint8_t>* out);

}  // namespace qor
