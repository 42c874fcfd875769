// Pixel rules both drawing devices share: snapping vertices to 1/256 pixel,
// the pixel a point lights, the pixels a line lights and the colour along a
// line. The software rasteriser draws with them and the OpenGL device picks
// its point and line pixels with them, so the two cannot drift apart.
#pragma once
#include <cmath>
#include <cstdint>

#include "graphics/device.h"

namespace qor::raster {

constexpr int kSub = 256;                     // sub-pixel steps per pixel
constexpr int64_t kLimit = int64_t(1) << 28;  // |snapped coordinate| limit (about a million pixels)

// Snaps a coordinate to 1/256 pixel; false for NaN or infinity.
inline bool Snap(float f, int64_t* out) {
  if (!std::isfinite(f)) return false;
  double d = std::floor(static_cast<double>(f) * kSub + 0.5);
  if (d > kLimit) d = kLimit;
  if (d < -kLimit) d = -kLimit;
  *out = static_cast<int64_t>(d);
  return true;
}

inline int64_t FloorDiv(int64_t a, int64_t b) {  // b > 0
  int64_t q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}
inline int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }  // b > 0

// A colour channel rounded to the nearest integer and clamped to 0..255.
inline int RoundChannel(double c) {
  c += 0.5;
  return c < 1 ? 0 : c >= 255 ? 255 : static_cast<int>(c);  // c >= 1: the cast floors
}

// Diffuse colours (0xAARRGGBB) mixed per channel: a at f = 0, b at f = 1.
inline uint32_t LerpDiffuse(uint32_t a, uint32_t b, double f) {
  uint32_t colour = 0;
  for (int sh = 0; sh < 32; sh += 8) {
    double c0 = static_cast<double>((a >> sh) & 255), c1 = static_cast<double>((b >> sh) & 255);
    colour |= static_cast<uint32_t>(RoundChannel(c0 + f * (c1 - c0))) << sh;
  }
  return colour;
}

// True when the strip a, b, c, d is an axis-aligned rectangle with an affine
// texture mapping: a-b one horizontal edge, c-d the other, a-c and b-d the
// vertical ones; u is constant down each vertical edge and v along each
// horizontal one.
inline bool IsAxisAlignedQuad(const Vertex& a, const Vertex& b, const Vertex& c, const Vertex& d) {
  if (a.y != b.y || c.y != d.y || a.x != c.x || b.x != d.x) return false;
  return a.u == c.u && b.u == d.u && a.v == b.v && c.v == d.v;
}

// The pixel a point lights. A point is a 1 x 1 square centred on it, filled
// under the top-left rule: the pixel whose centre lies in [x - 0.5, x + 0.5)
// and [y - 0.5, y + 0.5), so a point halfway between two centres lights the
// left/upper one ((10.5, 3) lights x = 10). False when a coordinate is not
// finite. The pixel may lie outside any target.
inline bool PointPixel(const Vertex& p, int* px, int* py) {
  int64_t X, Y;
  if (!Snap(p.x, &X) || !Snap(p.y, &Y)) return false;
  *px = static_cast<int>(CeilDiv(X - kSub / 2, kSub));
  *py = static_cast<int>(CeilDiv(Y - kSub / 2, kSub));
  return true;
}

// Calls visit(px, py, f) for each pixel of the line from a to b, in the
// direction of travel, with f the position of the pixel centre along the
// line (0 at a, 1 at b; up to half a pixel beyond either end) for
// interpolating colours and texture coordinates. Along the major axis the
// line lights the pixels whose centre line (px + 0.5 for x-major) lies in
// [start, end) in its direction of travel, so the end pixel is left out and
// the segments of a strip meet without drawing their joints twice; across it,
// the pixel nearest the line at that centre (ties go right/down). Only the
// steps whose major coordinate lies in [0, width) or [0, height) are visited;
// the other coordinate may lie outside the target.
template <class Visit>
void ForEachLinePixel(const Vertex& a, const Vertex& b, int width, int height, Visit&& visit) {
  int64_t X0, Y0, X1, Y1;
  if (!Snap(a.x, &X0) || !Snap(a.y, &Y0) || !Snap(b.x, &X1) || !Snap(b.y, &Y1)) return;
  const int64_t dx = X1 - X0, dy = Y1 - Y0;
  if (dx == 0 && dy == 0) return;
  const bool xMajor = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
  const int64_t M0 = xMajor ? X0 : Y0, M1 = xMajor ? X1 : Y1, N0 = xMajor ? Y0 : X0;
  const int64_t dm = M1 - M0, dn = xMajor ? dy : dx;
  int64_t first, last, dir;
  if (dm > 0) {
    first = CeilDiv(M0 - kSub / 2, kSub);
    last = CeilDiv(M1 - kSub / 2, kSub) - 1;
    dir = 1;
  } else {
    first = FloorDiv(M0 - kSub / 2, kSub);
    last = FloorDiv(M1 - kSub / 2, kSub) + 1;
    dir = -1;
  }
  const int64_t span = (last - first) * dir;
  if (span < 0) return;
  const int64_t limit = xMajor ? width : height;
  int64_t kLo = dir > 0 ? -first : first - (limit - 1);
  int64_t kHi = dir > 0 ? limit - 1 - first : first;
  if (kLo < 0) kLo = 0;
  if (kHi > span) kHi = span;
  const int64_t adm = dm < 0 ? -dm : dm, sgn = dm < 0 ? -1 : 1;
  for (int64_t k = kLo; k <= kHi; ++k) {
    const int64_t m = first + k * dir;
    // n(m) = N0 + (m*256 - M0) * dn / dm, rounded to the nearest pixel.
    const int64_t n = FloorDiv((N0 + kSub / 2) * adm + (m * kSub - M0) * dn * sgn, adm * kSub);
    const double f = static_cast<double>(m * kSub - M0) / static_cast<double>(dm);
    if (xMajor)
      visit(static_cast<int>(m), static_cast<int>(n), f);
    else
      visit(static_cast<int>(n), static_cast<int>(m), f);
  }
}

}  // namespace qor::raster
