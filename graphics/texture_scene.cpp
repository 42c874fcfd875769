// Off-screen scenes: drawing into a screen-sized target whose pixels are then
// copied into a texture or a bitmap.
#include <algorithm>

#include "graphics/screen.h"
#include "graphics/screen_internal.h"
#include "graphics/texture.h"

namespace qor {

// A texture scene is open (the texture itself may have been released since,
// in which case the scene still ends but nothing is copied).
static bool g_textureSceneOpen = false;

// The state every off-screen scene starts with: a black opaque target, normal
// blending and an empty texture cache.
static void ResetSceneState(Device* dev) {
  dev->Clear(nullptr, 0xFF000000u);
  dev->SetBlend(BLEND_NORMAL);
  g_screen.blend = BLEND_NORMAL;
  g_screen.boundTexture = nullptr;
}

// Back to drawing on the back buffer.
static void RestoreScreenTarget(Device* dev) {
  dev->SetOffscreenTarget(false, g_screen.width, g_screen.height);
  g_screen.offscreenOpen = false;
  g_screen.boundTexture = nullptr;
}

bool TextureSceneOpen() { return g_textureSceneOpen; }

GfxStatus BeginRenderToTexture(UTexture* t) {
  Device* dev = g_screen.device.get();
  if (!dev) return GfxStatus::NoDevice;
  if (g_screen.renderTargetActive) return GfxStatus::OneRenderTarget;
  if (!t->surface) return GfxStatus::EmptyTarget;
  g_screen.renderTargetActive = true;
  if (!dev->SetOffscreenTarget(true, g_screen.width, g_screen.height)) return GfxStatus::TargetCreateFailed;
  if (!dev->BeginScene()) {
    // Inside a screen scene: drawing must keep going to the screen.
    RestoreScreenTarget(dev);
    return GfxStatus::BeginSceneFailed;
  }
  ResetSceneState(dev);
  g_screen.offscreenOpen = true;
  g_renderTargetTexture = t;
  g_textureSceneOpen = true;
  return GfxStatus::Ok;
}

GfxStatus EndRenderToTexture() {
  if (!g_textureSceneOpen) return GfxStatus::Ok;
  Device* dev = g_screen.device.get();
  if (!dev) return GfxStatus::NoDevice;
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
  return GfxStatus::Ok;
}

GfxResult BeginRenderToBitmap(UBitmap* b) {
  Device* dev = g_screen.device.get();
  if (!dev) return GfxStatus::NoDevice;
  if (g_screen.renderTargetActive) return GfxStatus::OneRenderTarget;
  if (BitmapEmpty(b) || b->width != g_screen.width || b->height != g_screen.height) {
    if (!BitmapCreate(b, g_screen.width, g_screen.height))
      return {GfxStatus::BitmapCreateFailed, g_screen.width, g_screen.height};
  }
  if (!dev->SetOffscreenTarget(true, g_screen.width, g_screen.height)) return GfxStatus::TargetFatal;
  g_screen.renderTargetActive = true;
  if (!dev->BeginScene()) {
    RestoreScreenTarget(dev);
    return GfxStatus::BeginSceneFailed;
  }
  ResetSceneState(dev);
  g_screen.offscreenOpen = true;
  g_renderTargetBitmap = b;
  return {};
}

GfxStatus EndRenderToBitmap() {
  const bool flagWasSet = g_screen.renderTargetActive;
  g_screen.renderTargetActive = false;
  UBitmap* b = g_renderTargetBitmap;
  g_renderTargetBitmap = nullptr;
  // Nothing was begun, or a texture scene draws off screen until its endscene.
  if (!flagWasSet || g_textureSceneOpen) return GfxStatus::Ok;
  Device* dev = g_screen.device.get();
  if (!dev) return GfxStatus::NoDevice;
  if (g_screen.offscreenOpen) {
    dev->EndScene();
    if (b && !BitmapEmpty(b)) {
      int w = std::min(g_screen.width, b->width);
      int h = std::min(g_screen.height, b->height);
      if (w > 0 && h > 0) dev->ReadPixels(reinterpret_cast<uint32_t*>(b->pixels), b->width * 4, w, h);
    }
  }
  // Also after a failed begin left the flag: drawing goes to the screen again.
  RestoreScreenTarget(dev);
  return GfxStatus::Ok;
}

void ForgetOffscreenScenes() {
  g_textureSceneOpen = false;
  g_renderTargetTexture = nullptr;
  g_renderTargetBitmap = nullptr;
}

void ForgetRenderTargetBitmap(UBitmap* b) {
  if (g_renderTargetBitmap == b) g_renderTargetBitmap = nullptr;
}

}  // namespace qor
