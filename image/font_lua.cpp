// The Lua class `font`: font.create and the methods put, putgradation,
// getinfo, delete and __gc. Targets are textures (written through the
// graphics layer's CPU access) or bitmaps (written in place).
#include <cmath>
#include <cstdint>
#include <cstring>

#include "graphics/graphics_lua.h"
#include "graphics/texture.h"
#include "host/binding.h"
#include "host/modules.h"
#include "image/bitmap.h"
#include "image/font.h"
#include "platform/text.h"

namespace qor {
namespace {

constexpr const char* kClass = "font";
constexpr const char* kMsgWidth = "フォントの設定：width（幅）には数値を渡してください。";
constexpr const char* kMsgHeight = "フォントの設定：height（高さ）には数値を渡してください。";
constexpr const char* kMsgName = "フォントの設定：name（フォント名）には文字列を渡してください。";
constexpr const char* kMsgWeight = "フォントの設定：weight（フォントの太さ）には数値(0～1000)を渡してください。";
constexpr const char* kMsgBadSize = "フォントの大きさが不正です。(%d,%d)";
constexpr const char* kMsgFileUnreadable = "フォントファイル\"%s\"を読み込めません。";
constexpr const char* kMsgFileCorrupt = "フォントファイル\"%s\"は壊れているか、フォントではありません。";
constexpr const char* kMsgNoMemory = "フォント用のメモリが足りません。";
constexpr const char* kMsgDeleted = "削除されたフォントは使えません。";
constexpr const char* kMsgPutTarget = "Font:putの第一引数はテクスチャもしくはビットマップです。";
constexpr const char* kMsgGradTarget = "Font:putgradationの第一引数はテクスチャもしくはビットマップです。";
constexpr const char* kMsgTextureOut = "文字がテクスチャをはみ出しました。";
constexpr const char* kMsgBitmapOut = "文字がビットマップをはみ出しました。";
constexpr const char* kMsgBitmapEmpty = "空のビットマップには文字を書けません。";

UFont* CheckFont(lua_State* L) { return CheckSelf<UFont>(L, kClass); }

// ---- font.create ----

int FontCreate(lua_State* L) {
  luaL_checktype(L, 1, LUA_TTABLE);
  const int width = OptIntField(L, 1, "width", 16, kMsgWidth);
  const int height = OptIntField(L, 1, "height", 16, kMsgHeight);
  size_t nameLen = 0;
  const char* name = OptStringField(L, 1, "name", kMsgName, &nameLen);  // stays on the stack
  if (!name) name = "";
  const int weight = OptIntField(L, 1, "weight", 0, kMsgWeight);
  if (!FontSizeValid(width, height)) RaiseMessage(L, kMsgBadSize, width, height);
  // The stored name is cut to its field at a character boundary.
  char ansi[sizeof(UFont::faceName)];
  platform::Utf8ToAnsi(name, nameLen, ansi, sizeof ansi);
  UFont* f = NewRecord<UFont>(L, kClass);
  RunGuarded(L, [&](Outcome& out) {
    switch (FontSetUp(f, width, height, weight, name, ansi)) {
      case FontStatus::Ok: return;
      case FontStatus::FileUnreadable: return out.Fail(kMsgFileUnreadable, name);
      case FontStatus::FileCorrupt: return out.Fail(kMsgFileCorrupt, name);
      case FontStatus::NoMemory: return out.Fail("%s", kMsgNoMemory);
    }
  }, kMsgNoMemory);
  return ReturnResults(L, 1);
}

// ---- drawing ----

// A code unit argument: the number truncated toward zero, low 16 bits.
uint16_t CheckCodeUnit(lua_State* L, int idx) {
  lua_Number n = luaL_checknumber(L, idx);
  if (!(std::fabs(n) < 9.0e18)) return 0;
  return uint16_t(int64_t(n));
}

// The record at `idx` when it is a full userdata of class `cls`, else null.
template <class T>
T* TestRecord(lua_State* L, int idx, const char* cls) {
  if (lua_type(L, idx) != LUA_TUSERDATA || !lua_getmetatable(L, idx)) return nullptr;
  luaL_getmetatable(L, cls);
  bool same = lua_rawequal(L, -1, -2) != 0;
  lua_pop(L, 2);
  return same ? static_cast<T*>(lua_touserdata(L, idx)) : nullptr;
}

struct PutArgs {
  UFont* font;
  UTexture* texture;
  UBitmap* bitmap;
  uint16_t unit;
  int x, y;
};

// Reads self, target, char, x, y and checks the target and the bounds.
PutArgs CheckPut(lua_State* L, const char* wrongTarget) {
  PutArgs a{};
  a.font = CheckFont(L);
  a.texture = TestRecord<UTexture>(L, 2, "texture");
  if (!a.texture) a.bitmap = TestRecord<UBitmap>(L, 2, "bitmap");
  if (!a.texture && !a.bitmap) RaiseMessage(L, "%s", wrongTarget);
  a.unit = CheckCodeUnit(L, 3);
  a.x = CheckInt(L, 4);
  a.y = CheckInt(L, 5);
  return a;
}

// Bounds and a usable font and target; renders the glyph unless it is the cached one.
void PrepareTarget(lua_State* L, const PutArgs& a) {
  if (FontReleased(a.font)) RaiseMessage(L, "%s", kMsgDeleted);
  if (a.texture) {
    if (!a.texture->surface) RaiseGfxStatus(L, GfxStatus::EmptyTexture);
    if (!FontCellFits(a.font, a.texture->width, a.texture->height, a.x, a.y)) RaiseMessage(L, "%s", kMsgTextureOut);
  } else {
    if (BitmapEmpty(a.bitmap)) RaiseMessage(L, "%s", kMsgBitmapEmpty);
    if (!FontCellFits(a.font, a.bitmap->width, a.bitmap->height, a.x, a.y)) RaiseMessage(L, "%s", kMsgBitmapOut);
  }
  RunGuarded(L, [&](Outcome&) { FontPrepare(a.font, a.unit); }, kMsgNoMemory);
}

// Runs `blend(cell, pitch)` on the target's pixels at the cell.
template <class Blend>
void WriteCell(const PutArgs& a, Blend&& blend) {
  if (a.texture) {
    uint8_t* px = TextureBeginAccess(a.texture);
    const int pitch = a.texture->surface->pitch;
    blend(px + ptrdiff_t(a.y) * pitch + ptrdiff_t(a.x) * 4, pitch);
    TextureEndAccess(a.texture, a.y, a.y + a.font->height);
  } else {
    const int pitch = a.bitmap->width * 4;
    blend(a.bitmap->pixels + ptrdiff_t(a.y) * pitch + ptrdiff_t(a.x) * 4, pitch);
  }
}

int FontPut(lua_State* L) {
  PutArgs a = CheckPut(L, kMsgPutTarget);
  const uint32_t color = lua_gettop(L) > 5 ? CheckColor(L, 6) : 0xFFFFFFFFu;
  PrepareTarget(L, a);
  WriteCell(a, [&](uint8_t* cell, int pitch) { FontBlend(a.font, cell, pitch, color); });
  ClearStack(L);
  return 0;
}

int FontPutGradation(lua_State* L) {
  PutArgs a = CheckPut(L, kMsgGradTarget);
  const uint32_t c1 = CheckColor(L, 6), c2 = CheckColor(L, 7);
  const bool horizontal = lua_toboolean(L, 8) != 0, vertical = lua_toboolean(L, 9) != 0;
  PrepareTarget(L, a);
  WriteCell(a, [&](uint8_t* cell, int pitch) { FontBlendGradation(a.font, cell, pitch, c1, c2, horizontal, vertical); });
  ClearStack(L);
  return 0;
}

// ---- the rest ----

int FontGetInfo(lua_State* L) {
  UFont* f = CheckFont(L);
  ClearStack(L);
  lua_pushinteger(L, f->width);
  lua_pushinteger(L, f->height);
  lua_pushinteger(L, f->weight);
  lua_pushstring(L, f->faceName);
  return 4;
}

int FontDelete(lua_State* L) {
  FontRelease(CheckFont(L));
  ClearStack(L);
  return 0;
}

}  // namespace

const luaL_Reg kFontMethods[] = {
    {"put", FontPut},
    {"putgradation", FontPutGradation},
    {"getinfo", FontGetInfo},
    {"delete", FontDelete},
    {"__gc", FontDelete},
    {nullptr, nullptr},
};

const luaL_Reg kFontCtors[] = {
    {"create", FontCreate},
    {nullptr, nullptr},
};

}  // namespace qor
