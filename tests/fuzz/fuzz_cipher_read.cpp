// libFuzzer target: UCipherFile seeks and reads in any order over any file
// must deliver exactly the bytes of the file deciphered block by block (a
// short last block zero-padded), up to the end of the file and no further.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/cipher.h"
#include "host/engine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  memcpy(qor::g_engineKey, qor::kEngineKey, 96);
  // The first byte says how much of the input is the file; the rest are operations.
  size_t fileSize = std::min<size_t>(size - 1, size_t(data[0]) * 4);
  std::vector<uint8_t> file(data + 1, data + 1 + fileSize);
  const uint8_t* ops = data + 1 + fileSize;
  size_t opsLeft = size - 1 - fileSize;

  std::vector<uint8_t> plain = file;
  plain.resize((fileSize + 31) / 32 * 32, 0);
  qor::DecipherBlocks(plain.data(), plain.size() / 32);

  // A real file descriptor (in memory), so seeks past the end behave as on disk.
  int fd = memfd_create("cipher", 0);
  if (fd < 0) return 0;
  if (fileSize && write(fd, file.data(), fileSize) != ssize_t(fileSize)) abort();
  lseek(fd, 0, SEEK_SET);
  FILE* fp = fdopen(fd, "rb");
  if (!fp) abort();
  qor::UCipherFile f{};
  f.file = fp;
  f.length = uint32_t(fileSize);
  f.blockPos = -1;

  uint64_t pos = 0;
  std::vector<uint8_t> buf;
  while (opsLeft >= 3) {
    const uint8_t kind = ops[0];
    const uint32_t v = uint32_t(ops[1]) | uint32_t(ops[2]) << 8;
    ops += 3;
    opsLeft -= 3;
    if (kind & 1) {
      uint32_t off = v % uint32_t(fileSize + 80);
      int r = qor::CipherSeek(&f, off);
      uint32_t blockStart = off - off % 32;
      bool readable = off % 32 == 0 || blockStart < fileSize;
      if ((r == 0) != readable) abort();
      pos = off;
    } else {
      size_t elem = (kind & 2) ? 4 : 1;
      size_t count = v % 400;
      buf.assign(elem * count, 0xEE);
      size_t got = qor::CipherRead(&f, elem, buf.data(), count);
      size_t want = pos >= fileSize ? 0 : std::min<size_t>(elem * count, fileSize - pos);
      if (got != want) abort();
      if (memcmp(buf.data(), plain.data() + pos, got) != 0) abort();
      pos += got;
    }
  }
  fclose(fp);
  return 0;
}
