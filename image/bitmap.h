// UBitmap: a 32-bit BGRA image in system memory, the record behind a `bitmap`.
#pragma once
#include <cstdint>

namespace qor {

// The view `bitmap:getdata` hands to native code: pixel pointer, width,
// height, bytes per row, pixel pointer again.
struct BitmapView {
  uint8_t* pixels;
  int32_t width;
  int32_t height;
  int32_t pitch;
  uint8_t* pixels2;
};

// The record, in the classic order; `pixels` non-null means the bitmap holds
// an image. Rows are packed (pitch = width * 4), top row first, straight alpha.
struct UBitmap {
  void* dc;    // unused here (kept so the record keeps its shape); non-null while created
  void* dib;   // the pixel block's allocation
  void* info;  // unused
  BitmapView view;
  uint8_t* pixels;
  int32_t width;
  int32_t height;
};

// The largest pixel block a bitmap may hold (1 GiB, e.g. 16384 x 16384).
constexpr int64_t kMaxBitmapBytes = int64_t(1) << 30;

// True when width x height is positive and within kMaxBitmapBytes.
bool BitmapSizeValid(int width, int height);

// (Re)creates the bitmap at w x h with all pixels 0. False when the size is
// not valid (see BitmapSizeValid) or memory runs out (the bitmap is then empty).
bool BitmapCreate(UBitmap* b, int width, int height);
// Frees the pixels; width and height keep their last values. The view is
// cleared except for its pitch.
void BitmapRelease(UBitmap* b);
inline bool BitmapEmpty(const UBitmap* b) { return b->pixels == nullptr; }

// Moves src's pixels into dst (dst's old pixels are released); src becomes empty.
void BitmapAdopt(UBitmap* dst, UBitmap* src);

// Copies src into dst, (re)creating dst when it is empty or of another size.
// False when src is empty or memory runs out.
bool BitmapCopyFrom(UBitmap* dst, const UBitmap* src);

}  // namespace qor
