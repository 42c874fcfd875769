// Image files: PNG and JPEG decoding into any 32-bit BGRA destination, PNG and
// alpha-file writing, the type-by-extension rule.
#pragma once
#include <cstdint>
#include <string>

#include "host/resource.h"
#include "image/bitmap.h"

namespace qor {

// The lower-cased extension (at most 4 characters) after the last dot that is
// not the first character; false when there is none.
bool ImageExtension(const char* name, char ext[5]);

// A destination for decoded pixels (a bitmap, or a locked texture).
class ImageTarget {
 public:
  virtual ~ImageTarget() = default;
  // Makes room for width x height pixels; returns row 0 and the row pitch in
  // bytes, or null when it cannot.
  virtual uint8_t* Allocate(int width, int height, int* pitch) = 0;
  // Called once all rows are written (e.g. to unlock a texture).
  virtual void Finish() {}
};

enum class ImageStatus {
  Ok,
  Failed,           // unknown type, unreadable or corrupt file: fail quietly
  NotFullColourPng  // a PNG colour type the decoder cannot expand: the caller raises its message
};

// Decodes the resource read through the resource stream (loose file, or
// deciphered archive member), type chosen by `name`'s extension. PNGs without
// alpha get alpha 255; JPEG is opaque.
// The target's Finish runs whenever its Allocate succeeded, also on failure.
ImageStatus LoadImage(const char* name, const ResourceLocation& loc, ImageTarget* target);

// LoadImage into a bitmap, (re)created at the image size; on any failure the
// bitmap is left empty with size 0 x 0.
ImageStatus LoadImageToBitmap(const char* name, const ResourceLocation& loc, UBitmap* b);

// Writes PNG (RGBA, or RGB when dropAlpha) atomically. False with errno-style
// reason in `error` when the file cannot be written.
bool SavePng(const UBitmap& b, const char* file, bool dropAlpha, std::string* error);

enum class AlphaSaveStatus { Ok, WriteFailed, BadExtension };
// Writes the alpha channel as a grey PNG (".png") or an .arl stream (".arl").
AlphaSaveStatus SaveAlpha(const UBitmap& b, const char* file, std::string* error);

}  // namespace qor
