// (placeholder until textures land)
#include "graphics/texture.h"
namespace qor {
void TextureCreate(lua_State*, UTexture*, int, int) {}
void TextureRelease(UTexture*) {}
void DrawTextureRect(lua_State*, UTexture*, int, int, int, int, int, int, int) {}
void BitmapFromTexture(lua_State*, UBitmap*, UTexture*) {}
void BeginRenderToBitmap(lua_State*, UBitmap*) {}
void EndRenderToBitmap(lua_State*) {}
}  // namespace qor
