// Texture storage and the textured drawing paths with the quads they build.
#include "graphics/texture.h"

#include <cmath>

#include "graphics/movie_player.h"
#include "graphics/screen.h"
#include "graphics/screen_internal.h"

namespace qor {

UTexture* g_renderTargetTexture = nullptr;
UBitmap* g_renderTargetBitmap = nullptr;
UTexture* g_movieTexture = nullptr;

// Stops the movie that plays into `t` (and its alpha pack) before its storage goes away.
static void DetachMovie(UTexture* t) {
  if (g_movieTexture == t) StopMovieTexture();
}

TextureResult TextureCreateStorage(UTexture* t, int width, int height) {
  DetachMovie(t);
  TextureRelease(t);
  t->width = width;
  t->height = height;
  Device* dev = g_screen.device.get();
  DeviceTexture* tex = nullptr;
  TextureResult r = TextureResult::InvalidCall;
  if (dev && width > 0 && height > 0) r = dev->CreateTexture(width, height, &tex);
  if (r != TextureResult::Ok || !tex) {
    // Leave a consistent empty texture behind (the record may outlive the error).
    t->surface = nullptr;
    t->width = t->height = 0;
    return r == TextureResult::Ok ? TextureResult::OutOfMemory : r;
  }
  t->surface = tex;
  t->allocWidth = tex->width;
  t->allocHeight = tex->height;
  return TextureResult::Ok;
}

GfxResult TextureCreateStatus(TextureResult r, int width, int height) {
  switch (r) {
    case TextureResult::Ok: return {};
    case TextureResult::OutOfMemory: return {GfxStatus::TextureOutOfMemory, width, height};
    case TextureResult::OutOfVideoMemory: return {GfxStatus::TextureOutOfVideoMemory, width, height};
    default: return {GfxStatus::TextureInvalidCall, width, height};
  }
}

GfxResult CreateTexture(UTexture* t, int width, int height) {
  if (!g_screen.device) return GfxStatus::NoDevice;
  return TextureCreateStatus(TextureCreateStorage(t, width, height), width, height);
}

void TextureRelease(UTexture* t) {
  DetachMovie(t);
  if (g_renderTargetTexture == t) g_renderTargetTexture = nullptr;  // the scene ends without a copy
  if (t->surface) {
    if (Device* dev = g_screen.device.get()) {
      if (t->isLocked) dev->EndTextureAccess(t->surface, t->lockTop, t->lockBottom);
      if (g_screen.boundTexture == t->surface) g_screen.boundTexture = nullptr;
      dev->DestroyTexture(t->surface);
    }
    // Without a device (after shut-down) the storage went with it.
  }
  t->surface = nullptr;
  t->isLocked = false;
  t->width = t->height = 0;
}

uint8_t* TextureBeginAccess(UTexture* t) {
  g_screen.device->BeginTextureAccess(t->surface);
  return t->surface->pixels;
}

void TextureEndAccess(UTexture* t, int top, int bottom) {
  g_screen.device->EndTextureAccess(t->surface, top, bottom);
}

// --- quads

static void SetVertex(Vertex* v, float x, float y, float u, float tv, uint32_t color) {
  *v = Vertex{x, y, 0.0f, 1.0f, color, u, tv};
}

// Texture coordinates of the edges of source columns [sx, sx + w) and rows
// [sy, sy + h); an axis whose allocated size is 1 or less stays at 0.
struct SourceUV {
  float uL = 0, uR = 0, vT = 0, vB = 0;
};
static SourceUV SourceCoords(int allocWidth, int allocHeight, int sx, int sy, int w, int h) {
  SourceUV uv;
  if (allocWidth > 1) {
    uv.uL = float(sx) / float(allocWidth);
    uv.uR = float(sx + w) / float(allocWidth);
  }
  if (allocHeight > 1) {
    uv.vT = float(sy) / float(allocHeight);
    uv.vB = float(sy + h) / float(allocHeight);
  }
  return uv;
}

bool BuildRectQuad(int allocWidth, int allocHeight, int dx, int dy, int w, int h, int sx, int sy,
                   int alpha, Vertex out[4]) {
  if (sx < 0) {
    dx -= sx;
    w += sx;
    sx = 0;
  }
  if (sy < 0) {
    dy -= sy;
    h += sy;
    sy = 0;
  }
  if (sx + w > allocWidth) w = allocWidth - sx;
  if (sy + h > allocHeight) h = allocHeight - sy;
  if (w < 0 || h < 0) return false;
  float x0 = float(dx) - 0.5f, y0 = float(dy) - 0.5f;
  float x1 = x0 + float(w), y1 = y0 + float(h);
  const SourceUV uv = SourceCoords(allocWidth, allocHeight, sx, sy, w, h);
  uint32_t c = TextureVertexColor(alpha);
  SetVertex(&out[0], x0, y0, uv.uL, uv.vT, c);
  SetVertex(&out[1], x1, y0, uv.uR, uv.vT, c);
  SetVertex(&out[2], x0, y1, uv.uL, uv.vB, c);
  SetVertex(&out[3], x1, y1, uv.uR, uv.vB, c);
  return true;
}

QuadResult BuildTransformedQuad(int allocWidth, int allocHeight, int x, int y, int sx, int sy, int w,
                                int h, double scalex, double scaley, double angle, int alpha,
                                Vertex out[4]) {
  if (scalex == 1.0 && scaley == 1.0 && angle == 0.0) {
    return BuildRectQuad(allocWidth, allocHeight, x - w / 2, y - h / 2, w, h, sx, sy, alpha, out)
               ? QuadResult::Draw
               : QuadResult::Nothing;
  }
  if (sx < 0 || sy < 0) return QuadResult::BadSource;
  if (sx + w > allocWidth) w = allocWidth - sx;
  if (sy + h > allocHeight) h = allocHeight - sy;
  if (w < 0 || h < 0) return QuadResult::Nothing;
  double cx = double(float(x) - 0.5f), cy = double(float(y) - 0.5f);
  double hw = w * 0.5, hh = h * 0.5;
  double c = std::cos(angle), s = std::sin(angle);
  const SourceUV uv = SourceCoords(allocWidth, allocHeight, sx, sy, w, h);
  const double lx[4] = {-hw, hw, -hw, hw};
  const double ly[4] = {-hh, -hh, hh, hh};
  const float us[4] = {uv.uL, uv.uR, uv.uL, uv.uR};
  const float vs[4] = {uv.vT, uv.vT, uv.vB, uv.vB};
  uint32_t col = TextureVertexColor(alpha);
  for (int i = 0; i < 4; ++i) {
    double px = cx + lx[i] * scalex * c - ly[i] * scaley * s;
    double py = cy + lx[i] * scalex * s + ly[i] * scaley * c;
    SetVertex(&out[i], float(px), float(py), us[i], vs[i], col);
  }
  return QuadResult::Draw;
}

GfxStatus DrawTextureRect(UTexture* t, int dx, int dy, int w, int h, int sx, int sy, int alpha) {
  if (!t->surface) return GfxStatus::Ok;
  Vertex v[4];
  if (!BuildRectQuad(t->allocWidth, t->allocHeight, dx, dy, w, h, sx, sy, alpha, v)) return GfxStatus::Ok;
  return DrawTexturedPrimitives(t, PT_TRIANGLESTRIP, 2, v);
}

GfxStatus DrawTexturedPrimitives(UTexture* t, PrimitiveType type, int count, Vertex* v) {
  if (!t->surface) return GfxStatus::Ok;  // an empty (or deleted) texture draws nothing
  BindTexture(t->surface);
  return DrawPrimitives(type, count, v);
}

}  // namespace qor
