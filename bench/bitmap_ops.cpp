// Benchmark: bitmap editing on a 1920x1080 image, against a memcpy of the
// same bytes measured in the same run. Prints one line per operation:
//   bitmap_ops op=NAME ms=BEST memcpy_ms=BEST ratio=MS/MEMCPY
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "image/bitmap.h"
#include "image/bitmap_ops.h"

using namespace qor;

namespace {

constexpr int kW = 1920, kH = 1080, kRuns = 15;

// Best of kRuns, in milliseconds; `prepare` runs untimed before each run.
double Best(const std::function<void()>& prepare, const std::function<void()>& work) {
  double best = 1e30;
  for (int i = 0; i < kRuns; ++i) {
    prepare();
    auto t0 = std::chrono::steady_clock::now();
    work();
    auto t1 = std::chrono::steady_clock::now();
    best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
  }
  return best;
}

}  // namespace

int main() {
  UBitmap src{}, work{};
  if (!BitmapCreate(&src, kW, kH)) return 1;
  std::mt19937 rng(1);
  for (size_t i = 0; i < size_t(kW) * kH * 4; ++i) src.pixels[i] = uint8_t(rng());
  const size_t bytes = size_t(kW) * kH * 4;
  std::vector<uint8_t> dst(bytes);

  auto reset = [&] {
    BitmapCopyFrom(&work, &src);
  };
  auto none = [] {};
  const double copyMs = Best(none, [&] {
    memcpy(dst.data(), src.pixels, bytes);
    asm volatile("" ::"r"(dst.data()) : "memory");
  });

  struct Op {
    const char* name;
    std::function<void()> run;
  } ops[] = {
      {"resize_to_1280x720", [&] { BitmapResize(&work, 1280, 720); }},
      {"resize_to_2560x1440", [&] { BitmapResize(&work, 2560, 1440); }},
      {"resize_to_1921x1081", [&] { BitmapResize(&work, 1921, 1081); }},
      {"gradation_horizontal", [&] { BitmapGradation(&work, 0xFF000000u, 0xFFFFFFFFu, true, false, false, 0); }},
      {"gradation_vertical", [&] { BitmapGradation(&work, 0xFF000000u, 0xFFFFFFFFu, false, true, false, 0); }},
      {"gradation_diagonal", [&] { BitmapGradation(&work, 0xFF000000u, 0xFFFFFFFFu, true, true, false, 0); }},
      {"gradation_diagonal_key", [&] { BitmapGradation(&work, 0xFF000000u, 0xFFFFFFFFu, false, false, true, 0x12345678u); }},
      {"monotone", [&] { BitmapMonotone(&work, 0xFF8040C0u); }},
      {"nega", [&] { BitmapNega(&work); }},
      {"fill", [&] { BitmapFill(&work, 0x80808080u); }},
      {"reverse_both", [&] { BitmapReverse(&work, true, true); }},
  };
  printf("bitmap_ops op=memcpy_%dx%d ms=%.3f\n", kW, kH, copyMs);
  for (const Op& op : ops) {
    double ms = Best(reset, op.run);
    printf("bitmap_ops op=%s ms=%.3f memcpy_ms=%.3f ratio=%.2f\n", op.name, ms, copyMs, ms / copyMs);
  }
  BitmapRelease(&work);
  BitmapRelease(&src);
  return 0;
}
