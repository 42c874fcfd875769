// (placeholder until bitmaps land)
#include "image/bitmap.h"
namespace qor {
bool BitmapCreate(UBitmap*, int, int) { return false; }
void BitmapRelease(UBitmap*) {}
}  // namespace qor
