// A fixed-size array of flags kept as raw bytes, least significant bit
// first, saved and loaded byte for byte (a player's seen-flags, settings).
#pragma once
#include <cstdint>
#include <string>

namespace qor {

// The record behind a `bitset` userdata. bytes is null after delete.
struct UBitset {
  uint8_t* bytes;
  int32_t byteCount;  // floor(bitCount / 8) + 1
  int32_t bitCount;   // positions 0 .. bitCount - 1
};

enum class BitsetStatus { kOk, kNegativeCount, kNoMemory, kMissing, kReadFailed, kWriteFailed };

// All flags false; kNegativeCount for n < 0.
BitsetStatus BitsetCreate(UBitset* b, int n);
// A file of n > 0 bytes gives 8n positions and n + 1 bytes (the last one 0).
// kMissing when the file cannot be opened or is empty.
BitsetStatus BitsetLoad(UBitset* b, const std::string& path);
// Writes byteCount bytes atomically (temporary file + rename).
BitsetStatus BitsetSave(const UBitset& b, const std::string& path);
// Frees the bytes (safe to call twice).
void BitsetFree(UBitset* b);

inline bool BitsetGet(const UBitset& b, int p) { return (b.bytes[p >> 3] >> (p & 7)) & 1; }
inline void BitsetSet(UBitset* b, int p) { b->bytes[p >> 3] |= uint8_t(1u << (p & 7)); }
inline void BitsetReset(UBitset* b, int p) { b->bytes[p >> 3] &= uint8_t(~(1u << (p & 7))); }

}  // namespace qor
