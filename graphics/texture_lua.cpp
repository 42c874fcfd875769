// The texture class: constructors and methods bound to Lua. The work is the
// graphics core's; C++ work that may throw runs under RunGuarded, and every
// message is raised here once the C++ frames are gone.
#include <algorithm>
#include <cstdio>
#include <string>

#include "graphics/graphics_lua.h"
#include "graphics/screen.h"
#include "graphics/texture.h"
#include "host/binding.h"
#include "host/modules.h"

namespace qor {

namespace {

const char kClass[] = "texture";

UTexture* CheckTexture(lua_State* L) { return CheckSelf<UTexture>(L, kClass); }

// Pixel methods need storage: a clear error instead of touching nothing.
UTexture* CheckFilledTexture(lua_State* L) {
  UTexture* t = CheckTexture(L);
  if (!t->surface) RaiseGfxStatus(L, GfxStatus::EmptyTexture);
  return t;
}

void RequireDevice(lua_State* L) {
  if (!ScreenDevice()) RaiseGfxStatus(L, GfxStatus::NoDevice);
}

// --- constructors

int TextureCreate(lua_State* L) {
  int w = CheckInt(L, 1), h = CheckInt(L, 2);
  RequireDevice(L);
  ClearStack(L);
  UTexture* t = NewRecord<UTexture>(L, kClass);
  CheckGfx(L, CreateTexture(t, w, h));
  return 1;
}

int TextureLoad(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  RequireDevice(L);
  lua_settop(L, 1);
  UTexture* t = NewRecord<UTexture>(L, kClass);
  // Running out of memory while loading is a failed load.
  char cannotOpen[1024];
  snprintf(cannotOpen, sizeof cannotOpen, "テクスチャファイル\"%s\"が開けませんでした。", name);
  RunGuarded(
      L,
      [&](Outcome& out) {
        GfxResult r = LoadTexture(t, name);
        if (r.status == GfxStatus::BadMovieName)
          out.Fail("テクスチャファイル名がおかしいです。> %s", name);
        else if (r.status == GfxStatus::ImageNotFound)
          out.Fail("%s", cannotOpen);
        else
          FailWith(out, r);
      },
      cannotOpen);
  return ReturnResults(L, 1);
}

int TextureFromBitmap(lua_State* L) {
  UBitmap* b = CheckRecord<UBitmap>(L, 1, "bitmap");
  lua_settop(L, 1);
  UTexture* t = NewRecord<UTexture>(L, kClass);
  CheckGfx(L, CopyBitmapToTexture(t, b));
  return ReturnResults(L, 1);
}

// --- lifetime and size

int TextureDelete(lua_State* L) {
  TextureRelease(CheckTexture(L));
  ClearStack(L);
  return 0;
}

int TextureGetSize(lua_State* L) {
  UTexture* t = CheckTexture(L);
  ClearStack(L);
  lua_pushnumber(L, t->width);
  lua_pushnumber(L, t->height);
  return 2;
}

// --- drawing

// The hot call of a sprite scene. It returns nothing, so the stack is left
// as it is: Lua drops it on return, and clearing it would cost a call.
int TextureDraw(lua_State* L) {
  UTexture* t = CheckTexture(L);
  int x = CheckInt(L, 2), y = CheckInt(L, 3), a = CheckInt(L, 4);
  CheckGfx(L, DrawTextureRect(t, x, y, t->width, t->height, 0, 0, a));
  return 0;
}

int TextureDrawRect(lua_State* L) {
  UTexture* t = CheckTexture(L);
  int dx = CheckInt(L, 2), dy = CheckInt(L, 3), w = CheckInt(L, 4), h = CheckInt(L, 5);
  int sx = CheckInt(L, 6), sy = CheckInt(L, 7), a = CheckInt(L, 8);
  ClearStack(L);
  CheckGfx(L, DrawTextureRect(t, dx, dy, w, h, sx, sy, a));
  return 0;
}

int TextureDrawRectLT(lua_State* L) {
  UTexture* t = CheckTexture(L);
  int x = CheckInt(L, 2), y = CheckInt(L, 3), sx = CheckInt(L, 4), sy = CheckInt(L, 5);
  int w = CheckInt(L, 6), h = CheckInt(L, 7);
  double scx = luaL_checknumber(L, 8), scy = luaL_checknumber(L, 9), ang = luaL_checknumber(L, 10);
  int a = CheckInt(L, 11);
  ClearStack(L);
  Vertex v[4];
  QuadResult r = BuildTransformedQuad(t->allocWidth, t->allocHeight, x, y, sx, sy, w, h, scx, scy, ang, a, v);
  if (r == QuadResult::BadSource) RaiseMessage(L, "テクスチャの描画：ソース座標が不正です。%d,%d", sx, sy);
  if (r == QuadResult::Draw) CheckGfx(L, DrawTexturedPrimitives(t, PT_TRIANGLESTRIP, 2, v));
  return 0;
}

int TextureDrawTriangle(lua_State* L) {
  UTexture* t = CheckTexture(L);
  if (!lua_istable(L, 2)) RaiseMessage(L, "draw2polygonには頂点のテーブルを渡してください。");
  int n = int(lua_objlen(L, 2));
  lua_settop(L, 2);
  // Scratch space owned by Lua, so an error below leaks nothing.
  Vertex* v = static_cast<Vertex*>(lua_newuserdata(L, sizeof(Vertex) * size_t(std::max(n, 1))));
  float aw = t->allocWidth > 1 ? float(t->allocWidth) : 0.0f;
  float ah = t->allocHeight > 1 ? float(t->allocHeight) : 0.0f;
  for (int i = 0; i < n; ++i) {
    lua_rawgeti(L, 2, i + 1);
    if (!lua_istable(L, -1)) RaiseMessage(L, "draw2polygonに渡したデータに誤りがあります。");
    for (int k = 1; k <= 5; ++k) {
      lua_rawgeti(L, -1, k);
      if (!lua_isnumber(L, -1)) RaiseMessage(L, "draw2polygonに渡したデータに誤りがあります。");
      lua_pop(L, 1);
    }
    lua_rawgeti(L, -1, 1);
    lua_rawgeti(L, -2, 2);
    lua_rawgeti(L, -3, 3);
    lua_rawgeti(L, -4, 4);
    int x = ToInt(L, -4), y = ToInt(L, -3), u = ToInt(L, -2), tv = ToInt(L, -1);
    lua_pop(L, 4);
    lua_rawgeti(L, -1, 5);
    uint32_t color = ToColor(L, -1);
    lua_pop(L, 2);
    v[i] = Vertex{float(x) - 0.5f, float(y) - 0.5f, 0.0f, 1.0f, color,
                  aw > 0 ? float(u) / aw : 0.0f, ah > 0 ? float(tv) / ah : 0.0f};
  }
  if (n < 3 || n % 3 != 0)
    RaiseMessage(L, "draw2dpolygonに渡す点の数は３の倍数でなければなりません。");
  GfxStatus st = DrawTexturedPrimitives(t, PT_TRIANGLELIST, n / 3, v);
  ClearStack(L);
  CheckGfx(L, st);
  return 0;
}

// --- pixels

int TextureFill(lua_State* L) {
  UTexture* t = CheckFilledTexture(L);
  uint32_t color = CheckColor(L, 2);
  ClearStack(L);
  CheckGfx(L, FillTexture(t, color));
  return 0;
}

int TextureFillRect(lua_State* L) {
  UTexture* t = CheckFilledTexture(L);
  uint32_t color = CheckColor(L, 2);
  int l = CheckInt(L, 3), tp = CheckInt(L, 4), r = CheckInt(L, 5), b = CheckInt(L, 6);
  ClearStack(L);
  CheckGfx(L, FillTextureRect(t, color, l, tp, r, b));
  return 0;
}

int TextureLock(lua_State* L) {
  UTexture* t = CheckFilledTexture(L);
  const bool whole = lua_gettop(L) < 2;
  int l = 0, tp = 0, r = 0, b = 0;
  if (!whole) l = CheckInt(L, 2), tp = CheckInt(L, 3), r = CheckInt(L, 4), b = CheckInt(L, 5);
  ClearStack(L);
  CheckGfx(L, LockTexture(t, whole, l, tp, r, b));
  lua_pushlightuserdata(L, &t->locked);
  return 1;
}

int TextureUnlock(lua_State* L) {
  UTexture* t = CheckFilledTexture(L);
  ClearStack(L);
  UnlockTexture(t);
  return 0;
}

int TextureRender(lua_State* L) {
  UTexture* t = CheckFilledTexture(L);
  UBitmap* bm = CheckRecord<UBitmap>(L, 2, "bitmap");
  int dx = CheckInt(L, 3), dy = CheckInt(L, 4), w = CheckInt(L, 5), h = CheckInt(L, 6);
  int sx = CheckInt(L, 7), sy = CheckInt(L, 8);
  int mode = OptInt(L, 9, 0);
  ClearStack(L);
  CheckGfx(L, CompositeBitmapIntoTexture(t, bm, dx, dy, w, h, sx, sy, mode));
  return 0;
}

// --- saving

int SaveAs(lua_State* L, TextureSaveKind kind) {
  UTexture* t = CheckFilledTexture(L);
  const char* file = luaL_checkstring(L, 2);
  RunGuarded(L, [&](Outcome& out) {
    std::string reason;
    GfxResult r = SaveTexture(t, file, kind, &reason);
    if (r.status == GfxStatus::WriteFailed)
      out.Fail("ファイル\"%s\"に書き込めませんでした。(%s)", file, reason.c_str());
    else
      FailWith(out, r);
  });
  ClearStack(L);
  return 0;
}

int TextureSave(lua_State* L) {
  return SaveAs(L, lua_toboolean(L, 3) ? TextureSaveKind::PngNoAlpha : TextureSaveKind::Png);
}

int TextureSaveAlpha(lua_State* L) { return SaveAs(L, TextureSaveKind::Alpha); }

// --- render to texture

int TextureBeginScene(lua_State* L) {
  UTexture* t = CheckTexture(L);
  lua_settop(L, 1);
  CheckGfx(L, BeginRenderToTexture(t));
  AnchorSceneTarget(L, SceneKind::Texture, 1);  // kept alive until endscene
  ClearStack(L);
  return 0;
}

int TextureEndScene(lua_State* L) {
  ClearStack(L);
  if (!TextureSceneOpen()) return 0;
  GfxStatus st = EndRenderToTexture();
  ReleaseSceneTarget(L, SceneKind::Texture);
  CheckGfx(L, st);
  return 0;
}

int TextureGc(lua_State* L) {
  TextureRelease(CheckTexture(L));
  return 0;
}

}  // namespace

const luaL_Reg kTextureMethods[] = {
    {"delete", TextureDelete},         {"draw", TextureDraw},
    {"drawrect", TextureDrawRect},     {"drawrectlt", TextureDrawRectLT},
    {"drawtriangle", TextureDrawTriangle}, {"drawbeziermesh", TextureDrawBezierMesh},
    {"fill", TextureFill},             {"fillrect", TextureFillRect},
    {"getsize", TextureGetSize},       {"save", TextureSave},
    {"savealpha", TextureSaveAlpha},   {"lock", TextureLock},
    {"unlock", TextureUnlock},         {"render", TextureRender},
    {"beginscene", TextureBeginScene}, {"endscene", TextureEndScene},
    {"__gc", TextureGc},               {nullptr, nullptr},
};

const luaL_Reg kTextureCtors[] = {
    {"create", TextureCreate},
    {"load", TextureLoad},
    {"frombitmap", TextureFromBitmap},
    {nullptr, nullptr},
};

}  // namespace qor
