// SSE2 building blocks of the software rasteriser's pixel arithmetic: two
// pixels per register in 16-bit lanes, exactly the per-pixel formulas.
#pragma once
#include <cstdint>

#include "graphics/soft/soft_raster.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define QOR_SOFT_SSE2 1

namespace qor::soft {

// round(x / 255) in every lane: ((x + 128) + ((x + 128) >> 8)) >> 8, computed
// as ((x + 128) * 257) >> 16, the same value for any y = x + 128 < 65536
// (y * 257 / 65536 = (y + y / 256) / 256, and the fraction y % 256 / 256 never
// carries past a multiple of 256), in one multiply instead of two shifts and an add.
inline __m128i Div255x8(__m128i x) {
  return _mm_mulhi_epu16(_mm_add_epi16(x, _mm_set1_epi16(128)), _mm_set1_epi16(257));
}

// Broadcasts each pixel's alpha lane (lane 3 of 4) over its four lanes.
inline __m128i SplatAlpha(__m128i p16) {
  p16 = _mm_shufflelo_epi16(p16, _MM_SHUFFLE(3, 3, 3, 3));
  return _mm_shufflehi_epi16(p16, _MM_SHUFFLE(3, 3, 3, 3));
}

inline __m128i BlendNormal2(__m128i s16, __m128i d16) {
  __m128i a = SplatAlpha(s16);
  __m128i ia = _mm_sub_epi16(_mm_set1_epi16(255), a);
  return Div255x8(_mm_add_epi16(_mm_mullo_epi16(s16, a), _mm_mullo_epi16(d16, ia)));
}

inline __m128i ScaleBySrcAlpha2(__m128i s16) { return Div255x8(_mm_mullo_epi16(s16, SplatAlpha(s16))); }

// Four source pixels over four destination pixels; the result is opaque.
inline __m128i Blend4(__m128i s, __m128i d, BlendMode mode) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  __m128i r;
  if (mode == BLEND_ADD) {
    __m128i lo = ScaleBySrcAlpha2(_mm_unpacklo_epi8(s, zero));
    __m128i hi = ScaleBySrcAlpha2(_mm_unpackhi_epi8(s, zero));
    r = _mm_adds_epu8(d, _mm_packus_epi16(lo, hi));
  } else {
    __m128i lo = BlendNormal2(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
    __m128i hi = BlendNormal2(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero));
    r = _mm_packus_epi16(lo, hi);
  }
  return _mm_or_si128(r, opaque);
}

}  // namespace qor::soft
#endif
