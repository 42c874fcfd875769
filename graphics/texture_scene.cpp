// Off-screen scenes: drawing into a screen-sized target whose pixels are then
// copied into a texture or a bitmap; and the bitmap <- texture copy.
#include <algorithm>
#include <cstring>

#include "graphics/screen.h"
#include "graphics/texture.h"
#include "host/binding.h"
#include "host/engine.h"

namespace qor {

// A texture scene is open (the texture itself may have been released since,
// in which case the scene still ends but nothing is copied).
static bool g_textureSceneOpen = false;

// While a scene is open its target object is kept reachable from the registry,
// so the collector cannot free the memory the scene will copy into.
static int g_textureRef = LUA_NOREF;
static int g_bitmapRef = LUA_NOREF;

// Anchors the object at stack index 1 when it is `record` (the method's self).
static int Anchor(lua_State* L, void* record) {
  if (lua_gettop(L) < 1 || lua_touserdata(L, 1) != record) return LUA_NOREF;
  lua_pushvalue(L, 1);
  return luaL_ref(L, LUA_REGISTRYINDEX);
}

static void Unanchor(lua_State* L, int* ref) {
  luaL_unref(L, LUA_REGISTRYINDEX, *ref);
  *ref = LUA_NOREF;
}

// The state every off-screen scene starts with: a black opaque target, normal
// blending and empty draw caches.
static void ResetSceneState(Device* dev) {
  dev->Clear(nullptr, 0xFF000000u);
  dev->SetBlend(BLEND_NORMAL);
  g_screen.blend = BLEND_NORMAL;
  g_screen.boundTexture = nullptr;
  g_screen.stateBlockApplied = false;
}

// Back to drawing on the back buffer.
static void RestoreScreenTarget(Device* dev) {
  dev->SetOffscreenTarget(false, g_screen.width, g_screen.height);
  g_screen.boundTexture = nullptr;
  g_screen.stateBlockApplied = false;
}

void BeginRenderToTexture(lua_State* L, UTexture* t) {
  Device* dev = RequireDevice(L);
  if (g_screen.renderTargetActive) RaiseMessage(L, "レンダリングターゲットはひとつだけです。");
  if (!t->surface) RaiseMessage(L, "空のテクスチャにはレンダリングできません。");
  g_screen.renderTargetActive = true;
  if (!dev->SetOffscreenTarget(true, g_screen.width, g_screen.height))
    RaiseMessage(L, "テクスチャをレンダリングターゲットにすることに失敗しました。");
  if (!dev->BeginScene()) {
    // Inside a screen scene: drawing must keep going to the screen.
    RestoreScreenTarget(dev);
    RaiseMessage(L, "描画開始に失敗しました。");
  }
  ResetSceneState(dev);
  g_renderTargetTexture = t;
  g_textureSceneOpen = true;
  g_textureRef = Anchor(L, t);
}

void EndRenderToTexture(lua_State* L) {
  if (!g_textureSceneOpen) return;
  Device* dev = RequireDevice(L);
  g_textureSceneOpen = false;
  dev->EndScene();
  g_screen.renderTargetActive = false;
  if (UTexture* t = g_renderTargetTexture; t && t->surface) {
    // Only the overlap of screen and texture is copied: a texture smaller than
    // the screen keeps its size and gets the top-left part of the picture.
    int w = std::min(g_screen.width, t->allocWidth);
    int h = std::min(g_screen.height, t->allocHeight);
    if (w > 0 && h > 0) {
      uint8_t* px = TextureBeginAccess(t);
      dev->ReadPixels(reinterpret_cast<uint32_t*>(px), t->surface->pitch, w, h);
      TextureEndAccess(t, 0, h);
    }
  }
  RestoreScreenTarget(dev);
  g_renderTargetTexture = nullptr;
  Unanchor(L, &g_textureRef);
}

void BeginRenderToBitmap(lua_State* L, UBitmap* b) {
  Device* dev = RequireDevice(L);
  if (g_screen.renderTargetActive) RaiseMessage(L, "レンダリングターゲットはひとつだけです。");
  if (BitmapEmpty(b) || b->width != g_screen.width || b->height != g_screen.height) {
    if (!BitmapCreate(b, g_screen.width, g_screen.height))
      RaiseMessage(L, "ビットマップを作成できませんでした。(%d %d)", g_screen.width, g_screen.height);
  }
  if (!dev->SetOffscreenTarget(true, g_screen.width, g_screen.height))
    FatalError("内部エラー：レンダーターゲット作成に失敗しました。");
  g_screen.renderTargetActive = true;
  if (!dev->BeginScene()) {
    RestoreScreenTarget(dev);
    RaiseMessage(L, "描画開始に失敗しました。");
  }
  ResetSceneState(dev);
  g_renderTargetBitmap = b;
  g_bitmapRef = Anchor(L, b);
}

void EndRenderToBitmap(lua_State* L) {
  g_screen.renderTargetActive = false;
  UBitmap* b = g_renderTargetBitmap;
  if (!b) return;
  g_renderTargetBitmap = nullptr;
  Device* dev = RequireDevice(L);
  dev->EndScene();
  if (!BitmapEmpty(b)) {
    int w = std::min(g_screen.width, b->width);
    int h = std::min(g_screen.height, b->height);
    if (w > 0 && h > 0) dev->ReadPixels(reinterpret_cast<uint32_t*>(b->pixels), b->width * 4, w, h);
  }
  RestoreScreenTarget(dev);
  Unanchor(L, &g_bitmapRef);
}

void ForgetRenderTargetBitmap(UBitmap* b) {
  if (g_renderTargetBitmap == b) g_renderTargetBitmap = nullptr;
}

void BitmapFromTexture(lua_State* L, UBitmap* b, UTexture* t) {
  if (!t->surface || t->width <= 0 || t->height <= 0) {
    // An empty texture gives an empty bitmap.
    BitmapRelease(b);
    return;
  }
  if (!BitmapCreate(b, t->width, t->height))
    RaiseMessage(L, "ビットマップを作成できませんでした。(%d %d)", t->width, t->height);
  const uint8_t* px = TextureBeginAccess(t);
  int pitch = t->surface->pitch;
  for (int y = 0; y < t->height; ++y)
    memcpy(b->pixels + size_t(y) * b->width * 4, px + size_t(y) * pitch, size_t(t->width) * 4);
  TextureEndAccess(t, 0, 0);
}

}  // namespace qor
