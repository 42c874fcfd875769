// The Lua class `bitmap`: constructors create, load, fromtexture and the
// methods. Engine work that owns C++ objects runs in inner scopes that end
// before any Lua error is raised (Lua errors are longjmps).
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <exception>
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

UBitmap* Self(lua_State* L) { return CheckRecord<UBitmap>(L, 1, kClass); }

// An integer argument, saturated into the int range.
int CheckInt(lua_State* L, int idx) {
  lua_Integer v = luaL_checkinteger(L, idx);
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return int(v);
}

// Leaves only the value on top of the stack, as the one result.
int ReturnTop(lua_State* L) {
  lua_insert(L, 1);
  lua_settop(L, 1);
  return 1;
}

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
  if (!BitmapCreate(b, w, h)) RaiseMessage(L, kMsgNoMemory, w, h);
}

// ---- constructors ----

int Create(lua_State* L) {
  int w = CheckInt(L, 1), h = CheckInt(L, 2);
  UBitmap* b = NewRecord<UBitmap>(L, kClass);
  CreateOrRaise(L, b, w, h);
  return ReturnTop(L);
}

int Load(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  UBitmap* b = NewRecord<UBitmap>(L, kClass);
  enum { kLoaded, kMissing, kNotFullColour, kFailed } outcome = kFailed;
  {
    try {
      ResourceLocation loc;
      if (!FindResource(name, &loc)) {
        outcome = kMissing;
      } else {
        ImageStatus s = LoadImageToBitmap(name, loc, b);
        outcome = s == ImageStatus::Ok ? kLoaded : s == ImageStatus::NotFullColourPng ? kNotFullColour : kFailed;
      }
    } catch (const std::exception&) {
      BitmapRelease(b);
      outcome = kFailed;
    }
  }
  if (outcome == kMissing) RaiseMessage(L, "画像ファイル\"%s\"がありません。", name);
  if (outcome == kNotFullColour)
    RaiseMessage(L, "ファイル\"%s\"をロードできません。フルカラーPNGにしか対応していません。", name);
  return ReturnTop(L);  // an unreadable file gives an empty bitmap
}

int FromTexture(lua_State* L) {
  UTexture* t = CheckRecord<UTexture>(L, 1, "texture");
  UBitmap* b = NewRecord<UBitmap>(L, kClass);
  RunBitmapFromTexture(L, b, t);
  return ReturnTop(L);
}

// ---- methods ----

int Save(lua_State* L) {
  UBitmap* b = Self(L);
  const char* name = luaL_checkstring(L, 2);
  bool dropAlpha = lua_toboolean(L, 3) != 0;
  if (BitmapEmpty(b)) RaiseMessage(L, "%s", kMsgSaveEmpty);
  char reason[256] = "";
  bool ok = false;
  {
    try {
      std::string error;
      ok = SavePng(*b, name, dropAlpha, &error);
      snprintf(reason, sizeof reason, "%s", error.c_str());
    } catch (const std::exception&) {
      snprintf(reason, sizeof reason, "%s", strerror(ENOMEM));
    }
  }
  if (!ok) RaiseMessage(L, kMsgWriteFailed, name, reason);
  ClearStack(L);
  return 0;
}

int SaveAlphaMethod(lua_State* L) {
  UBitmap* b = Self(L);
  const char* name = luaL_checkstring(L, 2);
  char ext[5];
  if (!ImageExtension(name, ext) || (strcmp(ext, "png") != 0 && strcmp(ext, "arl") != 0))
    RaiseMessage(L, "savealphaはグレースケールPNG形式もしくはarl形式です");
  if (BitmapEmpty(b)) RaiseMessage(L, "%s", kMsgSaveEmpty);
  char reason[256] = "";
  AlphaSaveStatus status = AlphaSaveStatus::WriteFailed;
  {
    try {
      std::string error;
      status = SaveAlpha(*b, name, &error);
      snprintf(reason, sizeof reason, "%s", error.c_str());
    } catch (const std::exception&) {
      snprintf(reason, sizeof reason, "%s", strerror(ENOMEM));
    }
  }
  if (status == AlphaSaveStatus::BadExtension) RaiseMessage(L, "savealphaはグレースケールPNG形式もしくはarl形式です");
  if (status != AlphaSaveStatus::Ok) RaiseMessage(L, kMsgWriteFailed, name, reason);
  ClearStack(L);
  return 0;
}

int BeginScene(lua_State* L) {
  RunBitmapBeginScene(L, Self(L));
  ClearStack(L);
  return 0;
}

int EndScene(lua_State* L) {
  Self(L);
  RunBitmapEndScene(L);
  ClearStack(L);
  return 0;
}

int Fill(lua_State* L) {
  UBitmap* b = Self(L);
  BitmapFill(b, CheckColor(L, 2));
  ClearStack(L);
  return 0;
}

int FillRect(lua_State* L) {
  UBitmap* b = Self(L);
  uint32_t colour = CheckColor(L, 2);
  int x1 = CheckInt(L, 3), y1 = CheckInt(L, 4), x2 = CheckInt(L, 5), y2 = CheckInt(L, 6);
  BitmapFillRect(b, colour, x1, y1, x2, y2);
  ClearStack(L);
  return 0;
}

int Delete(lua_State* L) {
  BitmapRelease(Self(L));
  ClearStack(L);
  return 0;
}

int Reverse(lua_State* L) {
  UBitmap* b = Self(L);
  CheckResult(L, BitmapReverse(b, lua_toboolean(L, 2) != 0, lua_toboolean(L, 3) != 0), b->width, b->height);
  ClearStack(L);
  return 0;
}

int Resize(lua_State* L) {
  UBitmap* b = Self(L);
  int w = CheckInt(L, 2), h = CheckInt(L, 3);
  CheckResult(L, BitmapResize(b, w, h), w, h);
  ClearStack(L);
  return 0;
}

int Trim(lua_State* L) {
  UBitmap* b = Self(L);
  int x1 = CheckInt(L, 2), y1 = CheckInt(L, 3), x2 = CheckInt(L, 4), y2 = CheckInt(L, 5);
  BitmapResult r = BitmapTrim(b, x1, y1, x2, y2);
  if (r == BitmapResult::BadSize)
    RaiseMessage(L, "トリミングの範囲が不正です。(%d,%d)-(%d,%d) 画像の大きさ(%d,%d)", x1, y1, x2, y2, b->width,
                 b->height);
  CheckResult(L, r, b->width, b->height);  // Empty or NoMemory; the size is the old one
  ClearStack(L);
  return 0;
}

int Join(lua_State* L, bool horizontal) {
  UBitmap* b = Self(L);
  UBitmap* other = CheckRecord<UBitmap>(L, 2, kClass);
  int64_t w = horizontal ? int64_t(b->width) + other->width : std::max(b->width, other->width);
  int64_t h = horizontal ? std::max(b->height, other->height) : int64_t(b->height) + other->height;
  CheckResult(L, BitmapJoin(b, other, horizontal), int(std::min<int64_t>(w, INT_MAX)),
              int(std::min<int64_t>(h, INT_MAX)));
  ClearStack(L);
  return 0;
}
int JoinX(lua_State* L) { return Join(L, true); }
int JoinY(lua_State* L) { return Join(L, false); }

int GetData(lua_State* L) {
  UBitmap* b = Self(L);
  ClearStack(L);
  lua_pushlightuserdata(L, &b->view);
  return 1;
}

int GetSize(lua_State* L) {
  UBitmap* b = Self(L);
  ClearStack(L);
  lua_pushinteger(L, b->width);
  lua_pushinteger(L, b->height);
  return 2;
}

int Dup(lua_State* L) {
  UBitmap* b = Self(L);
  if (BitmapEmpty(b)) RaiseMessage(L, "%s", kMsgCopyEmpty);
  UBitmap* copy = NewRecord<UBitmap>(L, kClass);
  if (!BitmapCopyFrom(copy, b)) RaiseMessage(L, kMsgNoMemory, b->width, b->height);
  return ReturnTop(L);
}

int Gradation(lua_State* L) {
  UBitmap* b = Self(L);
  uint32_t c1 = CheckColor(L, 2), c2 = CheckColor(L, 3);
  bool horizontal = lua_toboolean(L, 4) != 0, vertical = lua_toboolean(L, 5) != 0;
  // A key is given by a sixth argument; a nil there means none.
  bool useKey = lua_gettop(L) > 5 && !lua_isnil(L, 6);
  uint32_t key = useKey ? CheckColor(L, 6) : 0;
  BitmapGradation(b, c1, c2, horizontal, vertical, useKey, key);
  ClearStack(L);
  return 0;
}

int Nega(lua_State* L) {
  BitmapNega(Self(L));
  ClearStack(L);
  return 0;
}

int Monotone(lua_State* L) {
  UBitmap* b = Self(L);
  BitmapMonotone(b, CheckColor(L, 2));
  ClearStack(L);
  return 0;
}

}  // namespace

const luaL_Reg kBitmapMethods[] = {
    {"save", Save},
    {"savealpha", SaveAlphaMethod},
    {"beginscene", BeginScene},
    {"endscene", EndScene},
    {"fill", Fill},
    {"fillrect", FillRect},
    {"delete", Delete},
    {"__gc", Delete},
    {"reverse", Reverse},
    {"resize", Resize},
    {"trim", Trim},
    {"joinx", JoinX},
    {"joiny", JoinY},
    {"getdata", GetData},
    {"getsize", GetSize},
    {"dup", Dup},
    {"gradation", Gradation},
    {"nega", Nega},
    {"monotone", Monotone},
    {nullptr, nullptr},
};

const luaL_Reg kBitmapCtors[] = {
    {"create", Create},
    {"load", Load},
    {"fromtexture", FromTexture},
    {nullptr, nullptr},
};

}  // namespace qor
