// Bitmap editing algorithms. Pixels are handled as 32-bit values
// (0xAARRGGBB) row by row, so the inner loops are plain and vectorise.
// Re-creating operations build the new image in a separate block and only
// then replace the old one, so the source may be the destination.
#include "image/bitmap_ops.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qor {
namespace {

inline uint32_t* Row(const UBitmap* b, int y) {
  return reinterpret_cast<uint32_t*>(b->pixels) + size_t(y) * size_t(b->width);
}

BitmapResult CreateResult(UBitmap* out, int width, int height) {
  if (!BitmapSizeValid(width, height)) return BitmapResult::BadSize;
  return BitmapCreate(out, width, height) ? BitmapResult::Ok : BitmapResult::NoMemory;
}

// One channel of the gradient: c1 + (c2 - c1) * t / 255, truncated toward zero
// and limited to 0..255 (t runs to 256, so the far edge reaches colour2).
inline uint32_t Blend(uint32_t c1, uint32_t c2, int t) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    int a = int((c1 >> shift) & 255), z = int((c2 >> shift) & 255);
    int v = a + (z - a) * t / 255;
    out |= uint32_t(std::clamp(v, 0, 255)) << shift;
  }
  return out;
}

// t = num * 256 / den; a zero denominator (one pixel across) gives weight 0.
inline int Weight(int64_t num, int64_t den) { return den == 0 ? 0 : int(num * 256 / den); }

inline void PaintRow(uint32_t* dst, const uint32_t* colours, int width, bool useKey, uint32_t key) {
  if (!useKey) {
    memcpy(dst, colours, size_t(width) * 4);
    return;
  }
  for (int x = 0; x < width; ++x) dst[x] = dst[x] == key ? colours[x] : dst[x];
}

}  // namespace

void BitmapFill(UBitmap* b, uint32_t colour) {
  if (BitmapEmpty(b)) return;
  uint32_t* p = Row(b, 0);
  const size_t n = size_t(b->width) * size_t(b->height);
  std::fill(p, p + n, colour);
}

void BitmapFillRect(UBitmap* b, uint32_t colour, int x1, int y1, int x2, int y2) {
  if (BitmapEmpty(b)) return;
  x1 = std::max(x1, 0);
  y1 = std::max(y1, 0);
  x2 = std::min(x2, b->width - 1);
  y2 = std::min(y2, b->height - 1);
  if (x2 < x1 || y2 < y1) return;
  for (int y = y1; y <= y2; ++y) std::fill(Row(b, y) + x1, Row(b, y) + x2 + 1, colour);
}

BitmapResult BitmapReverse(UBitmap* b, bool mirror, bool flip) {
  if (!mirror && !flip) return BitmapResult::Ok;
  if (BitmapEmpty(b)) return BitmapResult::Empty;
  // In place: swapping pixel pairs gives the same picture as copying from a
  // temporary, without a second block.
  const int w = b->width, h = b->height;
  if (mirror)
    for (int y = 0; y < h; ++y) std::reverse(Row(b, y), Row(b, y) + w);
  if (flip)
    for (int y = 0; y < h / 2; ++y) std::swap_ranges(Row(b, y), Row(b, y) + w, Row(b, h - 1 - y));
  return BitmapResult::Ok;
}

BitmapResult BitmapResize(UBitmap* b, int width, int height) {
  if (width == b->width && height == b->height) return BitmapResult::Ok;
  if (BitmapEmpty(b)) return BitmapResult::Empty;
  UBitmap out{};
  BitmapResult r = CreateResult(&out, width, height);
  if (r != BitmapResult::Ok) return r;
  int32_t* columns = static_cast<int32_t*>(malloc(size_t(width) * sizeof(int32_t)));
  if (!columns) {
    BitmapRelease(&out);
    return BitmapResult::NoMemory;
  }
  // Products first, in 64 bits: x * oldWidth may exceed 32 bits.
  const int64_t ow = b->width, oh = b->height;
  for (int x = 0; x < width; ++x) columns[x] = int32_t(int64_t(x) * ow / width);
  int lastSource = -1;
  for (int y = 0; y < height; ++y) {
    const int sy = int(int64_t(y) * oh / height);
    uint32_t* dst = Row(&out, y);
    if (sy == lastSource) {  // enlarging: repeat the row just built
      memcpy(dst, Row(&out, y - 1), size_t(width) * 4);
      continue;
    }
    const uint32_t* src = Row(b, sy);
    for (int x = 0; x < width; ++x) dst[x] = src[columns[x]];
    lastSource = sy;
  }
  free(columns);
  BitmapAdopt(b, &out);
  return BitmapResult::Ok;
}

BitmapResult BitmapTrim(UBitmap* b, int x1, int y1, int x2, int y2) {
  if (BitmapEmpty(b)) return BitmapResult::Empty;
  const int maxX = b->width - 1, maxY = b->height - 1;
  x1 = std::clamp(x1, 0, maxX);
  x2 = std::clamp(x2, 0, maxX);
  y1 = std::clamp(y1, 0, maxY);
  y2 = std::clamp(y2, 0, maxY);
  if (x2 < x1 || y2 < y1) return BitmapResult::BadSize;
  UBitmap out{};
  BitmapResult r = CreateResult(&out, x2 - x1 + 1, y2 - y1 + 1);
  if (r != BitmapResult::Ok) return r;
  for (int y = 0; y < out.height; ++y) memcpy(Row(&out, y), Row(b, y1 + y) + x1, size_t(out.width) * 4);
  BitmapAdopt(b, &out);
  return BitmapResult::Ok;
}

BitmapResult BitmapJoin(UBitmap* b, const UBitmap* other, bool horizontal) {
  if (BitmapEmpty(b) || BitmapEmpty(other)) return BitmapResult::Empty;
  const int64_t w = horizontal ? int64_t(b->width) + other->width : std::max(b->width, other->width);
  const int64_t h = horizontal ? std::max(b->height, other->height) : int64_t(b->height) + other->height;
  if (w > INT32_MAX || h > INT32_MAX) return BitmapResult::BadSize;
  UBitmap out{};
  BitmapResult r = CreateResult(&out, int(w), int(h));
  if (r != BitmapResult::Ok) return r;
  // `other` is read before `b` is replaced, so joining a bitmap with itself works.
  for (int y = 0; y < b->height; ++y) memcpy(Row(&out, y), Row(b, y), size_t(b->width) * 4);
  const int dx = horizontal ? b->width : 0, dy = horizontal ? 0 : b->height;
  for (int y = 0; y < other->height; ++y)
    memcpy(Row(&out, dy + y) + dx, Row(other, y), size_t(other->width) * 4);
  BitmapAdopt(b, &out);
  return BitmapResult::Ok;
}

void BitmapGradation(UBitmap* b, uint32_t colour1, uint32_t colour2, bool horizontal, bool vertical, bool useKey,
                     uint32_t key) {
  if (BitmapEmpty(b)) return;
  const int w = b->width, h = b->height;
  if (horizontal && !vertical) {
    // t depends on x only: build one row and repeat it.
    uint32_t* line = static_cast<uint32_t*>(malloc(size_t(w) * 4));
    if (!line) return;
    for (int x = 0; x < w; ++x) line[x] = Blend(colour1, colour2, Weight(x, w - 1));
    for (int y = 0; y < h; ++y) PaintRow(Row(b, y), line, w, useKey, key);
    free(line);
    return;
  }
  if (vertical && !horizontal) {
    for (int y = 0; y < h; ++y) {
      const uint32_t c = Blend(colour1, colour2, Weight(y, h - 1));
      uint32_t* dst = Row(b, y);
      if (!useKey)
        std::fill(dst, dst + w, c);
      else
        for (int x = 0; x < w; ++x) dst[x] = dst[x] == key ? c : dst[x];
    }
    return;
  }
  // Diagonals: t depends on s = x + y (both) or s = w - 1 - x + y (neither),
  // s in 0 .. w + h - 2. A table over s makes every row a contiguous window:
  // row y starts at table[y] (both), or at the reversed table's [h - 1 - y].
  const int64_t den = int64_t(w) + h - 2;
  const size_t n = size_t(w) + size_t(h) - 1;
  uint32_t* table = static_cast<uint32_t*>(malloc(n * 4));
  if (!table) return;
  const bool both = horizontal && vertical;
  for (size_t i = 0; i < n; ++i) {
    const int64_t s = both ? int64_t(i) : int64_t(n - 1 - i);
    table[i] = Blend(colour1, colour2, Weight(s, den));
  }
  for (int y = 0; y < h; ++y) PaintRow(Row(b, y), table + (both ? y : h - 1 - y), w, useKey, key);
  free(table);
}

void BitmapNega(UBitmap* b) {
  if (BitmapEmpty(b)) return;
  uint32_t* p = Row(b, 0);
  const size_t n = size_t(b->width) * size_t(b->height);
  for (size_t i = 0; i < n; ++i) p[i] ^= 0x00FFFFFFu;
}

namespace {

// The chroma terms of one tone colour. Each is the exact double the
// per-pixel formula would compute, and every sum keeps the formula's order,
// so hoisting them out of the loop changes no result.
struct Tone {
  double kB, kG1, kG2, kR;
};

inline uint32_t TonePixel(uint32_t px, const Tone& t) {
  const double r = double((px >> 16) & 255), g = double((px >> 8) & 255), b = double(px & 255);
  const double Y = (0.299 * r + 0.587 * g + 0.114 * b) / 255;
  // The values stay within about -230 .. 480, so the conversions are defined.
  const int nb = std::clamp(int((Y + t.kB) * 255), 0, 255);
  const int ng = std::clamp(int((Y - t.kG1 - t.kG2) * 255), 0, 255);
  const int nr = std::clamp(int((Y + t.kR) * 255), 0, 255);
  return (px & 0xFF000000u) | uint32_t(nr) << 16 | uint32_t(ng) << 8 | uint32_t(nb);
}

#if defined(__SSE2__)
// Two pixels' channel values as doubles: the same IEEE operations as
// TonePixel, two lanes at a time; truncation and clamping by saturating packs.
struct ToneLanes {
  __m128i b, g, r;  // four int32 results each
};

inline __m128d ToneLuma(__m128i r, __m128i g, __m128i b) {
  const __m128d s = _mm_add_pd(_mm_add_pd(_mm_mul_pd(_mm_set1_pd(0.299), _mm_cvtepi32_pd(r)),
                                          _mm_mul_pd(_mm_set1_pd(0.587), _mm_cvtepi32_pd(g))),
                               _mm_mul_pd(_mm_set1_pd(0.114), _mm_cvtepi32_pd(b)));
  return _mm_div_pd(s, _mm_set1_pd(255.0));
}

inline void ToneHalf(__m128d Y, const Tone& t, __m128i* nb, __m128i* ng, __m128i* nr) {
  const __m128d k255 = _mm_set1_pd(255.0);
  *nb = _mm_cvttpd_epi32(_mm_mul_pd(_mm_add_pd(Y, _mm_set1_pd(t.kB)), k255));
  *ng = _mm_cvttpd_epi32(_mm_mul_pd(_mm_sub_pd(_mm_sub_pd(Y, _mm_set1_pd(t.kG1)), _mm_set1_pd(t.kG2)), k255));
  *nr = _mm_cvttpd_epi32(_mm_mul_pd(_mm_add_pd(Y, _mm_set1_pd(t.kR)), k255));
}

inline __m128i ToneFour(__m128i px, const Tone& t) {
  const __m128i m = _mm_set1_epi32(0xFF);
  const __m128i b = _mm_and_si128(px, m), g = _mm_and_si128(_mm_srli_epi32(px, 8), m),
                r = _mm_and_si128(_mm_srli_epi32(px, 16), m);
  __m128i b0, g0, r0, b1, g1, r1;
  ToneHalf(ToneLuma(r, g, b), t, &b0, &g0, &r0);
  ToneHalf(ToneLuma(_mm_srli_si128(r, 8), _mm_srli_si128(g, 8), _mm_srli_si128(b, 8)), t, &b1, &g1, &r1);
  const __m128i nb = _mm_unpacklo_epi64(b0, b1), ng = _mm_unpacklo_epi64(g0, g1), nr = _mm_unpacklo_epi64(r0, r1);
  // Saturating packs clamp to 0..255: bytes B0..B3 G0..G3 R0..R3 0 0 0 0.
  const __m128i x = _mm_packus_epi16(_mm_packs_epi32(nb, ng), _mm_packs_epi32(nr, _mm_setzero_si128()));
  const __m128i br = _mm_unpacklo_epi8(x, _mm_srli_si128(x, 8));          // B0 R0 B1 R1 … G0 0 G1 0 …
  const __m128i bgr0 = _mm_unpacklo_epi8(br, _mm_srli_si128(br, 8));      // B G R 0 per pixel
  return _mm_or_si128(bgr0, _mm_and_si128(px, _mm_set1_epi32(int(0xFF000000u))));
}
#endif

}  // namespace

void BitmapMonotone(UBitmap* b, uint32_t colour) {
  if (BitmapEmpty(b)) return;
  const double cr = double((colour >> 16) & 255), cg = double((colour >> 8) & 255), cb = double(colour & 255);
  const double Cb = (0.5 * cb - 0.332 * cg - 0.169 * cr) / 255;
  const double Cr = (0.5 * cr - 0.419 * cg - 0.081 * cb) / 255;
  const Tone t{1.772 * Cb, 0.344 * Cb, 0.714 * Cr, 1.402 * Cr};
  uint32_t* p = Row(b, 0);
  const size_t n = size_t(b->width) * size_t(b->height);
  size_t i = 0;
#if defined(__SSE2__)
  for (; i + 4 <= n; i += 4) {
    __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), ToneFour(px, t));
  }
#endif
  for (; i < n; ++i) p[i] = TonePixel(p[i], t);
}

}  // namespace qor
