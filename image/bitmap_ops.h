// The bitmap editing algorithms (fill, mirror, scale, cut, join, gradient,
// negative, tone) as plain functions on UBitmap records.
#pragma once
#include <cstdint>

#include "image/bitmap.h"

namespace qor {

enum class BitmapResult {
  Ok,
  Empty,     // the bitmap (or the other one) holds no image
  BadSize,   // the result would have no pixels or be too large
  NoMemory
};

// Every pixel = colour. Empty bitmap: nothing.
void BitmapFill(UBitmap* b, uint32_t colour);
// Fills the inclusive rectangle after clamping x1, y1 up to 0 and x2, y2 down
// to the last column/row; an inverted rectangle fills nothing.
void BitmapFillRect(UBitmap* b, uint32_t colour, int x1, int y1, int x2, int y2);
// Mirror left-right and/or flip top-bottom. Neither: Ok without any check.
BitmapResult BitmapReverse(UBitmap* b, bool mirror, bool flip);
// Nearest neighbour: out(x, y) = in(x * oldW / newW, y * oldH / newH).
// The same size: Ok and nothing changes.
BitmapResult BitmapResize(UBitmap* b, int width, int height);
// Keeps the inclusive rectangle, each coordinate clamped into the image.
BitmapResult BitmapTrim(UBitmap* b, int x1, int y1, int x2, int y2);
// Appends `other` to the right (horizontal) or below; uncovered pixels are 0.
// `other` may be `b` itself.
BitmapResult BitmapJoin(UBitmap* b, const UBitmap* other, bool horizontal);
// Two-colour gradient; with a key only pixels equal to it are painted.
void BitmapGradation(UBitmap* b, uint32_t colour1, uint32_t colour2, bool horizontal, bool vertical, bool useKey,
                     uint32_t key);
// B, G, R = 255 - B, G, R; alpha unchanged.
void BitmapNega(UBitmap* b);
// Keeps each pixel's luma and takes the chroma of `colour`.
void BitmapMonotone(UBitmap* b, uint32_t colour);

}  // namespace qor
