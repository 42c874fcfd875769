// How a presented frame fills a window of another size (full screen at the
// screen's own size, HiDPI drawables): one rule for both backends, so the
// same game looks the same on either.
//
// Nearest pixel, sampled at pixel centres: window pixel d shows frame pixel
// floor((d + 0.5) * frame / window). The engine draws with point sampling
// and its stretched full screen spreads unfiltered texels over the desktop,
// so a filtered stretch would make the one full-screen mode look soft and
// the other sharp. The arithmetic is exact in integers; the GL backend's
// presenting shader computes the same expression (gl_shaders.cpp).
#pragma once
#include <cstdint>

namespace qor {

constexpr int ScaledSourcePixel(int d, int frame, int window) {
  return static_cast<int>((2 * int64_t(d) + 1) * frame / (2 * int64_t(window)));
}

}  // namespace qor
