// The archive block cipher and the enciphered-file reader.
#pragma once
#include <cstdint>
#include <cstdio>

namespace qor {

// Deciphers / enciphers one 32-byte block with the engine key (g_engineKey).
void BlockDecipher(const uint8_t in[32], uint8_t out[32]);
void BlockEncipher(const uint8_t in[32], uint8_t out[32]);

// An archive opened for deciphered reading in 32-byte blocks.
struct UCipherFile {
  FILE* file;
  uint8_t block[32];
  uint32_t length;     // file length at open
  int32_t blockBytes;  // bytes in the current block
  int32_t blockPos;    // next byte in the block; -1 = none loaded
  uint32_t position;   // logical position
};

UCipherFile* CipherOpen(const char* name);  // nullptr when the file cannot be opened
int CipherSeek(UCipherFile* f, uint32_t offset);  // 0, or -1 when the block cannot be read
size_t CipherRead(UCipherFile* f, size_t elemSize, void* buf, size_t count);  // bytes delivered
void CipherClose(UCipherFile* f);

}  // namespace qor
