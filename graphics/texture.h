// UTexture: the record behind a `texture`, and the drawing paths every
// textured draw (sprites, transitions, meshes) goes through.
#pragma once
#include <cstdint>
#include <string>

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
  // The script's open lock (texture:lock .. texture:unlock): rows [lockTop,
  // lockBottom) are marked changed at unlock so later draws see the writes.
  bool isLocked;
  int32_t lockTop, lockBottom;
};

// The off-screen scene state shared with the bitmap class.
extern UTexture* g_renderTargetTexture;  // texture:beginscene .. endscene
extern UBitmap* g_renderTargetBitmap;    // bitmap:beginscene .. endscene
extern UTexture* g_movieTexture;         // the texture a movie plays into

// Creates storage without touching Lua (for loaders that run inside C++
// frames); the old storage is released first. Sizes not positive or beyond
// the device's limit give InvalidCall. The texture is empty on failure.
TextureResult TextureCreateStorage(UTexture* t, int width, int height);
// Raises the script error for a failed create ("E_OUTOFMEMORY", ...).
[[noreturn]] void RaiseTextureResult(lua_State* L, TextureResult r, int width, int height);
// Creates storage (raises the device's messages on L when it cannot).
void TextureCreate(lua_State* L, UTexture* t, int width, int height);
void TextureRelease(UTexture* t);

// CPU access to rows [top, bottom) of the storage: queued draws are carried
// out first; at the end the rows are marked for upload.
uint8_t* TextureBeginAccess(UTexture* t);
void TextureEndAccess(UTexture* t, int top, int bottom);

// The vertex colour of every textured draw: white with the low 8 bits of alpha.
inline uint32_t TextureVertexColor(int alpha) { return (uint32_t(alpha) & 0xFFu) << 24 | 0xFFFFFFu; }

// The quad of DrawTextureRect (strip order: top-left, top-right, bottom-left,
// bottom-right). False when the clipped source is empty (nothing drawn).
bool BuildRectQuad(int allocWidth, int allocHeight, int dx, int dy, int w, int h, int sx, int sy,
                   int alpha, Vertex out[4]);

// The quad of texture:drawrectlt. Exact scale 1, 1 and angle 0 use the
// untransformed rectangle with integer halves.
enum class QuadResult { Draw, Nothing, BadSource };
QuadResult BuildTransformedQuad(int allocWidth, int allocHeight, int x, int y, int sx, int sy, int w,
                                int h, double scalex, double scaley, double angle, int alpha,
                                Vertex out[4]);

void DrawTextureRect(lua_State* L, UTexture* t, int dx, int dy, int w, int h, int sx, int sy, int alpha);

// A movie name (":movie(file[|alphapack][,volume])" and its loop / alpha forms).
struct MovieName {
  bool loop = false;
  bool alpha = false;
  std::string file;       // at most 255 characters
  bool hasAlphaPack = false;
  std::string alphaPack;
  int volume = 0;
};
enum class MovieNameKind { NotMovie, Malformed, Movie };
MovieNameKind ParseMovieName(const char* name, MovieName* out);

// texture:render's per-row compositing of w pixels from src into dst.
// Mode 0 blends by source alpha, 1 adds, 2 copies; others leave dst alone.
void CompositeRow(uint8_t* dst, const uint8_t* src, int w, int mode);

// Off-screen rendering into a texture (texture:beginscene / endscene).
void BeginRenderToTexture(lua_State* L, UTexture* t);
void EndRenderToTexture(lua_State* L);

// Used by the bitmap class.
void BitmapFromTexture(lua_State* L, UBitmap* b, UTexture* t);   // bitmap.fromtexture
void BeginRenderToBitmap(lua_State* L, UBitmap* b);              // bitmap:beginscene
// All of bitmap:endscene: clears the open-scene flag, then, when a bitmap
// scene is open, copies the rendered pixels into it and restores the screen.
void EndRenderToBitmap(lua_State* L);
// The bitmap class calls this when a bitmap is released, so an open scene
// never writes into freed memory.
void ForgetRenderTargetBitmap(UBitmap* b);

}  // namespace qor
