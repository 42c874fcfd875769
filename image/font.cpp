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
#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

void FilterCoverage(const uint8_t* work, int workPitch, int w, int h, uint8_t* coverage, int coveragePitch) {
  if (coveragePitch <= 0) coveragePitch = w;
  for (int y = 0; y < h; ++y) {
    const uint8_t* r0 = work + ptrdiff_t(3 * y) * workPitch;
    const uint8_t* r1 = r0 + workPitch;
    const uint8_t* r2 = r1 + workPitch;
    uint8_t* out = coverage + ptrdiff_t(y) * coveragePitch;
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
  const InkRect ink = f->face->Draw(unit, GlyphSurface{f->work.bits, f->work.width, f->work.height, f->work.pitch});
  // Only the cells over the inked rectangle can have coverage; afterwards the
  // rectangle is cleared again, so the work surface is always clear.
  memset(f->coverage, 0, size_t(need));
  if (!ink.Empty()) {
    const int cx0 = ink.left / 3, cy0 = ink.top / 3;
    const int cx1 = (ink.right + 2) / 3, cy1 = (ink.bottom + 2) / 3;
    FilterCoverage(f->work.bits + ptrdiff_t(3 * cy0) * f->work.pitch + 3 * cx0, f->work.pitch, cx1 - cx0, cy1 - cy0,
                   f->coverage + ptrdiff_t(cy0) * f->width + cx0, f->width);
    for (int y = ink.top; y < ink.bottom; ++y)
      memset(f->work.bits + ptrdiff_t(y) * f->work.pitch + ink.left, 0, size_t(ink.right - ink.left));
  }
  f->cachedChar = unit;
  f->hasCachedChar = true;
  ++g_renders;
}

// x / 255 for 0 <= x <= 65025, exact, in 16-bit arithmetic.
static inline uint16_t Div255(uint16_t x) { return uint16_t((x + 1 + (x >> 8)) >> 8); }

// v moved toward t by a / 255, truncated toward zero: v + (t - v) x a / 255
// computed as v +/- |t - v| x a / 255, whose product fits in 16 bits, so the
// cell loops vectorise.
static inline uint8_t Toward(uint8_t v, uint8_t t, uint16_t a) {
  const uint16_t up = Div255(uint16_t((t - v) * a)), down = Div255(uint16_t((v - t) * a));
  return t >= v ? uint8_t(v + up) : uint8_t(v - down);
}

// One pixel: text colour b, g, r at alpha a (= c x A / 255); `ink` is c > 0.
// Without branches: with a = 0 the blend leaves the pixel as it is, so only
// the copy onto a transparent pixel needs `ink`.
static inline void BlendAt(uint8_t* px, uint8_t b, uint8_t g, uint8_t r, uint8_t a, bool ink) {
  const bool copy = (px[3] == 0) & ink;
  const uint8_t nb = Toward(px[0], b, a), ng = Toward(px[1], g, a), nr = Toward(px[2], r, a);
  const uint8_t na = std::max(px[3], a);
  px[0] = copy ? b : nb;
  px[1] = copy ? g : ng;
  px[2] = copy ? r : nr;
  px[3] = copy ? a : na;
}

void BlendPixel(uint8_t* px, int b, int g, int r, int alpha, int c) {
  BlendAt(px, uint8_t(b), uint8_t(g), uint8_t(r), uint8_t(c * alpha / 255), c > 0);
}

#ifdef __SSE2__
// BlendAt on two pixels at once, each channel in a 16-bit lane: the same
// arithmetic (|t - v| x a fits in 16 bits, Div255 is exact up to 65025).
// `text` holds b, g, r, 0 twice; `a2` each pixel's alpha in its four lanes.
static inline void BlendTwo(uint8_t* px, __m128i text, __m128i a2, __m128i ink2) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i alphaLanes = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
  const __m128i p = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(px)), zero);
  const __m128i diff = _mm_sub_epi16(_mm_max_epi16(p, text), _mm_min_epi16(p, text));
  const __m128i prod = _mm_mullo_epi16(diff, a2);
  const __m128i q = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(prod, _mm_set1_epi16(1)), _mm_srli_epi16(prod, 8)), 8);
  const __m128i down = _mm_cmpgt_epi16(p, text);
  const __m128i moved = _mm_or_si128(_mm_and_si128(down, _mm_sub_epi16(p, q)), _mm_andnot_si128(down, _mm_add_epi16(p, q)));
  const __m128i blended = _mm_or_si128(_mm_andnot_si128(alphaLanes, moved), _mm_and_si128(alphaLanes, _mm_max_epi16(p, a2)));
  // A transparent pixel with ink takes the text colour and alpha a.
  const __m128i pa = _mm_shufflehi_epi16(_mm_shufflelo_epi16(p, 0xFF), 0xFF);
  const __m128i copy = _mm_and_si128(_mm_cmpeq_epi16(pa, zero), ink2);
  const __m128i copied = _mm_or_si128(_mm_andnot_si128(alphaLanes, text), _mm_and_si128(alphaLanes, a2));
  const __m128i out = _mm_or_si128(_mm_and_si128(copy, copied), _mm_andnot_si128(copy, blended));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(px), _mm_packus_epi16(out, zero));
}
#endif

void FontBlend(const UFont* f, uint8_t* cell, int pitch, uint32_t color) {
  const uint8_t b = color & 0xFF, g = (color >> 8) & 0xFF, r = (color >> 16) & 0xFF;
  const int alpha = int(color >> 24);
  // Coverage has 16 levels, so a = c x A / 255 has at most 16 values.
  uint8_t level[16];
  for (int k = 0; k < 16; ++k) level[k] = uint8_t(k * 17 * alpha / 255);
#ifdef __SSE2__
  const __m128i text = _mm_set_epi16(0, r, g, b, 0, r, g, b);
  // Per level: a in four 16-bit lanes, and the ink mask (level above 0).
  uint64_t level4[16], ink4[16];
  for (int k = 0; k < 16; ++k) {
    level4[k] = uint64_t(level[k]) * 0x0001000100010001ull;
    ink4[k] = k ? ~uint64_t(0) : 0;
  }
#endif
  for (int y = 0; y < f->height; ++y) {
    const uint8_t* cov = f->coverage + ptrdiff_t(y) * f->width;
    uint8_t* row = cell + ptrdiff_t(y) * pitch;
    int x = 0;
#ifdef __SSE2__
    for (; x + 2 <= f->width; x += 2) {
      const uint8_t c0 = cov[x], c1 = cov[x + 1];
      if ((c0 | c1) == 0) continue;
      const int k0 = c0 / 17, k1 = c1 / 17;
      BlendTwo(row + 4 * x, text, _mm_set_epi64x(int64_t(level4[k1]), int64_t(level4[k0])),
               _mm_set_epi64x(int64_t(ink4[k1]), int64_t(ink4[k0])));
    }
#endif
    for (; x < f->width; ++x)
      if (cov[x]) BlendAt(row + 4 * x, b, g, r, level[cov[x] / 17], true);
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
