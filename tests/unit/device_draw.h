// Drawing helpers shared by the device tests: vertices, textures filled from a
// function, and the quad a sprite draw sends.
#pragma once
#include <gtest/gtest.h>

#include <functional>

#include "graphics/device.h"

namespace qor::test {

inline Vertex V(float x, float y, uint32_t c = 0xFFFFFFFF, float u = 0, float v = 0) { return Vertex{x, y, 0, 1, c, u, v}; }

inline uint32_t* Row(DeviceTexture* t, int y) { return reinterpret_cast<uint32_t*>(t->pixels + y * t->pitch); }

inline DeviceTexture* MakeTexture(Device* d, int w, int h, const std::function<uint32_t(int, int)>& fill) {
  DeviceTexture* t = nullptr;
  EXPECT_EQ(d->CreateTexture(w, h, &t), TextureResult::Ok);
  if (!t) return nullptr;
  d->BeginTextureAccess(t);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) Row(t, y)[x] = fill(x, y);
  d->EndTextureAccess(t, 0, h);
  return t;
}

// The quad a sprite draw sends: top-left at pixel (dx, dy), texels (sx, sy, w, h).
inline void Sprite(Device* d, const DeviceTexture* t, float dx, float dy, int w, int h, int sx = 0, int sy = 0,
                   uint32_t c = 0xFFFFFFFF, float scale = 1.0f) {
  float x0 = dx - 0.5f, y0 = dy - 0.5f, x1 = x0 + w * scale, y1 = y0 + h * scale;
  float uL = float(sx) / t->width, uR = float(sx + w) / t->width;
  float vT = float(sy) / t->height, vB = float(sy + h) / t->height;
  Vertex q[4] = {V(x0, y0, c, uL, vT), V(x1, y0, c, uR, vT), V(x0, y1, c, uL, vB), V(x1, y1, c, uR, vB)};
  d->Draw(PT_TRIANGLESTRIP, q, 4);
}

}  // namespace qor::test
