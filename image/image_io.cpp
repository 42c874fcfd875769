// Image files: choosing the type by extension, loading from a loose file or an
// archive member, and writing PNG and alpha files atomically.
#include "image/image_io.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "host/resource_stream.h"
#include "image/arl.h"
#include "image/jpeg_codec.h"
#include "image/png_codec.h"
#include "platform/paths.h"

namespace qor {

bool ImageExtension(const char* name, char ext[5]) {
  ext[0] = 0;
  size_t len = strlen(name);
  // Scan down to the second character: a leading dot does not start an extension.
  size_t dot = 0;
  for (size_t i = len; i-- > 1;) {
    if (name[i] == '.') {
      dot = i;
      break;
    }
  }
  if (dot == 0) return false;
  size_t n = 0;
  for (const char* p = name + dot + 1; *p && n < 4; ++p, ++n) {
    char c = *p;
    ext[n] = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
  }
  ext[n] = 0;
  return true;
}

namespace {

enum class ImageType { Unknown, Png, Jpeg };

ImageType TypeOf(const char* name) {
  char ext[5];
  if (!ImageExtension(name, ext)) return ImageType::Unknown;
  if (strcmp(ext, "png") == 0) return ImageType::Png;
  if (strcmp(ext, "jpg") == 0 || strcmp(ext, "jpeg") == 0) return ImageType::Jpeg;
  return ImageType::Unknown;
}

ImageStatus LoadJpeg(ResourceStream& stream, ImageTarget* target) {
  // The whole file in memory, sized by the bytes that exist: a member whose
  // index size runs past its archive's end delivers what is there.
  std::vector<uint8_t> bytes;
  if (!ReadRest(stream, &bytes)) return ImageStatus::Failed;
  return DecodeJpegMemory(bytes.data(), bytes.size(), target);
}

class BitmapTarget : public ImageTarget {
 public:
  explicit BitmapTarget(UBitmap* b) : b_(b) {}
  uint8_t* Allocate(int width, int height, int* pitch) override {
    if (!BitmapCreate(b_, width, height)) return nullptr;
    *pitch = width * 4;
    return b_->pixels;
  }

 private:
  UBitmap* b_;
};

bool WriteAtomic(const char* file, const void* data, size_t size, std::string* error) {
  if (platform::WriteFileAtomic(platform::ResolvePath(file), data, size)) return true;
  if (error) *error = strerror(errno);
  return false;
}

bool WritePng(const UBitmap& b, const char* file, PngLayout layout, std::string* error) {
  if (BitmapEmpty(&b)) {
    if (error) *error = "empty bitmap";
    return false;
  }
  PngBuffer png;
  if (!EncodePng(b, layout, &png)) {
    if (error) *error = strerror(ENOMEM);
    return false;
  }
  bool ok = WriteAtomic(file, png.data, png.size, error);
  free(png.data);
  return ok;
}

}  // namespace

ImageStatus LoadImage(const char* name, const ResourceLocation& loc, ImageTarget* target) {
  const ImageType type = TypeOf(name);
  if (type == ImageType::Unknown) return ImageStatus::Failed;
  // Any allocation failure while loading is a failed load, never an abort.
  try {
    std::unique_ptr<ResourceStream> stream = OpenResourceStream(loc, MemberBytes::Deciphered);
    if (!stream) return ImageStatus::Failed;
    return type == ImageType::Png ? DecodePngStream(*stream, target) : LoadJpeg(*stream, target);
  } catch (...) {
    return ImageStatus::Failed;
  }
}

ImageStatus LoadImageToBitmap(const char* name, const ResourceLocation& loc, UBitmap* b) {
  BitmapTarget target(b);
  ImageStatus status = LoadImage(name, loc, &target);
  if (status != ImageStatus::Ok) {
    // A failed load leaves a plain empty bitmap that reports 0 x 0, not the
    // size of an image it never got.
    BitmapRelease(b);
    b->width = b->height = 0;
  }
  return status;
}

bool SavePng(const UBitmap& b, const char* file, bool dropAlpha, std::string* error) {
  return WritePng(b, file, dropAlpha ? PngLayout::Rgb : PngLayout::Rgba, error);
}

AlphaSaveStatus SaveAlpha(const UBitmap& b, const char* file, std::string* error) {
  char ext[5];
  if (!ImageExtension(file, ext)) return AlphaSaveStatus::BadExtension;
  if (strcmp(ext, "png") == 0)
    return WritePng(b, file, PngLayout::Alpha, error) ? AlphaSaveStatus::Ok : AlphaSaveStatus::WriteFailed;
  if (strcmp(ext, "arl") != 0) return AlphaSaveStatus::BadExtension;
  if (BitmapEmpty(&b)) {
    if (error) *error = "empty bitmap";
    return AlphaSaveStatus::WriteFailed;
  }
  try {
    UArlWriter w;
    const size_t n = size_t(b.width) * size_t(b.height);
    for (size_t i = 0; i < n; ++i) w.Put(b.pixels[i * 4 + 3]);
    std::vector<uint8_t> stream = w.Finish();
    return WriteAtomic(file, stream.data(), stream.size(), error) ? AlphaSaveStatus::Ok
                                                                  : AlphaSaveStatus::WriteFailed;
  } catch (const std::bad_alloc&) {
    if (error) *error = strerror(ENOMEM);
    return AlphaSaveStatus::WriteFailed;
  }
}

}  // namespace qor
