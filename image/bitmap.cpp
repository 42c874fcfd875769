// UBitmap storage: creating, releasing and copying the pixel block.
#include "image/bitmap.h"

#include <cstdlib>
#include <cstring>

namespace qor {

bool BitmapSizeValid(int width, int height) {
  if (width <= 0 || height <= 0) return false;
  return int64_t(width) * int64_t(height) * 4 <= kMaxBitmapBytes;
}

bool BitmapCreate(UBitmap* b, int width, int height) {
  BitmapRelease(b);
  if (!BitmapSizeValid(width, height)) return false;
  // calloc: new pixels are transparent black, and large blocks come from
  // fresh zero pages without a separate clearing pass.
  void* block = calloc(size_t(width) * size_t(height), 4);
  if (!block) return false;
  b->dib = block;
  b->dc = block;  // non-null while created; callers test it for "created"
  b->info = nullptr;
  b->pixels = static_cast<uint8_t*>(block);
  b->width = width;
  b->height = height;
  b->view = BitmapView{b->pixels, width, height, width * 4, b->pixels};
  return true;
}

void BitmapRelease(UBitmap* b) {
  if (b->dc) free(b->dib);
  b->dc = nullptr;
  b->dib = nullptr;
  b->info = nullptr;
  b->pixels = nullptr;
  // The view must not keep pointing at freed pixels: native code that kept
  // the address from getdata sees a null pointer and a 0 x 0 image.
  b->view = BitmapView{nullptr, 0, 0, b->view.pitch, nullptr};
}

void BitmapAdopt(UBitmap* dst, UBitmap* src) {
  if (dst == src) return;
  BitmapRelease(dst);
  *dst = *src;
  src->dc = src->dib = src->info = nullptr;
  src->pixels = nullptr;
  src->view = BitmapView{nullptr, 0, 0, 0, nullptr};
}

bool BitmapCopyFrom(UBitmap* dst, const UBitmap* src) {
  if (BitmapEmpty(src)) return false;
  if (dst == src) return true;
  if (BitmapEmpty(dst) || dst->width != src->width || dst->height != src->height) {
    if (!BitmapCreate(dst, src->width, src->height)) return false;
  }
  memcpy(dst->pixels, src->pixels, size_t(src->width) * size_t(src->height) * 4);
  return true;
}

}  // namespace qor
