// (placeholder until the image codecs land)
#include "image/image_io.h"
namespace qor {
bool ImageExtension(const char*, char*) { return false; }
ImageStatus LoadImage(const char*, const ResourceLocation&, ImageTarget*) { return ImageStatus::Failed; }
bool SavePng(const UBitmap&, const char*, bool, std::string*) { return false; }
AlphaSaveStatus SaveAlpha(const UBitmap&, const char*, std::string*) { return AlphaSaveStatus::WriteFailed; }
}  // namespace qor
