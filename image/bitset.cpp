// Bitset storage, file loading and atomic saving.
#include "image/bitset.h"

#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/file_system.h"
#include "platform/paths.h"

namespace qor {

BitsetStatus BitsetCreate(UBitset* b, int n) {
  if (n < 0) return BitsetStatus::kNegativeCount;
  b->bytes = static_cast<uint8_t*>(calloc(size_t(n / 8) + 1, 1));
  if (!b->bytes) return BitsetStatus::kNoMemory;
  b->byteCount = n / 8 + 1;
  b->bitCount = n;
  return BitsetStatus::kOk;
}

BitsetStatus BitsetLoad(UBitset* b, const std::string& path) {
  FILE* f = platform::OpenFile(path.c_str(), "rb");
  if (!f) return BitsetStatus::kMissing;
  uint64_t length = 0;
  if (platform::KindOfOpenFile(f, &length) != platform::PathKind::kFile || length == 0) {
    fclose(f);
    return BitsetStatus::kMissing;
  }
  // 8 × size positions must fit the record's 32-bit count.
  if (length > uint64_t(std::numeric_limits<int32_t>::max() / 8)) {
    fclose(f);
    return BitsetStatus::kNoMemory;
  }
  size_t size = size_t(length);
  uint8_t* bytes = static_cast<uint8_t*>(calloc(size + 1, 1));
  if (!bytes) {
    fclose(f);
    return BitsetStatus::kNoMemory;
  }
  size_t got = fread(bytes, 1, size, f);
  fclose(f);
  if (got != size) {
    free(bytes);
    return BitsetStatus::kReadFailed;
  }
  b->bytes = bytes;
  b->byteCount = int32_t(size + 1);
  b->bitCount = int32_t(size * 8);
  return BitsetStatus::kOk;
}

BitsetStatus BitsetSave(const UBitset& b, const std::string& path) {
  return platform::WriteFileAtomic(platform::ResolvePath(path.c_str()), b.bytes, size_t(b.byteCount))
             ? BitsetStatus::kOk
             : BitsetStatus::kWriteFailed;
}

void BitsetFree(UBitset* b) {
  free(b->bytes);
  b->bytes = nullptr;
}

}  // namespace qor
