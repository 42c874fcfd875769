// UTexture: the record behind a `texture`, and the drawing paths every
// textured draw (sprites, transitions, meshes) goes through.
#pragma once
#include <cstdint>

#include "graphics/device.h"
#include "host/lua.h"
#include "image/bitmap.h"

namespace qor {

struct LockedRect {
  int32_t pitch;
  void* bits;
};

struct UTexture {
  LockedRect locked;        // filled by lock; texture:lock hands out its address
  DeviceTexture* surface;   // null = empty texture
  int32_t allocWidth, allocHeight;
  int32_t width, height;    // logical size
};

// Creates storage (raises the device's messages on L when it cannot).
void TextureCreate(lua_State* L, UTexture* t, int width, int height);
void TextureRelease(UTexture* t);
void DrawTextureRect(lua_State* L, UTexture* t, int dx, int dy, int w, int h, int sx, int sy, int alpha);

// Used by the bitmap class.
void BitmapFromTexture(lua_State* L, UBitmap* b, UTexture* t);   // bitmap.fromtexture
void BeginRenderToBitmap(lua_State* L, UBitmap* b);              // bitmap:beginscene
void EndRenderToBitmap(lua_State* L);                            // bitmap:endscene

}  // namespace qor
