// Triangles, rectangles, points and lines of the software rasteriser.
// Coverage is decided in exact integer arithmetic on vertices snapped to
// 1/256 pixel; attributes are evaluated in double at each pixel centre.
#include "graphics/soft/soft_raster.h"

#include "graphics/raster_rules.h"
#include "graphics/soft/soft_simd.h"

#include <algorithm>
#include <cmath>

namespace qor::soft {
namespace {

using raster::CeilDiv;
using raster::FloorDiv;
using raster::kSub;
using raster::Snap;

constexpr int kChunk = 256;  // pixels shaded per kernel call

// Texel index for coordinate t (0..1 across `size` texels), clamped. The
// position is first rounded to 1/65536 texel, so a coordinate that lies on a
// texel boundary picks the texel to its right whatever the last bits of the
// interpolation (the rectangle and triangle paths then always agree).
inline int TexelAt(double x, int size) {  // x in texels
  if (!(x >= 0)) return 0;  // also NaN
  if (x >= size) return size - 1;
  return static_cast<int>(static_cast<int64_t>(x * 65536.0 + 0.5) >> 16);  // x >= 0: the cast floors
}
inline int Texel(double t, int size) { return TexelAt(t * size, size); }

inline uint32_t Fetch(const TextureView& t, double u, double v) {
  return t.pixels[static_cast<size_t>(Texel(v, t.height)) * t.stride + Texel(u, t.width)];
}

inline double Channel(uint32_t c, int sh) { return static_cast<double>((c >> sh) & 255); }

// Rows of the band that lie inside the target.
inline void RowLimits(const DrawState& s, int* top, int* bottom) {
  *top = std::max(0, s.band.top);
  *bottom = std::min(s.target->height, s.band.bottom);
}

// Blends pixels [x0, x1) of row `py` with the final source colours that
// `source(px)` gives, left to right. Four pixels go straight from registers
// into the blend (a buffer written and read back at once would stall on
// store-to-load forwarding for the short rows of triangles).
template <class Source>
inline void ShadeRow(const DrawState& s, int py, int x0, int x1, Source&& source) {
  uint32_t* row = s.target->pixels + static_cast<size_t>(py) * s.target->stride;
  int x = x0;
#if QOR_SOFT_SSE2
  for (; x + 4 <= x1; x += 4) {
    uint32_t p0 = source(x), p1 = source(x + 1), p2 = source(x + 2), p3 = source(x + 3);
    if (((p0 | p1 | p2 | p3) >> 24) == 0) continue;  // all transparent
    __m128i src = _mm_setr_epi32(static_cast<int>(p0), static_cast<int>(p1), static_cast<int>(p2), static_cast<int>(p3));
    __m128i* d = reinterpret_cast<__m128i*>(row + x);
    _mm_storeu_si128(d, Blend4(src, _mm_loadu_si128(d), s.blend));
  }
#endif
  for (; x < x1; ++x) row[x] = BlendPixel(row[x], source(x), s.blend);
}

void PutPixel(const DrawState& s, int px, int py, uint32_t colour) {
  int top, bottom;
  RowLimits(s, &top, &bottom);
  if (px < 0 || px >= s.target->width || py < top || py >= bottom) return;
  uint32_t* p = s.target->pixels + static_cast<size_t>(py) * s.target->stride + px;
  *p = BlendPixel(*p, colour, s.blend);
}

}  // namespace

void DrawTriangle(const DrawState& s, const Vertex& a, const Vertex& b, const Vertex& c) {
  const Vertex* v[3] = {&a, &b, &c};
  int64_t X[3], Y[3];
  for (int i = 0; i < 3; ++i)
    if (!Snap(v[i]->x, &X[i]) || !Snap(v[i]->y, &Y[i])) return;
  int64_t area = (X[1] - X[0]) * (Y[2] - Y[0]) - (X[2] - X[0]) * (Y[1] - Y[0]);
  if (area == 0) return;
  if (area < 0) {  // no culling: make the winding positive
    std::swap(v[1], v[2]);
    std::swap(X[1], X[2]);
    std::swap(Y[1], Y[2]);
    area = -area;
  }
  int top, bottom;
  RowLimits(s, &top, &bottom);
  int64_t minX = std::min({X[0], X[1], X[2]}), maxX = std::max({X[0], X[1], X[2]});
  int64_t minY = std::min({Y[0], Y[1], Y[2]}), maxY = std::max({Y[0], Y[1], Y[2]});
  int64_t pxLo = std::max<int64_t>(CeilDiv(minX, kSub), 0);
  int64_t pxHi = std::min<int64_t>(FloorDiv(maxX, kSub), s.target->width - 1);
  int64_t pyLo = std::max<int64_t>(CeilDiv(minY, kSub), top);
  int64_t pyHi = std::min<int64_t>(FloorDiv(maxY, kSub), bottom - 1);
  if (pxLo > pxHi || pyLo > pyHi) return;

  // Edge i runs from vertex i to vertex i+1: E(p) = ex*(py - ay) - ey*(px - ax),
  // positive inside. A pixel centre on the edge counts only for top or left edges.
  int64_t ex[3], ey[3], need[3];
  for (int i = 0; i < 3; ++i) {
    int j = (i + 1) % 3;
    ex[i] = X[j] - X[i];
    ey[i] = Y[j] - Y[i];
    bool topLeft = ey[i] < 0 || (ey[i] == 0 && ex[i] > 0);
    need[i] = topLeft ? 0 : 1;
  }
  // Barycentric weights: vertex 1 ~ edge 2 (v2->v0), vertex 2 ~ edge 0 (v0->v1).
  const double invA = 1.0 / static_cast<double>(area);
  const bool textured = s.texture.pixels != nullptr;
  const float u0 = v[0]->u, du1 = v[1]->u - u0, du2 = v[2]->u - u0;
  const float w0 = v[0]->v, dv1 = v[1]->v - w0, dv2 = v[2]->v - w0;
  const bool flat = a.diffuse == b.diffuse && b.diffuse == c.diffuse;
  double c0[4], dc1[4], dc2[4];
  for (int k = 0; k < 4; ++k) {
    c0[k] = Channel(v[0]->diffuse, k * 8);
    dc1[k] = Channel(v[1]->diffuse, k * 8) - c0[k];
    dc2[k] = Channel(v[2]->diffuse, k * 8) - c0[k];
  }
  const uint32_t flatColour = a.diffuse;

  for (int64_t py = pyLo; py <= pyHi; ++py) {
    const int64_t sy = py * kSub;
    int64_t cst[3], step[3];
    int64_t lo = pxLo, hi = pxHi;
    for (int i = 0; i < 3; ++i) {
      // E(px) = cst + px * step
      step[i] = -ey[i] * kSub;
      cst[i] = ex[i] * (sy - Y[i]) + ey[i] * X[i];
      if (step[i] > 0) {
        lo = std::max(lo, CeilDiv(need[i] - cst[i], step[i]));
      } else if (step[i] < 0) {
        hi = std::min(hi, FloorDiv(cst[i] - need[i], -step[i]));
      } else if (cst[i] < need[i]) {
        lo = hi + 1;
      }
    }
    if (lo > hi) continue;
    // Colours are evaluated at each pixel centre from its exact edge values,
    // so a channel that lands on .5 rounds the same way wherever the row
    // starts; texture positions are stepped along the row (they are rounded
    // to 1/65536 texel before use, which absorbs the drift).
    const double b1Row = static_cast<double>(cst[2] + lo * step[2]) * invA;
    const double b2Row = static_cast<double>(cst[0] + lo * step[0]) * invA;
    const double db1 = static_cast<double>(step[2]) * invA, db2 = static_cast<double>(step[0]) * invA;
    double tu = (u0 + b1Row * du1 + b2Row * du2) * s.texture.width;
    double tv = (w0 + b1Row * dv1 + b2Row * dv2) * s.texture.height;
    const double dtu = (db1 * du1 + db2 * du2) * s.texture.width, dtv = (db1 * dv1 + db2 * dv2) * s.texture.height;
    auto source = [&](int px) __attribute__((always_inline)) -> uint32_t {
      uint32_t c = flatColour;
      if (!flat) {
        const double b1 = static_cast<double>(cst[2] + px * step[2]) * invA;
        const double b2 = static_cast<double>(cst[0] + px * step[0]) * invA;
        c = 0;
        for (int k = 0; k < 4; ++k) c |= static_cast<uint32_t>(raster::RoundChannel(c0[k] + b1 * dc1[k] + b2 * dc2[k])) << (k * 8);
      }
      if (!textured) return c;
      const TextureView& t = s.texture;
      uint32_t texel = t.pixels[static_cast<size_t>(TexelAt(tv, t.height)) * t.stride + TexelAt(tu, t.width)];
      tu += dtu;
      tv += dtv;
      return c == 0xFFFFFFFFu ? texel : Modulate(texel, c);
    };
    ShadeRow(s, static_cast<int>(py), static_cast<int>(lo), static_cast<int>(hi) + 1, source);
  }
}

bool DrawRectangleFast(const DrawState& s, const Vertex& a, const Vertex& b, const Vertex& c, const Vertex& d) {
  // a-b the top (or bottom) edge, c-d the other, a-c and b-d the vertical edges.
  if (!raster::IsAxisAlignedQuad(a, b, c, d)) return false;
  if (a.diffuse != b.diffuse || a.diffuse != c.diffuse || a.diffuse != d.diffuse) return false;
  int64_t X0, X1, Y0, Y1;
  if (!Snap(a.x, &X0) || !Snap(b.x, &X1) || !Snap(a.y, &Y0) || !Snap(c.y, &Y1)) return true;  // nothing to draw
  double uA = a.u, uB = b.u, vA = a.v, vB = c.v;
  if (X0 > X1) std::swap(X0, X1), std::swap(uA, uB);
  if (Y0 > Y1) std::swap(Y0, Y1), std::swap(vA, vB);
  if (X0 == X1 || Y0 == Y1) return true;
  int top, bottom;
  RowLimits(s, &top, &bottom);
  // Left and top edges include centres lying on them, right and bottom do not.
  int64_t pxLo = std::max<int64_t>(CeilDiv(X0, kSub), 0);
  int64_t pxHi = std::min<int64_t>(CeilDiv(X1, kSub), s.target->width);  // exclusive
  int64_t pyLo = std::max<int64_t>(CeilDiv(Y0, kSub), top);
  int64_t pyHi = std::min<int64_t>(CeilDiv(Y1, kSub), bottom);
  if (pxLo >= pxHi || pyLo >= pyHi) return true;
  const int x0 = static_cast<int>(pxLo), x1 = static_cast<int>(pxHi);
  const uint32_t colour = a.diffuse;
  Surface& t = *s.target;

  if (!s.texture.pixels) {
    for (int64_t py = pyLo; py < pyHi; ++py)
      BlendFill(t.pixels + static_cast<size_t>(py) * t.stride + x0, colour, x1 - x0, s.blend);
    return true;
  }
  const TextureView& tex = s.texture;
  const double du = (uB - uA) / static_cast<double>(X1 - X0), dv = (vB - vA) / static_cast<double>(Y1 - Y0);
  auto uAt = [&](int64_t px) { return uA + static_cast<double>(px * kSub - X0) * du; };
  auto vAt = [&](int64_t py) { return vA + static_cast<double>(py * kSub - Y0) * dv; };
  // Texel columns are the same on every row: when they run one to one the
  // texture row is blended straight from the texture.
  const int tx0 = Texel(uAt(x0), tex.width);
  bool direct = true;
  for (int px = x0; px < x1 && direct; ++px) direct = Texel(uAt(px), tex.width) == tx0 + (px - x0);
  const ShadeSpanFn shade = ModulateBlendKernel(colour, s.blend);
  if (direct) {
    for (int64_t py = pyLo; py < pyHi; ++py) {
      const uint32_t* src = tex.pixels + static_cast<size_t>(Texel(vAt(py), tex.height)) * tex.stride + tx0;
      shade(t.pixels + static_cast<size_t>(py) * t.stride + x0, src, x1 - x0, colour);
    }
    return true;
  }
  uint32_t cols[kChunk], buf[kChunk];
  for (int64_t py = pyLo; py < pyHi; ++py) {
    const uint32_t* src = tex.pixels + static_cast<size_t>(Texel(vAt(py), tex.height)) * tex.stride;
    uint32_t* dst = t.pixels + static_cast<size_t>(py) * t.stride;
    for (int x = x0; x < x1; x += kChunk) {
      int n = std::min(kChunk, x1 - x);
      if (py == pyLo || x1 - x0 > kChunk) {
        for (int k = 0; k < n; ++k) cols[k] = static_cast<uint32_t>(Texel(uAt(x + k), tex.width));
      }
      for (int k = 0; k < n; ++k) buf[k] = src[cols[k]];
      shade(dst + x, buf, n, colour);
    }
  }
  return true;
}

void DrawPoint(const DrawState& s, const Vertex& p) {
  int px, py;
  if (!raster::PointPixel(p, &px, &py)) return;
  if (px < 0 || py < 0 || px >= s.target->width || py >= s.target->height) return;
  uint32_t colour = p.diffuse;
  if (s.texture.pixels) colour = Modulate(Fetch(s.texture, p.u, p.v), colour);
  PutPixel(s, px, py, colour);
}

void DrawLine(const DrawState& s, const Vertex& a, const Vertex& b) {
  raster::ForEachLinePixel(a, b, s.target->width, s.target->height, [&](int px, int py, double t) {
    uint32_t colour = raster::LerpDiffuse(a.diffuse, b.diffuse, t);
    if (s.texture.pixels) colour = Modulate(Fetch(s.texture, a.u + t * (b.u - a.u), a.v + t * (b.v - a.v)), colour);
    PutPixel(s, px, py, colour);
  });
}

void DrawPrimitive(const DrawState& s, PrimitiveType type, const Vertex* v, int count) {
  switch (type) {
    case PT_POINTLIST:
      for (int i = 0; i < count; ++i) DrawPoint(s, v[i]);
      break;
    case PT_LINELIST:
      for (int i = 0; i + 1 < count; i += 2) DrawLine(s, v[i], v[i + 1]);
      break;
    case PT_LINESTRIP:
      for (int i = 0; i + 1 < count; ++i) DrawLine(s, v[i], v[i + 1]);
      break;
    case PT_TRIANGLELIST:
      for (int i = 0; i + 2 < count; i += 3) DrawTriangle(s, v[i], v[i + 1], v[i + 2]);
      break;
    case PT_TRIANGLESTRIP:
      if (count == 4 && DrawRectangleFast(s, v[0], v[1], v[2], v[3])) break;
      for (int i = 0; i + 2 < count; ++i) DrawTriangle(s, v[i], v[i + 1], v[i + 2]);
      break;
    case PT_TRIANGLEFAN:
      for (int i = 1; i + 1 < count; ++i) DrawTriangle(s, v[0], v[i], v[i + 1]);
      break;
  }
}

}  // namespace qor::soft
