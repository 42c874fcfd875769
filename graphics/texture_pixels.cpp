// Pixel work on texture storage: fill, fillrect, the script's lock,
// compositing a bitmap in, the copies between bitmaps and textures, saving.
#include <algorithm>
#include <cstring>

#include "graphics/screen.h"
#include "graphics/texture.h"
#include "image/image_io.h"

namespace qor {

GfxStatus FillTexture(UTexture* t, uint32_t color) {
  if (!t->surface) return GfxStatus::EmptyTexture;
  uint8_t* px = TextureBeginAccess(t);
  const int pitch = t->surface->pitch;
  for (int y = 0; y < t->height; ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(px + size_t(y) * pitch);
    std::fill(row, row + t->width, color);
  }
  TextureEndAccess(t, 0, t->height);
  return GfxStatus::Ok;
}

GfxResult FillTextureRect(UTexture* t, uint32_t color, int left, int top, int right, int bottom) {
  if (!t->surface) return GfxStatus::EmptyTexture;
  // Corners are inclusive; the rectangle must be at least 2 x 2 and lie inside
  // the allocated storage (writing past it would corrupt memory).
  if (left >= right || top >= bottom || left < 0 || top < 0 || right >= t->allocWidth || bottom >= t->allocHeight)
    return {GfxStatus::BadFillRect, left, top, right, bottom};
  uint8_t* px = TextureBeginAccess(t);
  const int pitch = t->surface->pitch;
  for (int y = top; y <= bottom; ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(px + size_t(y) * pitch) + left;
    std::fill(row, row + (right - left + 1), color);
  }
  TextureEndAccess(t, top, bottom + 1);
  return {};
}

void UnlockTexture(UTexture* t) {
  if (!t->isLocked) return;
  t->isLocked = false;
  // The rows the lock covered are uploaded before the next draw.
  if (t->surface) TextureEndAccess(t, t->lockTop, t->lockBottom);
}

GfxResult LockTexture(UTexture* t, bool whole, int left, int top, int right, int bottom) {
  if (!t->surface) return GfxStatus::EmptyTexture;
  if (whole) {
    left = top = 0;
    right = t->allocWidth - 1;
    bottom = t->allocHeight - 1;
  } else if (left < 0 || top < 0 || right >= t->width || bottom >= t->height || left > right || top > bottom) {
    return {GfxStatus::BadLockRect, left, top, right, bottom};
  }
  UnlockTexture(t);  // a second lock replaces the first
  uint8_t* px = TextureBeginAccess(t);
  t->locked.pitch = t->surface->pitch;
  t->locked.bits = px + size_t(top) * t->surface->pitch + size_t(left) * 4;
  t->isLocked = true;
  t->lockTop = top;
  t->lockBottom = bottom + 1;
  return {};
}

void CompositeRow(uint8_t* dst, const uint8_t* src, int w, int mode) {
  switch (mode) {
    case 0:
      for (int i = 0; i < w; ++i, dst += 4, src += 4) {
        int a = src[3];
        for (int c = 0; c < 3; ++c) dst[c] = uint8_t(dst[c] + (src[c] - dst[c]) * a / 255);
        dst[3] = std::max(dst[3], src[3]);
      }
      break;
    case 1:
      for (int i = 0; i < w; ++i, dst += 4, src += 4) {
        int a = src[3];
        for (int c = 0; c < 3; ++c) dst[c] = uint8_t(std::min(255, dst[c] + src[c] * a / 255));
        dst[3] = std::max(dst[3], src[3]);
      }
      break;
    case 2:
      memcpy(dst, src, size_t(w) * 4);
      break;
    default:
      break;
  }
}

GfxResult CompositeBitmapIntoTexture(UTexture* t, const UBitmap* b, int dx, int dy, int w, int h, int sx, int sy, int mode) {
  if (!t->surface) return GfxStatus::EmptyTexture;
  // 64-bit sums: huge arguments must not wrap around into range.
  if (dx < 0 || dy < 0 || int64_t(dx) + w - 1 > t->width - 1 || int64_t(dy) + h - 1 > t->height - 1)
    return {GfxStatus::RenderOutsideTexture, dx, dy, w, h};
  if (BitmapEmpty(b)) return GfxStatus::EmptyBitmap;
  if (sx < 0 || sy < 0 || int64_t(sx) + w - 1 > b->width - 1 || int64_t(sy) + h - 1 > b->height - 1)
    return {GfxStatus::RenderOutsideBitmap, sx, sy, w, h};
  if (w <= 0 || h <= 0 || mode < 0 || mode > 2) return {};
  uint8_t* px = TextureBeginAccess(t);
  const int pitch = t->surface->pitch;
  for (int y = 0; y < h; ++y) {
    uint8_t* dst = px + size_t(dy + y) * pitch + size_t(dx) * 4;
    const uint8_t* src = b->pixels + (size_t(sy + y) * b->width + sx) * 4;
    CompositeRow(dst, src, w, mode);
  }
  TextureEndAccess(t, dy, dy + h);
  return {};
}

GfxResult CopyBitmapToTexture(UTexture* t, const UBitmap* b) {
  if (BitmapEmpty(b)) return {};
  GfxResult r = CreateTexture(t, b->width, b->height);
  if (!r.ok()) return r;
  uint8_t* px = TextureBeginAccess(t);
  const int pitch = t->surface->pitch;
  for (int y = 0; y < b->height; ++y)
    memcpy(px + size_t(y) * pitch, b->pixels + size_t(y) * b->width * 4, size_t(b->width) * 4);
  TextureEndAccess(t, 0, b->height);
  return {};
}

// The logical area of the texture into `b`, which has at least its size.
static void CopyLogicalArea(UBitmap* b, UTexture* t) {
  const uint8_t* px = TextureBeginAccess(t);
  for (int y = 0; y < t->height; ++y)
    memcpy(b->pixels + size_t(y) * b->width * 4, px + size_t(y) * t->surface->pitch, size_t(t->width) * 4);
  TextureEndAccess(t, 0, 0);
}

GfxResult CopyTextureToBitmap(UBitmap* b, UTexture* t) {
  if (!t->surface || t->width <= 0 || t->height <= 0) {
    // An empty texture gives an empty bitmap.
    BitmapRelease(b);
    return {};
  }
  if (!BitmapCreate(b, t->width, t->height)) return {GfxStatus::BitmapCreateFailed, t->width, t->height};
  CopyLogicalArea(b, t);
  return {};
}

GfxResult SaveTexture(UTexture* t, const char* file, TextureSaveKind kind, std::string* reason) {
  if (!t->surface) return GfxStatus::EmptyTexture;
  if (kind == TextureSaveKind::Alpha) {
    char ext[5];
    if (!ImageExtension(file, ext) || (strcmp(ext, "png") != 0 && strcmp(ext, "arl") != 0))
      return GfxStatus::BadAlphaName;
  }
  UBitmap b{};
  if (!BitmapCreate(&b, t->width, t->height)) return {GfxStatus::BitmapCreateFailed, t->width, t->height};
  CopyLogicalArea(&b, t);
  GfxStatus st = GfxStatus::Ok;
  try {
    if (kind == TextureSaveKind::Alpha) {
      AlphaSaveStatus as = SaveAlpha(b, file, reason);
      if (as == AlphaSaveStatus::BadExtension) st = GfxStatus::BadAlphaName;
      else if (as != AlphaSaveStatus::Ok) st = GfxStatus::WriteFailed;
    } else if (!SavePng(b, file, kind == TextureSaveKind::PngNoAlpha, reason)) {
      st = GfxStatus::WriteFailed;
    }
  } catch (...) {
    BitmapRelease(&b);
    throw;
  }
  BitmapRelease(&b);
  return st;
}

}  // namespace qor
