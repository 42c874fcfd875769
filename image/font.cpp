// The font record's set-up and release, the one-glyph cache, the coverage
// filter and the integer blends. The arithmetic is exact: games rely on the
// pixels being the ones the original produced.
#include "image/font.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace qor {
namespace {
uint64_t g_renders = 0;
}

uint64_t FontRenderCount() { return g_renders; }

FontStatus FontSetUp(UFont* f, int width, int height, int weight, const char* name, const char* ansiName) {
  f->width = width;
  f->height = height;
  f->weight = weight;
  f->hasCachedChar = false;
  snprintf(f->faceName, sizeof f->faceName, "%s", ansiName);
  f->work.width = 3 * width;
  f->work.height = 3 * height;
  f->work.pitch = (3 * width + 3) & ~3;
  f->work.bits = static_cast<uint8_t*>(calloc(size_t(f->work.pitch) * size_t(f->work.height), 1));
  if (!f->work.bits) return FontStatus::NoMemory;
  std::unique_ptr<FontFace> face;
  switch (OpenFontFace(name, f->work.height, &face)) {
    case FontFaceStatus::Ok: break;
    case FontFaceStatus::FileUnreadable: return FontStatus::FileUnreadable;
    case FontFaceStatus::FileCorrupt: return FontStatus::FileCorrupt;
    case FontFaceStatus::NoFace: return FontStatus::NoFace;
  }
  f->face = face.release();
  return FontStatus::Ok;
}

void FontRelease(UFont* f) {
  delete f->face;
  f->face = nullptr;
  free(f->work.bits);
  f->work = FontWork{};
  free(f->coverage);
  f->coverage = nullptr;
  f->coverageSize = 0;
}

bool FontCellFits(const UFont* f, int tw, int th, int x, int y) {
  return x >= 0 && y >= 0 && int64_t(x) + f->width <= tw && int64_t(y) + f->height <= th;
}

void FilterCoverage(const uint8_t* work, int workPitch, int w, int h, uint8_t* coverage) {
  for (int y = 0; y < h; ++y) {
    const uint8_t* r0 = work + ptrdiff_t(3 * y) * workPitch;
    const uint8_t* r1 = r0 + workPitch;
    const uint8_t* r2 = r1 + workPitch;
    uint8_t* out = coverage + ptrdiff_t(y) * w;
    for (int x = 0; x < w; ++x) {
      const int i = 3 * x;
      int sum = (r0[i] > 0) + 2 * (r0[i + 1] > 0) + (r0[i + 2] > 0) +
                2 * (r1[i] > 0) + 3 * (r1[i + 1] > 0) + 2 * (r1[i + 2] > 0) +
                (r2[i] > 0) + 2 * (r2[i + 1] > 0) + (r2[i + 2] > 0);
      out[x] = uint8_t(sum * 17);
    }
  }
}

void FontPrepare(UFont* f, uint16_t unit) {
  if (f->hasCachedChar && f->cachedChar == unit) return;
  const int32_t need = f->width * f->height;
  if (f->coverageSize < need) {
    uint8_t* grown = static_cast<uint8_t*>(realloc(f->coverage, size_t(need)));
    if (!grown) throw std::bad_alloc();
    f->coverage = grown;
    f->coverageSize = need;
  }
  // Whatever happens next, the cache must not claim a glyph it does not hold.
  f->hasCachedChar = false;
  f->face->Draw(unit, GlyphSurface{f->work.bits, f->work.width, f->work.height, f->work.pitch});
  FilterCoverage(f->work.bits, f->work.pitch, f->width, f->height, f->coverage);
  f->cachedChar = unit;
  f->hasCachedChar = true;
  ++g_renders;
}

void BlendPixel(uint8_t* px, int b, int g, int r, int alpha, int c) {
  const int a = c * alpha / 255;
  if (px[3] == 0) {
    px[0] = uint8_t(b);
    px[1] = uint8_t(g);
    px[2] = uint8_t(r);
    px[3] = uint8_t(a);
    return;
  }
  px[0] = uint8_t(px[0] + (b - px[0]) * a / 255);
  px[1] = uint8_t(px[1] + (g - px[1]) * a / 255);
  px[2] = uint8_t(px[2] + (r - px[2]) * a / 255);
  px[3] = uint8_t(std::max<int>(px[3], a));
}

void FontBlend(const UFont* f, uint8_t* cell, int pitch, uint32_t color) {
  const int b = color & 0xFF, g = (color >> 8) & 0xFF, r = (color >> 16) & 0xFF, a = color >> 24;
  for (int y = 0; y < f->height; ++y) {
    const uint8_t* cov = f->coverage + ptrdiff_t(y) * f->width;
    uint8_t* row = cell + ptrdiff_t(y) * pitch;
    for (int x = 0; x < f->width; ++x)
      if (cov[x]) BlendPixel(row + 4 * x, b, g, r, a, cov[x]);
  }
}

int GradationWeight(int x, int y, int w, int h, bool horizontal, bool vertical) {
  int num, den;
  if (horizontal && !vertical) num = x, den = w - 1;
  else if (!horizontal && vertical) num = y, den = h - 1;
  else if (horizontal) num = x + y, den = w + h - 2;
  else num = w - 1 - x + y, den = w + h - 2;
  return den > 0 ? num * 256 / den : 0;
}

static int GradChannel(int c1, int c2, int t) { return std::clamp(c1 + (c2 - c1) * t / 255, 0, 255); }

void FontBlendGradation(const UFont* f, uint8_t* cell, int pitch, uint32_t color1, uint32_t color2,
                        bool horizontal, bool vertical) {
  const int a = color1 >> 24;
  const int b1 = color1 & 0xFF, g1 = (color1 >> 8) & 0xFF, r1 = (color1 >> 16) & 0xFF;
  const int b2 = color2 & 0xFF, g2 = (color2 >> 8) & 0xFF, r2 = (color2 >> 16) & 0xFF;
  for (int y = 0; y < f->height; ++y) {
    const uint8_t* cov = f->coverage + ptrdiff_t(y) * f->width;
    uint8_t* row = cell + ptrdiff_t(y) * pitch;
    for (int x = 0; x < f->width; ++x) {
      if (!cov[x]) continue;
      const int t = GradationWeight(x, y, f->width, f->height, horizontal, vertical);
      BlendPixel(row + 4 * x, GradChannel(b1, b2, t), GradChannel(g1, g2, t), GradChannel(r1, r2, t), a, cov[x]);
    }
  }
}

}  // namespace qor
