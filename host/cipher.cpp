// The archive block cipher (MD5-based Feistel network) and UCipherFile, the
// reader that deciphers an archive in 32-byte blocks.
#include "host/cipher.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "host/engine.h"
#include "platform/file_system.h"

namespace qor {

unsigned char g_engineKey[96];

namespace {

inline uint32_t LoadLE(const uint8_t* p) {
  uint32_t v;
  memcpy(&v, p, 4);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  v = __builtin_bswap32(v);
#endif
  return v;
}

inline void StoreLE(uint8_t* p, uint32_t v) {
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  v = __builtin_bswap32(v);
#endif
  memcpy(p, &v, 4);
}

inline uint32_t Rotl(uint32_t x, int c) { return (x << c) | (x >> (32 - c)); }

constexpr uint32_t kInit[4] = {0x67452301u, 0xefcdab89u, 0x98badcfeu, 0x10325476u};

// The MD5 compression over message words W(0) … W(15), fully unrolled. W is a
// macro so that the round function below can take the first four words from
// the 16-byte half and the other twelve straight from the key without copying.
#define QOR_F(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define QOR_G(x, y, z) ((y) ^ ((z) & ((x) ^ (y))))
#define QOR_H(x, y, z) ((x) ^ (y) ^ (z))
#define QOR_I(x, y, z) ((y) ^ ((x) | ~(z)))
// QOR_STEP is defined by each user of QOR_MD5_ROUNDS: one lane, or several
// independent lanes interleaved.
#define QOR_STEP1(f, a, b, c, d, i, t, s) \
  a += f(b, c, d) + W(i) + (t);           \
  a = Rotl(a, s) + b;

#define QOR_MD5_ROUNDS                                   \
  QOR_STEP(QOR_F, a, b, c, d, 0, 0xd76aa478u, 7)         \
  QOR_STEP(QOR_F, d, a, b, c, 1, 0xe8c7b756u, 12)        \
  QOR_STEP(QOR_F, c, d, a, b, 2, 0x242070dbu, 17)        \
  QOR_STEP(QOR_F, b, c, d, a, 3, 0xc1bdceeeu, 22)        \
  QOR_STEP(QOR_F, a, b, c, d, 4, 0xf57c0fafu, 7)         \
  QOR_STEP(QOR_F, d, a, b, c, 5, 0x4787c62au, 12)        \
  QOR_STEP(QOR_F, c, d, a, b, 6, 0xa8304613u, 17)        \
  QOR_STEP(QOR_F, b, c, d, a, 7, 0xfd469501u, 22)        \
  QOR_STEP(QOR_F, a, b, c, d, 8, 0x698098d8u, 7)         \
  QOR_STEP(QOR_F, d, a, b, c, 9, 0x8b44f7afu, 12)        \
  QOR_STEP(QOR_F, c, d, a, b, 10, 0xffff5bb1u, 17)       \
  QOR_STEP(QOR_F, b, c, d, a, 11, 0x895cd7beu, 22)       \
  QOR_STEP(QOR_F, a, b, c, d, 12, 0x6b901122u, 7)        \
  QOR_STEP(QOR_F, d, a, b, c, 13, 0xfd987193u, 12)       \
  QOR_STEP(QOR_F, c, d, a, b, 14, 0xa679438eu, 17)       \
  QOR_STEP(QOR_F, b, c, d, a, 15, 0x49b40821u, 22)       \
  QOR_STEP(QOR_G, a, b, c, d, 1, 0xf61e2562u, 5)         \
  QOR_STEP(QOR_G, d, a, b, c, 6, 0xc040b340u, 9)         \
  QOR_STEP(QOR_G, c, d, a, b, 11, 0x265e5a51u, 14)       \
  QOR_STEP(QOR_G, b, c, d, a, 0, 0xe9b6c7aau, 20)        \
  QOR_STEP(QOR_G, a, b, c, d, 5, 0xd62f105du, 5)         \
  QOR_STEP(QOR_G, d, a, b, c, 10, 0x02441453u, 9)        \
  QOR_STEP(QOR_G, c, d, a, b, 15, 0xd8a1e681u, 14)       \
  QOR_STEP(QOR_G, b, c, d, a, 4, 0xe7d3fbc8u, 20)        \
  QOR_STEP(QOR_G, a, b, c, d, 9, 0x21e1cde6u, 5)         \
  QOR_STEP(QOR_G, d, a, b, c, 14, 0xc33707d6u, 9)        \
  QOR_STEP(QOR_G, c, d, a, b, 3, 0xf4d50d87u, 14)        \
  QOR_STEP(QOR_G, b, c, d, a, 8, 0x455a14edu, 20)        \
  QOR_STEP(QOR_G, a, b, c, d, 13, 0xa9e3e905u, 5)        \
  QOR_STEP(QOR_G, d, a, b, c, 2, 0xfcefa3f8u, 9)         \
  QOR_STEP(QOR_G, c, d, a, b, 7, 0x676f02d9u, 14)        \
  QOR_STEP(QOR_G, b, c, d, a, 12, 0x8d2a4c8au, 20)       \
  QOR_STEP(QOR_H, a, b, c, d, 5, 0xfffa3942u, 4)         \
  QOR_STEP(QOR_H, d, a, b, c, 8, 0x8771f681u, 11)        \
  QOR_STEP(QOR_H, c, d, a, b, 11, 0x6d9d6122u, 16)       \
  QOR_STEP(QOR_H, b, c, d, a, 14, 0xfde5380cu, 23)       \
  QOR_STEP(QOR_H, a, b, c, d, 1, 0xa4beea44u, 4)         \
  QOR_STEP(QOR_H, d, a, b, c, 4, 0x4bdecfa9u, 11)        \
  QOR_STEP(QOR_H, c, d, a, b, 7, 0xf6bb4b60u, 16)        \
  QOR_STEP(QOR_H, b, c, d, a, 10, 0xbebfbc70u, 23)       \
  QOR_STEP(QOR_H, a, b, c, d, 13, 0x289b7ec6u, 4)        \
  QOR_STEP(QOR_H, d, a, b, c, 0, 0xeaa127fau, 11)        \
  QOR_STEP(QOR_H, c, d, a, b, 3, 0xd4ef3085u, 16)        \
  QOR_STEP(QOR_H, b, c, d, a, 6, 0x04881d05u, 23)        \
  QOR_STEP(QOR_H, a, b, c, d, 9, 0xd9d4d039u, 4)         \
  QOR_STEP(QOR_H, d, a, b, c, 12, 0xe6db99e5u, 11)       \
  QOR_STEP(QOR_H, c, d, a, b, 15, 0x1fa27cf8u, 16)       \
  QOR_STEP(QOR_H, b, c, d, a, 2, 0xc4ac5665u, 23)        \
  QOR_STEP(QOR_I, a, b, c, d, 0, 0xf4292244u, 6)         \
  QOR_STEP(QOR_I, d, a, b, c, 7, 0x432aff97u, 10)        \
  QOR_STEP(QOR_I, c, d, a, b, 14, 0xab9423a7u, 15)       \
  QOR_STEP(QOR_I, b, c, d, a, 5, 0xfc93a039u, 21)        \
  QOR_STEP(QOR_I, a, b, c, d, 12, 0x655b59c3u, 6)        \
  QOR_STEP(QOR_I, d, a, b, c, 3, 0x8f0ccc92u, 10)        \
  QOR_STEP(QOR_I, c, d, a, b, 10, 0xffeff47du, 15)       \
  QOR_STEP(QOR_I, b, c, d, a, 1, 0x85845dd1u, 21)        \
  QOR_STEP(QOR_I, a, b, c, d, 8, 0x6fa87e4fu, 6)         \
  QOR_STEP(QOR_I, d, a, b, c, 15, 0xfe2ce6e0u, 10)       \
  QOR_STEP(QOR_I, c, d, a, b, 6, 0xa3014314u, 15)        \
  QOR_STEP(QOR_I, b, c, d, a, 13, 0x4e0811a1u, 21)       \
  QOR_STEP(QOR_I, a, b, c, d, 4, 0xf7537e82u, 6)         \
  QOR_STEP(QOR_I, d, a, b, c, 11, 0xbd3af235u, 10)       \
  QOR_STEP(QOR_I, c, d, a, b, 2, 0x2ad7d2bbu, 15)        \
  QOR_STEP(QOR_I, b, c, d, a, 9, 0xeb86d391u, 21)

// The key as message words: part A (bytes 0–47) and part B (bytes 48–95).
struct KeyWords {
  uint32_t a[12];
  uint32_t b[12];
};

inline KeyWords LoadKey() {
  KeyWords k;
  for (int i = 0; i < 12; ++i) {
    k.a[i] = LoadLE(g_engineKey + 4 * i);
    k.b[i] = LoadLE(g_engineKey + 48 + 4 * i);
  }
  return k;
}

// The round function: out = MD5 compression of (x[4 words] ‖ key[12 words])
// on the MD5 initial values, as four words.
__attribute__((always_inline)) inline void Round(const uint32_t x[4], const uint32_t key[12], uint32_t out[4]) {
#define W(i) ((i) < 4 ? x[(i) & 3] : key[((i) - 4) & 15])
#define QOR_STEP QOR_STEP1
  uint32_t a = kInit[0], b = kInit[1], c = kInit[2], d = kInit[3];
  QOR_MD5_ROUNDS
  out[0] = a + kInit[0];
  out[1] = b + kInit[1];
  out[2] = c + kInit[2];
  out[3] = d + kInit[3];
#undef QOR_STEP
#undef W
}

// The round function on N independent halves at once. One MD5 is a single
// chain of dependent steps; interleaving the chains of several blocks lets
// the processor (or the vectoriser) work on them side by side.
template <int N>
__attribute__((always_inline)) inline void RoundN(const uint32_t (*x)[4], const uint32_t key[12], uint32_t (*out)[4]) {
#define QOR_STEP(f, a, b, c, d, i, t, s)                                     \
  for (int j = 0; j < N; ++j) {                                              \
    a[j] += f(b[j], c[j], d[j]) + ((i) < 4 ? x[j][(i) & 3] : key[((i) - 4) & 15]) + (t); \
    a[j] = Rotl(a[j], s) + b[j];                                             \
  }
  uint32_t a[N], b[N], c[N], d[N];
  for (int j = 0; j < N; ++j) {
    a[j] = kInit[0];
    b[j] = kInit[1];
    c[j] = kInit[2];
    d[j] = kInit[3];
  }
  QOR_MD5_ROUNDS
  for (int j = 0; j < N; ++j) {
    out[j][0] = a[j] + kInit[0];
    out[j][1] = b[j] + kInit[1];
    out[j][2] = c[j] + kInit[2];
    out[j][3] = d[j] + kInit[3];
  }
#undef QOR_STEP
}

// Decipher on N consecutive blocks at once (in place allowed).
template <int N>
__attribute__((always_inline)) inline void DecipherN(const KeyWords& k, const uint8_t* in, uint8_t* out) {
  uint32_t l[N][4], r[N][4], h[N][4], t[N][4], p0[N][4];
  for (int j = 0; j < N; ++j)
    for (int i = 0; i < 4; ++i) {
      l[j][i] = LoadLE(in + 32 * j + 4 * i);
      r[j][i] = LoadLE(in + 32 * j + 16 + 4 * i);
    }
  RoundN<N>(r, k.a, h);
  for (int j = 0; j < N; ++j)
    for (int i = 0; i < 4; ++i) t[j][i] = l[j][i] ^ h[j][i];
  RoundN<N>(t, k.b, h);
  for (int j = 0; j < N; ++j)
    for (int i = 0; i < 4; ++i) p0[j][i] = r[j][i] ^ h[j][i];
  RoundN<N>(p0, k.a, h);
  for (int j = 0; j < N; ++j)
    for (int i = 0; i < 4; ++i) {
      StoreLE(out + 32 * j + 4 * i, p0[j][i]);
      StoreLE(out + 32 * j + 16 + 4 * i, t[j][i] ^ h[j][i]);
    }
}

// The inverse of DecipherN.
template <int N>
__attribute__((always_inline)) inline void EncipherN(const KeyWords& k, const uint8_t* in, uint8_t* out) {
  uint32_t p0[N][4], p1[N][4], h[N][4], t[N][4], r[N][4];
  for (int j = 0; j < N; ++j)
    for (int i = 0; i < 4; ++i) {
      p0[j][i] = LoadLE(in + 32 * j + 4 * i);
      p1[j][i] = LoadLE(in + 32 * j + 16 + 4 * i);
    }
  RoundN<N>(p0, k.a, h);
  for (int j = 0; j < N; ++j)
    for (int i = 0; i < 4; ++i) t[j][i] = p1[j][i] ^ h[j][i];
  RoundN<N>(t, k.b, h);
  for (int j = 0; j < N; ++j)
    for (int i = 0; i < 4; ++i) r[j][i] = p0[j][i] ^ h[j][i];
  RoundN<N>(r, k.a, h);
  for (int j = 0; j < N; ++j)
    for (int i = 0; i < 4; ++i) {
      StoreLE(out + 32 * j + 4 * i, t[j][i] ^ h[j][i]);
      StoreLE(out + 32 * j + 16 + 4 * i, r[j][i]);
    }
}

// Blocks handled together by DecipherBlocks / EncipherBlocks. 32 lanes keep
// the vector registers full (SSE2, or AVX2 where the processor has it) and
// were the fastest setting measured (bench/archive_read).
constexpr int kLanes = 32;

__attribute__((always_inline)) inline void Decipher(const KeyWords& k, const uint8_t* in, uint8_t* out) {
  uint32_t l[4], r[4], h[4], t[4], p0[4];
  for (int i = 0; i < 4; ++i) {
    l[i] = LoadLE(in + 4 * i);
    r[i] = LoadLE(in + 16 + 4 * i);
  }
  Round(r, k.a, h);
  for (int i = 0; i < 4; ++i) t[i] = l[i] ^ h[i];
  Round(t, k.b, h);
  for (int i = 0; i < 4; ++i) p0[i] = r[i] ^ h[i];
  Round(p0, k.a, h);
  for (int i = 0; i < 4; ++i) {
    StoreLE(out + 4 * i, p0[i]);
    StoreLE(out + 16 + 4 * i, t[i] ^ h[i]);
  }
}

// The inverse of Decipher: t = P1 ^ H(P0, A), R = P0 ^ H(t, B), L = t ^ H(R, A).
__attribute__((always_inline)) inline void Encipher(const KeyWords& k, const uint8_t* in, uint8_t* out) {
  uint32_t p0[4], p1[4], h[4], t[4], r[4];
  for (int i = 0; i < 4; ++i) {
    p0[i] = LoadLE(in + 4 * i);
    p1[i] = LoadLE(in + 16 + 4 * i);
  }
  Round(p0, k.a, h);
  for (int i = 0; i < 4; ++i) t[i] = p1[i] ^ h[i];
  Round(t, k.b, h);
  for (int i = 0; i < 4; ++i) r[i] = p0[i] ^ h[i];
  Round(r, k.a, h);
  for (int i = 0; i < 4; ++i) {
    StoreLE(out + 4 * i, t[i] ^ h[i]);
    StoreLE(out + 16 + 4 * i, r[i]);
  }
}

}  // namespace

void Md5Compress(uint32_t state[4], const uint8_t block[64]) {
  uint32_t m[16];
  for (int i = 0; i < 16; ++i) m[i] = LoadLE(block + 4 * i);
#define W(i) m[(i)]
#define QOR_STEP QOR_STEP1
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  QOR_MD5_ROUNDS
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
#undef QOR_STEP
#undef W
}

void BlockDecipher(const uint8_t in[32], uint8_t out[32]) { Decipher(LoadKey(), in, out); }
void BlockEncipher(const uint8_t in[32], uint8_t out[32]) { Encipher(LoadKey(), in, out); }

// Function multi-versioning needs ifunc (ELF); elsewhere the default build runs.
#if defined(__ELF__)
#define QOR_AVX2_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define QOR_AVX2_CLONES
#endif

QOR_AVX2_CLONES void DecipherBlocks(uint8_t* data, size_t blocks) {
  const KeyWords k = LoadKey();
  size_t i = 0;
  for (; i + kLanes <= blocks; i += kLanes) DecipherN<kLanes>(k, data + 32 * i, data + 32 * i);
  for (; i < blocks; ++i) Decipher(k, data + 32 * i, data + 32 * i);
}

QOR_AVX2_CLONES void EncipherBlocks(uint8_t* data, size_t blocks) {
  const KeyWords k = LoadKey();
  size_t i = 0;
  for (; i + kLanes <= blocks; i += kLanes) EncipherN<kLanes>(k, data + 32 * i, data + 32 * i);
  for (; i < blocks; ++i) Encipher(k, data + 32 * i, data + 32 * i);
}

// ---- UCipherFile ----

namespace {

// Reads the next 32-byte block of the file into f->block and deciphers it.
// The bytes of a short last block past the end of the file are zero before
// deciphering, so what such a block yields is at least deterministic.
bool LoadBlock(UCipherFile* f) {
  size_t n = fread(f->block, 1, 32, f->file);
  f->blockBytes = int32_t(n);
  if (n == 0) return false;
  if (n < 32) memset(f->block + n, 0, 32 - n);
  BlockDecipher(f->block, f->block);
  return true;
}

}  // namespace

UCipherFile* CipherOpen(const char* name) {
  FILE* file = fopen(name, "rb");
  if (!file) return nullptr;
  auto* f = static_cast<UCipherFile*>(calloc(1, sizeof(UCipherFile)));
  if (!f) {
    fclose(file);
    return nullptr;
  }
  f->file = file;
  uint64_t length = 0;
  platform::KindOfOpenFile(file, &length);
  f->length = uint32_t(length);
  f->blockPos = -1;
  f->position = 0;
  return f;
}

int CipherSeek(UCipherFile* f, uint32_t offset) {
  f->position = offset;
  uint32_t r = offset % 32;
  if (fseeko(f->file, off_t(offset - r), SEEK_SET) != 0) {
    f->blockPos = -1;
    return -1;
  }
  if (r == 0) {
    f->blockPos = -1;
    return 0;
  }
  if (!LoadBlock(f)) {
    f->blockPos = -1;
    return -1;
  }
  f->blockPos = int32_t(r);
  return 0;
}

size_t CipherRead(UCipherFile* f, size_t elemSize, void* buf, size_t count) {
  const size_t total = elemSize * count;
  auto* dst = static_cast<uint8_t*>(buf);
  size_t delivered = 0;
  while (delivered < total) {
    if (f->blockPos == -1) {
      // At a block boundary with at least one whole block wanted: read the
      // run of whole blocks straight into the caller's buffer and decipher it
      // there, instead of going through the one-block buffer.
      // At most 64 KB at a time, so the bytes are still in the cache when
      // they are deciphered.
      size_t whole = std::min<size_t>((total - delivered) / 32, 2048);
      if (whole > 0) {
        size_t got = fread(dst + delivered, 1, whole * 32, f->file);
        size_t full = got / 32;
        DecipherBlocks(dst + delivered, full);
        delivered += full * 32;
        f->position += uint32_t(full * 32);
        size_t tail = got % 32;
        if (tail == 0) {
          if (got < whole * 32) return delivered;  // end of file
          continue;
        }
        // A short last block: decipher it in the block buffer like any other.
        memcpy(f->block, dst + delivered, tail);
        memset(f->block + tail, 0, 32 - tail);
        BlockDecipher(f->block, f->block);
        f->blockBytes = int32_t(tail);
        f->blockPos = 0;
      } else {
        if (!LoadBlock(f)) return delivered;
        f->blockPos = 0;
      }
    }
    // A seek may land past the bytes of a short last block: nothing to serve.
    if (f->blockPos >= f->blockBytes) {
      f->blockPos = -1;
      return delivered;
    }
    size_t available = size_t(f->blockBytes - f->blockPos);
    if (delivered + available > total) {
      size_t n = total - delivered;
      memcpy(dst + delivered, f->block + f->blockPos, n);
      f->blockPos += int32_t(n);
      f->position += uint32_t(n);
      return total;
    }
    memcpy(dst + delivered, f->block + f->blockPos, available);
    f->position += uint32_t(available);
    delivered += available;
    f->blockPos = -1;
  }
  return total;
}

void CipherClose(UCipherFile* f) {
  if (!f) return;
  if (f->file) fclose(f->file);
  free(f);
}

}  // namespace qor
