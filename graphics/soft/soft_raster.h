// The software rasteriser's core: triangles, axis-aligned rectangles, points
// and lines drawn into a 32-bit surface with Direct3D 9's rules.
//
// Rules (shared with the OpenGL backend so both give the same pictures; the
// snapping, point and line rules are code both use, in graphics/raster_rules.h):
// - pixel (px, py) has its centre at the integer point (px, py); vertices are
//   snapped to 1/256 pixel before anything is decided;
// - a triangle covers a pixel whose centre lies inside it; a centre exactly on
//   an edge belongs to the triangle only when that edge is a top or left edge,
//   so two triangles sharing an edge never both draw a pixel of it;
// - attributes are interpolated linearly (rhw is always 1) at the pixel centre;
// - point sampling with clamp: texel (floor(u*W), floor(v*H)) clamped into the
//   texture, so a quad sent at x - 0.5 with u = sx/W maps pixel i to texel sx+i;
// - source = texel x diffuse per channel (alpha too), untextured = diffuse;
// - normal blend: src*a + dst*(255-a), additive: dst + src*a saturating;
//   every product is divided by 255 with rounding to nearest (Div255 below);
// - the target has no alpha: every written pixel gets alpha 255.
#pragma once
#include <cstdint>

#include "graphics/device.h"

namespace qor::soft {

// round(x / 255) for 0 <= x <= 65280 (exact; checked over the whole range by the tests).
inline uint32_t Div255(uint32_t x) {
  x += 128;
  return (x + (x >> 8)) >> 8;
}

struct Surface {
  uint32_t* pixels = nullptr;  // 0xAARRGGBB, rows `stride` pixels apart
  int width = 0, height = 0, stride = 0;
};

struct TextureView {
  const uint32_t* pixels = nullptr;  // null = untextured
  int width = 0, height = 0, stride = 0;  // stride in pixels
};

// The rows a draw may write: a band of the target, so that helper threads
// can share one target without touching the same row.
struct Band {
  int top, bottom;  // rows [top, bottom) of the target
};

// Everything a primitive needs besides its vertices.
struct DrawState {
  Surface* target;
  TextureView texture;
  BlendMode blend;
  Band band;
};

void DrawTriangle(const DrawState& s, const Vertex& a, const Vertex& b, const Vertex& c);
// Two triangles (a, b, c) and (b, c, d) forming an axis-aligned rectangle with
// an affine texture mapping and one colour; false (nothing drawn) when they do not.
bool DrawRectangleFast(const DrawState& s, const Vertex& a, const Vertex& b, const Vertex& c, const Vertex& d);
void DrawPoint(const DrawState& s, const Vertex& p);
// A line from a to b; the pixel of the end point is left out, so the segments
// of a strip meet without drawing their joints twice.
void DrawLine(const DrawState& s, const Vertex& a, const Vertex& b);

// Draws a whole primitive list/strip/fan of `count` vertices.
void DrawPrimitive(const DrawState& s, PrimitiveType type, const Vertex* v, int count);

// Span kernels (soft_span.cpp): src colours are 0xAARRGGBB.
void BlendSpan(uint32_t* dst, const uint32_t* src, int n, BlendMode mode);
// dst[i] = src[i] x colour per channel (with rounding).
void ModulateSpan(uint32_t* dst, const uint32_t* src, int n, uint32_t colour);
// BlendSpan of src x colour (ModulateSpan's product; white leaves src as it is).
void ModulateBlendSpan(uint32_t* dst, const uint32_t* src, int n, uint32_t colour, BlendMode mode);
// The kernel ModulateBlendSpan runs for this colour and mode, chosen once for
// the many rows of one draw: kernel(dst, src, n, colour).
using ShadeSpanFn = void (*)(uint32_t* dst, const uint32_t* src, int n, uint32_t colour);
ShadeSpanFn ModulateBlendKernel(uint32_t colour, BlendMode mode);
// Chooses the AVX2 kernels (when the processor has them) or the SSE2 ones;
// returns the previous choice. The results are the same either way.
bool SpanKernelsUseAvx2(bool use);
// A single colour over n pixels.
void BlendFill(uint32_t* dst, uint32_t colour, int n, BlendMode mode);

// One pixel, as every kernel computes it (the reference the tests check against).
inline uint32_t Modulate(uint32_t t, uint32_t d) {
  uint32_t r = 0;
  for (int sh = 0; sh < 32; sh += 8) r |= Div255(((t >> sh) & 255) * ((d >> sh) & 255)) << sh;
  return r;
}
inline uint32_t BlendPixel(uint32_t dst, uint32_t src, BlendMode mode) {
  uint32_t a = src >> 24, r = 0xFF000000u;
  for (int sh = 0; sh < 24; sh += 8) {
    uint32_t sc = (src >> sh) & 255, dc = (dst >> sh) & 255, v;
    if (mode == BLEND_ADD) {
      v = dc + Div255(sc * a);
      if (v > 255) v = 255;
    } else {
      v = Div255(sc * a + dc * (255 - a));
    }
    r |= v << sh;
  }
  return r;
}

}  // namespace qor::soft
