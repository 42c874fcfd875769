// PNG decoding into an ImageTarget and PNG encoding into memory (libpng).
#pragma once
#include <cstddef>
#include <cstdint>

#include "image/image_io.h"

namespace qor {

class ResourceStream;

// Decoders. Colour types 6 (RGBA) and 2 (RGB, alpha 255 added) at 8 bits,
// not interlaced, are delivered as B, G, R, A rows. Grey and palette images
// give NotFullColourPng; anything else (16-bit, interlaced, corrupt,
// truncated) gives Failed with everything released. The target's Finish runs
// whenever its Allocate succeeded, whatever the outcome.
// The stream is read from its current position; running out of bytes is a
// truncated file.
ImageStatus DecodePngStream(ResourceStream& stream, ImageTarget* target);
ImageStatus DecodePngMemory(const uint8_t* data, size_t size, ImageTarget* target);

enum class PngLayout {
  Rgba,  // colour type 6: R, G, B, A
  Rgb,   // colour type 2: R, G, B (alpha dropped)
  Alpha  // colour type 0: each pixel's A byte
};

// A malloc'd byte block; free `data` with free().
struct PngBuffer {
  uint8_t* data = nullptr;
  size_t size = 0;
  size_t capacity = 0;
};

// Encodes a non-empty bitmap. False when memory runs out (out is then freed).
bool EncodePng(const UBitmap& b, PngLayout layout, PngBuffer* out);

}  // namespace qor
