// Span kernels of the software rasteriser: blend and modulate runs of pixels.
// The SSE2 paths compute exactly what BlendPixel/Modulate compute per pixel:
// products fit in 16-bit lanes (255*255 + 128 + 254 < 65536), and the
// division by 255 with rounding is ((x + 128) + ((x + 128) >> 8)) >> 8.
#include <cstdlib>
#include <cstring>

#include "graphics/soft/soft_raster.h"

#include "graphics/soft/soft_simd.h"
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define QOR_SOFT_AVX2 1
#endif

namespace qor::soft {

#if QOR_SOFT_AVX2
namespace {

// The same arithmetic eight pixels at a time, for processors with AVX2 (the
// byte/word unpacks and packs work within 128-bit halves, so the pixel order
// comes out unchanged). Div255x16 is Div255x8's division on sixteen lanes.
__attribute__((target("avx2"))) inline __m256i Div255x16(__m256i x) {
  return _mm256_mulhi_epu16(_mm256_add_epi16(x, _mm256_set1_epi16(128)), _mm256_set1_epi16(257));
}

__attribute__((target("avx2"))) inline __m256i SplatAlpha16(__m256i p16) {
  p16 = _mm256_shufflelo_epi16(p16, _MM_SHUFFLE(3, 3, 3, 3));
  return _mm256_shufflehi_epi16(p16, _MM_SHUFFLE(3, 3, 3, 3));
}

__attribute__((target("avx2"))) int ModulateSpanAvx2(uint32_t* dst, const uint32_t* src, int n, uint32_t colour) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i c = _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(colour)), zero);
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    __m256i lo = Div255x16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(s, zero), c));
    __m256i hi = Div255x16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(s, zero), c));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_packus_epi16(lo, hi));
  }
  return i;
}

// ModulateSpan then BlendSpan in one pass: the modulated pixels go from
// registers straight into the blend. The same arithmetic as the two kernels.
template <bool kModulate, BlendMode kMode>
__attribute__((target("avx2"))) int ShadeSpanAvx2(uint32_t* dst, const uint32_t* src, int n, uint32_t colour) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i opaque = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  const __m256i c255 = _mm256_set1_epi16(255);
  const __m256i c = _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(colour)), zero);
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    __m256i slo = _mm256_unpacklo_epi8(s, zero), shi = _mm256_unpackhi_epi8(s, zero);
    if (kModulate) {
      slo = Div255x16(_mm256_mullo_epi16(slo, c));
      shi = Div255x16(_mm256_mullo_epi16(shi, c));
      s = _mm256_packus_epi16(slo, shi);
    }
    __m256i a = _mm256_and_si256(s, opaque);
    if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(a, zero)) == -1) continue;  // all transparent
    if (kMode == BLEND_NORMAL && _mm256_movemask_epi8(_mm256_cmpeq_epi32(a, opaque)) == -1) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), s);
      continue;
    }
    __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
    __m256i alo = SplatAlpha16(slo), ahi = SplatAlpha16(shi);
    __m256i r;
    if (kMode == BLEND_ADD) {
      __m256i lo = Div255x16(_mm256_mullo_epi16(slo, alo));
      __m256i hi = Div255x16(_mm256_mullo_epi16(shi, ahi));
      r = _mm256_adds_epu8(d, _mm256_packus_epi16(lo, hi));
    } else {
      __m256i dlo = _mm256_unpacklo_epi8(d, zero), dhi = _mm256_unpackhi_epi8(d, zero);
      __m256i lo = Div255x16(_mm256_add_epi16(_mm256_mullo_epi16(slo, alo), _mm256_mullo_epi16(dlo, _mm256_sub_epi16(c255, alo))));
      __m256i hi = Div255x16(_mm256_add_epi16(_mm256_mullo_epi16(shi, ahi), _mm256_mullo_epi16(dhi, _mm256_sub_epi16(c255, ahi))));
      r = _mm256_packus_epi16(lo, hi);
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_or_si256(r, opaque));
  }
  return i;
}

// BlendSpan's eight-pixel part: the shading kernel without the modulation.
__attribute__((target("avx2"))) int BlendSpanAvx2(uint32_t* dst, const uint32_t* src, int n, BlendMode mode) {
  return mode == BLEND_ADD ? ShadeSpanAvx2<false, BLEND_ADD>(dst, src, n, 0)
                           : ShadeSpanAvx2<false, BLEND_NORMAL>(dst, src, n, 0);
}

// Decided at start-up; QOR_SOFT_NO_AVX2 in the environment keeps the SSE2 kernels.
bool g_avx2 = __builtin_cpu_supports("avx2") && !getenv("QOR_SOFT_NO_AVX2");

}  // namespace
#endif

bool SpanKernelsUseAvx2(bool use) {
#if QOR_SOFT_AVX2
  bool before = g_avx2;
  g_avx2 = use && __builtin_cpu_supports("avx2");
  return before;
#else
  (void)use;
  return false;
#endif
}

void BlendSpan(uint32_t* dst, const uint32_t* src, int n, BlendMode mode) {
  int i = 0;
#if QOR_SOFT_AVX2
  if (g_avx2) i = BlendSpanAvx2(dst, src, n, mode);
#endif
#if QOR_SOFT_SSE2
  const __m128i zero = _mm_setzero_si128();
  const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  const __m128i alphaMask = opaque;
  if (mode == BLEND_ADD) {
    for (; i + 4 <= n; i += 4) {
      __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
      __m128i a = _mm_and_si128(s, alphaMask);
      if (_mm_movemask_epi8(_mm_cmpeq_epi32(a, zero)) == 0xFFFF) continue;  // all transparent
      __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
      __m128i lo = ScaleBySrcAlpha2(_mm_unpacklo_epi8(s, zero));
      __m128i hi = ScaleBySrcAlpha2(_mm_unpackhi_epi8(s, zero));
      __m128i r = _mm_adds_epu8(d, _mm_packus_epi16(lo, hi));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_or_si128(r, opaque));
    }
  } else {
    for (; i + 4 <= n; i += 4) {
      __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
      __m128i a = _mm_and_si128(s, alphaMask);
      int transparent = _mm_movemask_epi8(_mm_cmpeq_epi32(a, zero));
      if (transparent == 0xFFFF) continue;
      if (_mm_movemask_epi8(_mm_cmpeq_epi32(a, alphaMask)) == 0xFFFF) {  // all opaque
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), s);
        continue;
      }
      __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
      __m128i lo = BlendNormal2(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
      __m128i hi = BlendNormal2(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_or_si128(_mm_packus_epi16(lo, hi), opaque));
    }
  }
#endif
  for (; i < n; ++i) dst[i] = BlendPixel(dst[i], src[i], mode);
}

void ModulateSpan(uint32_t* dst, const uint32_t* src, int n, uint32_t colour) {
  int i = 0;
#if QOR_SOFT_AVX2
  if (g_avx2) i = ModulateSpanAvx2(dst, src, n, colour);
#endif
#if QOR_SOFT_SSE2
  const __m128i zero = _mm_setzero_si128();
  const __m128i c = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(colour)), zero);
  for (; i + 4 <= n; i += 4) {
    __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    __m128i lo = Div255x8(_mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), c));
    __m128i hi = Div255x8(_mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), c));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(lo, hi));
  }
#endif
  for (; i < n; ++i) dst[i] = Modulate(src[i], colour);
}

namespace {

// The kernels ModulateBlendKernel hands out, one per case, each a whole row.
template <bool kModulate, BlendMode kMode>
void ShadeRowPortable(uint32_t* dst, const uint32_t* src, int n, uint32_t colour) {
  if (!kModulate) return BlendSpan(dst, src, n, kMode);
  uint32_t buf[64];
  for (int i = 0; i < n; i += 64) {
    int k = n - i < 64 ? n - i : 64;
    ModulateSpan(buf, src + i, k, colour);
    BlendSpan(dst + i, buf, k, kMode);
  }
}

#if QOR_SOFT_AVX2
template <bool kModulate, BlendMode kMode>
void ShadeRowAvx2(uint32_t* dst, const uint32_t* src, int n, uint32_t colour) {
  for (int i = ShadeSpanAvx2<kModulate, kMode>(dst, src, n, colour); i < n; ++i)
    dst[i] = BlendPixel(dst[i], kModulate ? Modulate(src[i], colour) : src[i], kMode);
}
#endif

}  // namespace

ShadeSpanFn ModulateBlendKernel(uint32_t colour, BlendMode mode) {
  const bool modulate = colour != 0xFFFFFFFFu, add = mode == BLEND_ADD;
#if QOR_SOFT_AVX2
  if (g_avx2) {
    if (modulate) return add ? ShadeRowAvx2<true, BLEND_ADD> : ShadeRowAvx2<true, BLEND_NORMAL>;
    return add ? ShadeRowAvx2<false, BLEND_ADD> : ShadeRowAvx2<false, BLEND_NORMAL>;
  }
#endif
  if (modulate) return add ? ShadeRowPortable<true, BLEND_ADD> : ShadeRowPortable<true, BLEND_NORMAL>;
  return add ? ShadeRowPortable<false, BLEND_ADD> : ShadeRowPortable<false, BLEND_NORMAL>;
}

void ModulateBlendSpan(uint32_t* dst, const uint32_t* src, int n, uint32_t colour, BlendMode mode) {
  ModulateBlendKernel(colour, mode)(dst, src, n, colour);
}

void BlendFill(uint32_t* dst, uint32_t colour, int n, BlendMode mode) {
  uint32_t a = colour >> 24;
  if (a == 0) return;
  if (a == 255 && mode == BLEND_NORMAL) {
    for (int i = 0; i < n; ++i) dst[i] = colour;
    return;
  }
  uint32_t buf[64];
  for (int i = 0; i < 64; ++i) buf[i] = colour;
  for (int i = 0; i < n; i += 64) BlendSpan(dst + i, buf, n - i < 64 ? n - i : 64, mode);
}

}  // namespace qor::soft
