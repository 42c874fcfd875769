// UTexture: the record behind a `texture`, its storage, pixel work, loading,
// saving, off-screen scenes and the drawing paths every textured draw
// (sprites, transitions, meshes) goes through. Lua-free: statuses only.
#pragma once
#include <cstdint>
#include <string>

#include "graphics/device.h"
#include "graphics/status.h"
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

// --- storage (texture.cpp)

// Creates storage; the old storage is released first. Sizes not positive or
// beyond the device's limit give InvalidCall. The texture is empty on failure.
TextureResult TextureCreateStorage(UTexture* t, int width, int height);
// The status (with the sizes for the message) of a failed create.
GfxResult TextureCreateStatus(TextureResult r, int width, int height);
// TextureCreateStorage behind the device check of texture.create.
GfxResult CreateTexture(UTexture* t, int width, int height);
void TextureRelease(UTexture* t);

// CPU access to rows [top, bottom) of the storage: queued draws are carried
// out first; at the end the rows are marked for upload.
uint8_t* TextureBeginAccess(UTexture* t);
void TextureEndAccess(UTexture* t, int top, int bottom);

// --- drawing (texture.cpp)

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

// Draws (dx, dy, w, h) from (sx, sy) of the texture; an empty texture draws nothing.
GfxStatus DrawTextureRect(UTexture* t, int dx, int dy, int w, int h, int sx, int sy, int alpha);
// Submits textured vertices: a strip of 2 (a quad) or a list of count triangles.
GfxStatus DrawTexturedPrimitives(UTexture* t, PrimitiveType type, int count, Vertex* v);

// --- pixels (texture_pixels.cpp); every one needs storage (EmptyTexture)

GfxStatus FillTexture(UTexture* t, uint32_t color);
// Corners inclusive; at least 2 x 2 and inside the allocated storage (BadFillRect).
GfxResult FillTextureRect(UTexture* t, uint32_t color, int left, int top, int right, int bottom);
// Opens the script's lock over the whole storage, or over the rectangle with
// both corners included (inside the logical size: BadLockRect); a second lock
// replaces the first. `t->locked` then holds the pitch and the first pixel.
GfxResult LockTexture(UTexture* t, bool whole, int left, int top, int right, int bottom);
void UnlockTexture(UTexture* t);
// texture:render: composites the w x h block at (sx, sy) of `b` at (dx, dy).
GfxResult CompositeBitmapIntoTexture(UTexture* t, const UBitmap* b, int dx, int dy, int w, int h, int sx, int sy, int mode);
// texture:render's per-row compositing of w pixels from src into dst.
// Mode 0 blends by source alpha, 1 adds, 2 copies; others leave dst alone.
void CompositeRow(uint8_t* dst, const uint8_t* src, int w, int mode);
// texture.frombitmap: storage of the bitmap's size holding its pixels (an
// empty bitmap leaves the texture empty).
GfxResult CopyBitmapToTexture(UTexture* t, const UBitmap* b);
// bitmap.fromtexture: the logical area (an empty texture gives an empty bitmap).
GfxResult CopyTextureToBitmap(UBitmap* b, UTexture* t);

// texture:save / savealpha: the logical area through a temporary bitmap.
// WriteFailed with `reason`; BadAlphaName; BitmapCreateFailed. May throw std::bad_alloc.
enum class TextureSaveKind { Png, PngNoAlpha, Alpha };
GfxResult SaveTexture(UTexture* t, const char* file, TextureSaveKind kind, std::string* reason);

// --- loading (texture_load.cpp)

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

// texture.load: a movie name or an image file (loose or in an archive)
// decoded straight into the texture. May throw std::bad_alloc.
GfxResult LoadTexture(UTexture* t, const char* name);

// --- off-screen scenes (texture_scene.cpp)

// texture:beginscene: OneRenderTarget, EmptyTarget, TargetCreateFailed,
// BeginSceneFailed. As with the original device, a failure after the flag is
// set leaves it set (later begins are refused until bitmap:endscene).
GfxStatus BeginRenderToTexture(UTexture* t);
// True between a successful texture:beginscene and its endscene.
bool TextureSceneOpen();
// texture:endscene: copies the picture into the texture and restores the screen.
GfxStatus EndRenderToTexture();
// bitmap:beginscene: the bitmap is made again at the screen's size when it
// differs (BitmapCreateFailed); TargetFatal when the target cannot be made.
GfxResult BeginRenderToBitmap(UBitmap* b);
// All of bitmap:endscene: clears the open-scene flag; when a bitmap scene is
// open, copies the rendered pixels into it; the screen target is restored
// unless a texture scene still draws off screen.
GfxStatus EndRenderToBitmap();
// The bitmap class calls this when a bitmap is released, so an open scene
// never writes into freed memory.
void ForgetRenderTargetBitmap(UBitmap* b);
// A new screen device (tests, benchmarks) starts with no off-screen scene.
void ForgetOffscreenScenes();

}  // namespace qor
