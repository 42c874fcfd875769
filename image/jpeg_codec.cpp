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
  // Extended BGRA output: the library writes alpha 255 itself.
  cinfo->out_color_space = JCS_EXT_BGRA;
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
    jpeg_read_scanlines(cinfo, &row, 1);
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
