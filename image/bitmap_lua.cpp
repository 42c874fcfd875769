// The Lua class `bitmap`: constructors create, load, fromtexture and the
// methods. Engine work that owns C++ objects runs guarded (RunGuarded) and
// ends before any Lua error is raised (Lua errors are longjmps). Core
// functions share names with the bindings and are called as qor::Bitmap….
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "graphics/graphics_lua.h"
#include "host/binding.h"
#include "host/modules.h"
#include "host/resource.h"
#include "image/bitmap.h"
#include "image/bitmap_ops.h"
#include "image/image_io.h"

namespace qor {
namespace {

constexpr const char* kClass = "bitmap";
constexpr const char* kMsgCopyEmpty = "空のビットマップを複製しようとしました。";
constexpr const char* kMsgSaveEmpty = "空のビットマップをセーブしようとしました。";
constexpr const char* kMsgBadSize = "ビットマップの大きさが不正です。(%d,%d)";
constexpr const char* kMsgNoMemory = "ビットマップ用のメモリが足りません。(%d,%d)";
constexpr const char* kMsgWriteFailed = "ファイル\"%s\"に書き込めませんでした。(%s)";

UBitmap* CheckBitmap(lua_State* L) { return CheckSelf<UBitmap>(L, kClass); }

// Raises the message for a failed re-creating operation; w, h is the size asked for.
void CheckResult(lua_State* L, BitmapResult r, int w, int h) {
  switch (r) {
    case BitmapResult::Ok:
      return;
    case BitmapResult::Empty:
      RaiseMessage(L, "%s", kMsgCopyEmpty);
    case BitmapResult::BadSize:
      RaiseMessage(L, kMsgBadSize, w, h);
    case BitmapResult::NoMemory:
      RaiseMessage(L, kMsgNoMemory, w, h);
  }
}

void CreateOrRaise(lua_State* L, UBitmap* b, int w, int h) {
  if (!BitmapSizeValid(w, h)) RaiseMessage(L, kMsgBadSize, w, h);
  if (!qor::BitmapCreate(b, w, h)) RaiseMessage(L, kMsgNoMemory, w, h);
}

// ---- constructors ----

int BitmapCreate(lua_State* L) {
  int w = CheckInt(L, 1), h = CheckInt(L, 2);
  UBitmap* b = NewRecord<UBitmap>(L, kClass);
  CreateOrRaise(L, b, w, h);
  return ReturnResults(L, 1);
}

// An unreadable file gives an empty bitmap; a missing file and a PNG that is
// not full colour raise their messages.
int BitmapLoad(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  UBitmap* b = NewRecord<UBitmap>(L, kClass);
  RunGuarded(L, [&](Outcome& out) {
    ResourceLocation loc;
    if (!FindResource(name, &loc)) return out.Fail("画像ファイル\"%s\"がありません。", name);
    ImageStatus s = LoadImageToBitmap(name, loc, b);
    if (s == ImageStatus::NotFullColourPng)
      out.Fail("ファイル\"%s\"をロードできません。フルカラーPNGにしか対応していません。", name);
  });
  return ReturnResults(L, 1);
}

int BitmapFromTexture(lua_State* L) {
  UTexture* t = CheckRecord<UTexture>(L, 1, "texture");
  UBitmap* b = NewRecord<UBitmap>(L, kClass);
  RunBitmapFromTexture(L, b, t);
  return ReturnResults(L, 1);
}

// ---- methods ----

// Runs `save(&error)` guarded; a failed save raises the write message with its
// reason, a throw the same message for want of memory.
template <class Save>
int SaveOrRaise(lua_State* L, const char* name, Save&& save) {
  char onException[1024];
  snprintf(onException, sizeof onException, kMsgWriteFailed, name, strerror(ENOMEM));
  RunGuarded(
      L,
      [&](Outcome& out) {
        std::string error;
        if (!save(&error)) out.Fail(kMsgWriteFailed, name, error.c_str());
      },
      onException);
  ClearStack(L);
  return 0;
}

int BitmapSave(lua_State* L) {
  UBitmap* b = CheckBitmap(L);
  const char* name = luaL_checkstring(L, 2);
  bool dropAlpha = lua_toboolean(L, 3) != 0;
  if (BitmapEmpty(b)) RaiseMessage(L, "%s", kMsgSaveEmpty);
  return SaveOrRaise(L, name, [&](std::string* error) { return SavePng(*b, name, dropAlpha, error); });
}

int BitmapSaveAlpha(lua_State* L) {
  UBitmap* b = CheckBitmap(L);
  const char* name = luaL_checkstring(L, 2);
  char ext[5];
  if (!ImageExtension(name, ext) || (strcmp(ext, "png") != 0 && strcmp(ext, "arl") != 0))
    RaiseMessage(L, "savealphaはグレースケールPNG形式もしくはarl形式です");
  if (BitmapEmpty(b)) RaiseMessage(L, "%s", kMsgSaveEmpty);
  // The extension was checked above, by the same rule SaveAlpha uses.
  return SaveOrRaise(L, name, [&](std::string* error) { return SaveAlpha(*b, name, error) == AlphaSaveStatus::Ok; });
}

int BitmapBeginScene(lua_State* L) {
  RunBitmapBeginScene(L, CheckBitmap(L));
  ClearStack(L);
  return 0;
}

int BitmapEndScene(lua_State* L) {
  CheckBitmap(L);
  RunBitmapEndScene(L);
  ClearStack(L);
  return 0;
}

int BitmapFill(lua_State* L) {
  UBitmap* b = CheckBitmap(L);
  qor::BitmapFill(b, CheckColor(L, 2));
  ClearStack(L);
  return 0;
}

int BitmapFillRect(lua_State* L) {
  UBitmap* b = CheckBitmap(L);
  uint32_t colour = CheckColor(L, 2);
  int x1 = CheckInt(L, 3), y1 = CheckInt(L, 4), x2 = CheckInt(L, 5), y2 = CheckInt(L, 6);
  qor::BitmapFillRect(b, colour, x1, y1, x2, y2);
  ClearStack(L);
  return 0;
}

int BitmapDelete(lua_State* L) {
  BitmapRelease(CheckBitmap(L));
  ClearStack(L);
  return 0;
}

int BitmapReverse(lua_State* L) {
  UBitmap* b = CheckBitmap(L);
  CheckResult(L, qor::BitmapReverse(b, lua_toboolean(L, 2) != 0, lua_toboolean(L, 3) != 0), b->width, b->height);
  ClearStack(L);
  return 0;
}

int BitmapResize(lua_State* L) {
  UBitmap* b = CheckBitmap(L);
  int w = CheckInt(L, 2), h = CheckInt(L, 3);
  CheckResult(L, qor::BitmapResize(b, w, h), w, h);
  ClearStack(L);
  return 0;
}

int BitmapTrim(lua_State* L) {
  UBitmap* b = CheckBitmap(L);
  int x1 = CheckInt(L, 2), y1 = CheckInt(L, 3), x2 = CheckInt(L, 4), y2 = CheckInt(L, 5);
  BitmapResult r = qor::BitmapTrim(b, x1, y1, x2, y2);
  if (r == BitmapResult::BadSize)
    RaiseMessage(L, "トリミングの範囲が不正です。(%d,%d)-(%d,%d) 画像の大きさ(%d,%d)", x1, y1, x2, y2, b->width,
                 b->height);
  CheckResult(L, r, b->width, b->height);  // Empty or NoMemory; the size is the old one
  ClearStack(L);
  return 0;
}

int Join(lua_State* L, bool horizontal) {
  UBitmap* b = CheckBitmap(L);
  UBitmap* other = CheckRecord<UBitmap>(L, 2, kClass);
  int64_t w = horizontal ? int64_t(b->width) + other->width : std::max(b->width, other->width);
  int64_t h = horizontal ? std::max(b->height, other->height) : int64_t(b->height) + other->height;
  CheckResult(L, qor::BitmapJoin(b, other, horizontal), int(std::min<int64_t>(w, INT_MAX)),
              int(std::min<int64_t>(h, INT_MAX)));
  ClearStack(L);
  return 0;
}
int BitmapJoinX(lua_State* L) { return Join(L, true); }
int BitmapJoinY(lua_State* L) { return Join(L, false); }

int BitmapGetData(lua_State* L) {
  UBitmap* b = CheckBitmap(L);
  ClearStack(L);
  lua_pushlightuserdata(L, &b->view);
  return 1;
}

int BitmapGetSize(lua_State* L) {
  UBitmap* b = CheckBitmap(L);
  ClearStack(L);
  lua_pushinteger(L, b->width);
  lua_pushinteger(L, b->height);
  return 2;
}

int BitmapDup(lua_State* L) {
  UBitmap* b = CheckBitmap(L);
  if (BitmapEmpty(b)) RaiseMessage(L, "%s", kMsgCopyEmpty);
  UBitmap* copy = NewRecord<UBitmap>(L, kClass);
  if (!BitmapCopyFrom(copy, b)) RaiseMessage(L, kMsgNoMemory, b->width, b->height);
  return ReturnResults(L, 1);
}

int BitmapGradation(lua_State* L) {
  UBitmap* b = CheckBitmap(L);
  uint32_t c1 = CheckColor(L, 2), c2 = CheckColor(L, 3);
  bool horizontal = lua_toboolean(L, 4) != 0, vertical = lua_toboolean(L, 5) != 0;
  // A key is given by a sixth argument; a nil there means none.
  bool useKey = lua_gettop(L) > 5 && !lua_isnil(L, 6);
  uint32_t key = useKey ? CheckColor(L, 6) : 0;
  qor::BitmapGradation(b, c1, c2, horizontal, vertical, useKey, key);
  ClearStack(L);
  return 0;
}

int BitmapNega(lua_State* L) {
  qor::BitmapNega(CheckBitmap(L));
  ClearStack(L);
  return 0;
}

int BitmapMonotone(lua_State* L) {
  UBitmap* b = CheckBitmap(L);
  qor::BitmapMonotone(b, CheckColor(L, 2));
  ClearStack(L);
  return 0;
}

}  // namespace

const luaL_Reg kBitmapMethods[] = {
    {"save", BitmapSave},
    {"savealpha", BitmapSaveAlpha},
    {"beginscene", BitmapBeginScene},
    {"endscene", BitmapEndScene},
    {"fill", BitmapFill},
    {"fillrect", BitmapFillRect},
    {"delete", BitmapDelete},
    {"__gc", BitmapDelete},
    {"reverse", BitmapReverse},
    {"resize", BitmapResize},
    {"trim", BitmapTrim},
    {"joinx", BitmapJoinX},
    {"joiny", BitmapJoinY},
    {"getdata", BitmapGetData},
    {"getsize", BitmapGetSize},
    {"dup", BitmapDup},
    {"gradation", BitmapGradation},
    {"nega", BitmapNega},
    {"monotone", BitmapMonotone},
    {nullptr, nullptr},
};

const luaL_Reg kBitmapCtors[] = {
    {"create", BitmapCreate},
    {"load", BitmapLoad},
    {"fromtexture", BitmapFromTexture},
    {nullptr, nullptr},
};

}  // namespace qor
