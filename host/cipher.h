// The archive block cipher and the enciphered-file reader.
//
// Archives are enciphered in independent 32-byte blocks at file offsets 0, 32,
// 64, … : a three-round Feistel network whose round function is one MD5
// compression of (16-byte half, 48-byte key part) on the MD5 initial values.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace qor {

// Working copy of the engine key: its first 96 bytes (cipher key parts A and B).
extern unsigned char g_engineKey[96];
// The full 100-character engine key compiled into this build (engine_key.cpp).
extern const char* const kEngineKey;

// One MD5 compression (the RFC 1321 block transform, including the final
// addition of the chaining values) of the 64-byte `block` into `state`.
void Md5Compress(uint32_t state[4], const uint8_t block[64]);

// Deciphers / enciphers one 32-byte block with the engine key (g_engineKey).
// `in` and `out` may be the same buffer.
void BlockDecipher(const uint8_t in[32], uint8_t out[32]);
void BlockEncipher(const uint8_t in[32], uint8_t out[32]);

// The same over `blocks` consecutive 32-byte blocks, in place.
void DecipherBlocks(uint8_t* data, size_t blocks);
void EncipherBlocks(uint8_t* data, size_t blocks);

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
