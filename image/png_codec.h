// PNG decoding into an ImageTarget and PNG encoding into memory (libpng).
#pragma once
#include <cstddef>
#include <cstdint>

#include "image/image_io.h"

namespace qor {

class ResourceStream;

// Decoders. Every colour type, bit depth and interlace method is delivered as
// B, G, R, A rows at 8 bits, pixels as stored (no gamma or profile
// correction): grey is copied into R, G and B, palettes and tRNS are
// expanded, 16-bit samples are rounded to 8 bits, alpha 255 is added where
// the file has none. 8-bit RGB files ignore tRNS and stay opaque, as they
// always have. A colour type libpng cannot expand gives NotFullColourPng;
// corrupt or truncated files give Failed with everything released. The
// target's Finish runs whenever its Allocate succeeded, whatever the outcome.
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
