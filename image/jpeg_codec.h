// JPEG decoding from memory into an ImageTarget (libjpeg-turbo).
#pragma once
#include <cstddef>
#include <cstdint>

#include "image/image_io.h"

namespace qor {

// Decodes to B, G, R, A rows with alpha 255 at the image's pixel size:
// YCbCr, RGB, grey, CMYK and YCCK, baseline, progressive or arithmetic-coded.
// Failed (everything released) when the data is not a JPEG the library can
// turn into colour pixels. The target's Finish runs whenever its Allocate
// succeeded.
ImageStatus DecodeJpegMemory(const uint8_t* data, size_t size, ImageTarget* target);

}  // namespace qor
