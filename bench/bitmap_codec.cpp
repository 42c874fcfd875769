// Benchmark: PNG encode/decode and .arl encode/decode of a 1920x1080 image,
// against a memcpy of the same bytes measured in the same run. One line each:
//   bitmap_codec op=NAME ms=BEST memcpy_ms=BEST ratio=MS/MEMCPY bytes=OUTPUT
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "image/arl.h"
#include "image/bitmap.h"
#include "image/bitmap_ops.h"
#include "image/png_codec.h"

using namespace qor;

namespace {

constexpr int kW = 1920, kH = 1080, kRuns = 7;

double Best(const std::function<void()>& work) {
  double best = 1e30;
  for (int i = 0; i < kRuns; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    work();
    auto t1 = std::chrono::steady_clock::now();
    best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
  }
  return best;
}

struct Sink : ImageTarget {
  std::vector<uint8_t> px;
  uint8_t* Allocate(int w, int h, int* pitch) override {
    px.resize(size_t(w) * h * 4);
    *pitch = w * 4;
    return px.data();
  }
};

}  // namespace

int main() {
  // A picture-like image: a diagonal gradient with an opaque block and a soft alpha edge.
  UBitmap img{};
  if (!BitmapCreate(&img, kW, kH)) return 1;
  BitmapGradation(&img, 0x00203040u, 0xFFE0C0A0u, true, true, false, 0);
  BitmapFillRect(&img, 0xFF336699u, 200, 200, 900, 700);
  const size_t bytes = size_t(kW) * kH * 4;
  std::vector<uint8_t> dst(bytes);
  const double copyMs = Best([&] {
    memcpy(dst.data(), img.pixels, bytes);
    asm volatile("" ::"r"(dst.data()) : "memory");
  });
  printf("bitmap_codec op=memcpy_%dx%d ms=%.3f\n", kW, kH, copyMs);
  auto line = [&](const char* op, double ms, size_t out) {
    printf("bitmap_codec op=%s ms=%.3f memcpy_ms=%.3f ratio=%.1f bytes=%zu\n", op, ms, copyMs, ms / copyMs, out);
  };

  PngBuffer png;
  size_t pngSize = 0;
  double ms = Best([&] {
    free(png.data);
    png = PngBuffer{};
    EncodePng(img, PngLayout::Rgba, &png);
    pngSize = png.size;
  });
  line("png_encode_rgba", ms, pngSize);
  Sink sink;
  ms = Best([&] { DecodePngMemory(png.data, png.size, &sink); });
  line("png_decode_rgba", ms, sink.px.size());
  free(png.data);

  std::vector<uint8_t> alpha(size_t(kW) * kH), arl;
  for (size_t i = 0; i < alpha.size(); ++i) alpha[i] = img.pixels[i * 4 + 3];
  ms = Best([&] { arl = ArlEncode(alpha.data(), alpha.size()); });
  line("arl_encode", ms, arl.size());
  uint32_t sum = 0;
  ms = Best([&] {
    UArlReader r;
    r.Open(arl.data(), arl.size());
    for (size_t i = 0; i < alpha.size(); ++i) sum += r.Next();
  });
  line("arl_decode", ms, alpha.size());
  BitmapRelease(&img);
  return sum == 0xFFFFFFFF;  // keeps the decode loop from being dropped
}
