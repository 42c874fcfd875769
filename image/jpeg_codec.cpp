// JPEG reading through libjpeg-turbo. The library reports fatal errors by
// calling error_exit, which jumps back here; the function that calls setjmp
// owns no C++ object with a destructor.
#include "image/jpeg_codec.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace qor {
namespace {

constexpr JDIMENSION kMaxJpegSide = 16384;

struct JpegError {
  jpeg_error_mgr mgr;
  jmp_buf jump;
};

void JpegErrorExit(j_common_ptr cinfo) {
  longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}
void JpegOutputNothing(j_common_ptr) {}

// Rounds c * k / 255 to the nearest integer (a tie cannot happen: 255 is odd).
inline uint8_t MulDiv255(unsigned c, unsigned k) { return uint8_t((c * k + 127) / 255); }

// Turns a row of C, M, Y, K samples into B, G, R, A in place. Files with
// Adobe's marker (Photoshop and every libjpeg-based writer) store the samples
// inverted, 255 meaning no ink, so R = C * K / 255 on the stored bytes; other
// files hold plain ink amounts, R = (255 - C)(255 - K) / 255. The inverted
// case is the one ImageMagick gives, with the same rounding.
void CmykRowToBgra(uint8_t* px, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, px += 4) {
    unsigned c = px[0], m = px[1], y = px[2], k = px[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    px[0] = MulDiv255(y, k);
    px[1] = MulDiv255(m, k);
    px[2] = MulDiv255(c, k);
    px[3] = 255;
  }
}

struct DecodeState {
  ImageTarget* target;
  bool allocated;
};

ImageStatus ReadScanlines(jpeg_decompress_struct* cinfo, JpegError* err, const uint8_t* data, size_t size,
                          DecodeState* state) {
  if (setjmp(err->jump)) return ImageStatus::Failed;
  jpeg_create_decompress(cinfo);
  jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) return ImageStatus::Failed;
  // Extended BGRA output: the library writes alpha 255 itself. The library
  // has no CMYK-to-RGB step, so CMYK and YCCK files come out as C, M, Y, K
  // (four bytes a pixel, like BGRA) and are converted row by row here.
  const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
  cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  jpeg_start_decompress(cinfo);
  const JDIMENSION w = cinfo->output_width, h = cinfo->output_height;
  if (w == 0 || h == 0 || w > kMaxJpegSide || h > kMaxJpegSide || cinfo->output_components != 4)
    return ImageStatus::Failed;
  int pitch = 0;
  uint8_t* rows = state->target->Allocate(int(w), int(h), &pitch);
  if (!rows) return ImageStatus::Failed;
  state->allocated = true;
  while (cinfo->output_scanline < h) {
    JSAMPROW row = rows + ptrdiff_t(cinfo->output_scanline) * pitch;
    if (jpeg_read_scanlines(cinfo, &row, 1) == 1 && cmyk) CmykRowToBgra(row, w, cinfo->saw_Adobe_marker);
  }
  jpeg_finish_decompress(cinfo);
  return ImageStatus::Ok;
}

}  // namespace

ImageStatus DecodeJpegMemory(const uint8_t* data, size_t size, ImageTarget* target) {
  if (size == 0) return ImageStatus::Failed;
  jpeg_decompress_struct cinfo{};
  JpegError err{};
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = JpegErrorExit;
  err.mgr.output_message = JpegOutputNothing;
  DecodeState state{target, false};
  ImageStatus status = ReadScanlines(&cinfo, &err, data, size, &state);
  jpeg_destroy_decompress(&cinfo);
  if (state.allocated) target->Finish();
  return status;
}

}  // namespace qor
