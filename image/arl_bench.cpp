// The .arl decoder benchmark: decode, time, save.
#include "image/arl_bench.h"

#include <chrono>
#include <cstdio>
#include <new>

#include "image/arl.h"
#include "image/bitmap.h"
#include "image/image_io.h"

namespace qor {

ArlBenchResult RunArlDecodeBenchmark(const char* arlFile, const char* pngFile) {
  ArlBenchResult result;
  FILE* f = fopen(arlFile, "rb");
  if (!f) return {ArlBenchStatus::CannotOpen, 0, {}};
  long size = -1;
  if (fseek(f, 0, SEEK_END) == 0) size = ftell(f);
  if (size < 0 || fseek(f, 0, SEEK_SET) != 0) {
    fclose(f);
    return {ArlBenchStatus::CannotOpen, 0, {}};
  }
  UBitmap b{};
  if (!BitmapCreate(&b, kArlBenchWidth, kArlBenchHeight)) {
    fclose(f);
    return {ArlBenchStatus::OutOfMemory, 0, {}};
  }
  try {
    const auto start = std::chrono::steady_clock::now();
    UArlReader reader;
    const bool read = reader.Open(f, size_t(size));
    const size_t n = size_t(kArlBenchWidth) * kArlBenchHeight;
    for (size_t i = 0; i < n; ++i) {
      const uint8_t v = reader.Next();
      uint8_t* p = b.pixels + 4 * i;
      p[0] = p[1] = p[2] = v;
      p[3] = 255;
    }
    const auto end = std::chrono::steady_clock::now();
    result.milliseconds = int(std::chrono::duration_cast<std::chrono::milliseconds>(end - start).count());
    if (!read || reader.overflowed())
      result.status = ArlBenchStatus::TooShort;
    else if (!SavePng(b, pngFile, false, &result.reason))
      result.status = ArlBenchStatus::WriteFailed;
  } catch (const std::bad_alloc&) {
    result.status = ArlBenchStatus::OutOfMemory;
  }
  fclose(f);
  BitmapRelease(&b);
  return result;
}

}  // namespace qor
