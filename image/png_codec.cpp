// PNG reading and writing through libpng. libpng reports errors by longjmp,
// so every function that calls setjmp here owns no C++ object with a
// destructor: the jump may only skip plain C frames and plain data.
#include "image/png_codec.h"

#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "host/resource_stream.h"

namespace qor {
namespace {

// Larger images are refused before any pixel memory is taken.
constexpr png_uint_32 kMaxPngSide = 16384;

void PngErrorFn(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarningFn(png_structp, png_const_charp) {}

void ReadFromStream(png_structp png, png_bytep data, size_t length) {
  auto* stream = static_cast<ResourceStream*>(png_get_io_ptr(png));
  size_t got = 0;
  while (got < length) {
    size_t n = stream->Read(data + got, length - got);
    if (n == 0) png_error(png, "read past end");
    got += n;
  }
}

struct MemorySource {
  const uint8_t* data;
  size_t left;
};

void ReadFromMemory(png_structp png, png_bytep data, size_t length) {
  auto* src = static_cast<MemorySource*>(png_get_io_ptr(png));
  if (length > src->left) png_error(png, "read past end");
  memcpy(data, src->data, length);
  src->data += length;
  src->left -= length;
}

struct ReadState {
  ImageTarget* target;
  bool allocated;
};

// Asks libpng for B, G, R, A at 8 bits whatever the file holds: palettes and
// low-depth grey expanded, grey copied into R, G and B, tRNS turned into
// alpha, 16-bit samples rounded to the nearest 8-bit value (v * 255 / 65535,
// the reduction ImageMagick applies), alpha 255 added where the file has none.
// No gamma or colour-profile correction: pixels arrive as stored. False for a
// colour type libpng itself cannot expand.
bool RequestBgra(png_structp png, png_infop info, int colour, int depth) {
  const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  bool hasAlpha = (colour & PNG_COLOR_MASK_ALPHA) != 0;
  switch (colour) {
    case PNG_COLOR_TYPE_PALETTE:
      png_set_palette_to_rgb(png);
      break;
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      if (depth < 8) png_set_expand_gray_1_2_4_to_8(png);
      png_set_gray_to_rgb(png);
      break;
    case PNG_COLOR_TYPE_RGB:
    case PNG_COLOR_TYPE_RGB_ALPHA:
      break;
    default:
      return false;
  }
  // 8-bit RGB files have always loaded fully opaque whatever their tRNS
  // chunk says, and stored games draw them that way; every other kind takes
  // its transparent colour or palette alphas from tRNS.
  const bool keepOpaque = colour == PNG_COLOR_TYPE_RGB && depth == 8;
  if (hasTrns && !keepOpaque) {
    png_set_tRNS_to_alpha(png);
    hasAlpha = true;
  }
  if (depth == 16) png_set_scale_16(png);
  png_set_bgr(png);
  if (!hasAlpha) png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  return true;
}

// The part that may jump. `state` lives in the caller's frame so what it
// records survives the jump.
ImageStatus ReadRows(png_structp png, png_infop info, ReadState* state) {
  if (setjmp(png_jmpbuf(png))) return ImageStatus::Failed;
  png_read_info(png, info);
  png_uint_32 width = 0, height = 0;
  int depth = 0, colour = 0, interlace = 0;
  png_get_IHDR(png, info, &width, &height, &depth, &colour, &interlace, nullptr, nullptr);
  if (width == 0 || height == 0 || width > kMaxPngSide || height > kMaxPngSide) return ImageStatus::Failed;
  if (!RequestBgra(png, info, colour, depth)) return ImageStatus::NotFullColourPng;
  const int passes = interlace == PNG_INTERLACE_NONE ? 1 : png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != size_t(width) * 4) return ImageStatus::Failed;
  int pitch = 0;
  uint8_t* row = state->target->Allocate(int(width), int(height), &pitch);
  if (!row) return ImageStatus::Failed;
  state->allocated = true;
  // Adam7 files are read pass by pass into the same rows; each pass writes
  // only its own pixels, and every pixel belongs to exactly one pass.
  for (int pass = 0; pass < passes; ++pass)
    for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, row + ptrdiff_t(y) * pitch, nullptr);
  return ImageStatus::Ok;
}

ImageStatus Decode(void* io, png_rw_ptr readFn, ImageTarget* target) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngErrorFn, PngWarningFn);
  if (!png) return ImageStatus::Failed;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return ImageStatus::Failed;
  }
  png_set_user_limits(png, kMaxPngSide, kMaxPngSide);
  png_set_read_fn(png, io, readFn);
  ReadState state{target, false};
  ImageStatus status = ReadRows(png, info, &state);
  png_destroy_read_struct(&png, &info, nullptr);
  if (state.allocated) target->Finish();
  return status;
}

struct WriteState {
  PngBuffer* out;
  uint8_t* row;  // scratch row for the converted layouts
};

void WriteToBuffer(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<PngBuffer*>(png_get_io_ptr(png));
  if (out->capacity - out->size < length) {
    size_t cap = out->capacity ? out->capacity : 4096;
    while (cap - out->size < length) {
      if (cap > (SIZE_MAX >> 1)) png_error(png, "too large");
      cap *= 2;
    }
    void* grown = realloc(out->data, cap);
    if (!grown) png_error(png, "out of memory");
    out->data = static_cast<uint8_t*>(grown);
    out->capacity = cap;
  }
  memcpy(out->data + out->size, data, length);
  out->size += length;
}

void FlushNothing(png_structp) {}

bool WriteRows(png_structp png, png_infop info, const UBitmap& b, PngLayout layout, WriteState* state) {
  if (setjmp(png_jmpbuf(png))) return false;
  int colour = layout == PngLayout::Rgba ? PNG_COLOR_TYPE_RGB_ALPHA
               : layout == PngLayout::Rgb ? PNG_COLOR_TYPE_RGB
                                          : PNG_COLOR_TYPE_GRAY;
  png_set_write_fn(png, state->out, WriteToBuffer, FlushNothing);
  png_set_IHDR(png, info, png_uint_32(b.width), png_uint_32(b.height), 8, colour, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  // Memory holds B, G, R, A; the file wants R, G, B(, A).
  if (layout == PngLayout::Rgba) png_set_bgr(png);
  const size_t w = size_t(b.width);
  for (int y = 0; y < b.height; ++y) {
    const uint8_t* src = b.pixels + size_t(y) * w * 4;
    uint8_t* dst = state->row;
    switch (layout) {
      case PngLayout::Rgba:
        png_write_row(png, src);
        continue;
      case PngLayout::Rgb:
        for (size_t x = 0; x < w; ++x) {
          dst[x * 3 + 0] = src[x * 4 + 2];
          dst[x * 3 + 1] = src[x * 4 + 1];
          dst[x * 3 + 2] = src[x * 4 + 0];
        }
        break;
      case PngLayout::Alpha:
        for (size_t x = 0; x < w; ++x) dst[x] = src[x * 4 + 3];
        break;
    }
    png_write_row(png, dst);
  }
  png_write_end(png, info);
  return true;
}

}  // namespace

ImageStatus DecodePngStream(ResourceStream& stream, ImageTarget* target) {
  return Decode(&stream, ReadFromStream, target);
}

ImageStatus DecodePngMemory(const uint8_t* data, size_t size, ImageTarget* target) {
  MemorySource src{data, size};
  return Decode(&src, ReadFromMemory, target);
}

bool EncodePng(const UBitmap& b, PngLayout layout, PngBuffer* out) {
  if (BitmapEmpty(&b)) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngErrorFn, PngWarningFn);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  uint8_t* row = static_cast<uint8_t*>(malloc(size_t(b.width) * 3));
  bool ok = false;
  if (info && row) {
    WriteState state{out, row};
    ok = WriteRows(png, info, b, layout, &state);
  }
  png_destroy_write_struct(&png, info ? &info : nullptr);
  free(row);
  if (!ok) {
    free(out->data);
    *out = PngBuffer{};
  }
  return ok;
}

}  // namespace qor
