// What the graphics bindings share: turning a status of the graphics core
// into its script error (or the fatal error), the anchors that keep an
// off-screen scene's target alive, and the bitmap class's texture methods.
#pragma once
#include "graphics/status.h"
#include "graphics/texture.h"

struct lua_State;

namespace qor {

struct Outcome;

// Writes the engine message of a failed status into `out`.
void FailWith(Outcome& out, const GfxResult& r);
// Raises the engine message of `r`; a fatal status ends the process instead.
[[noreturn]] void RaiseGfxStatus(lua_State* L, const GfxResult& r);
inline void CheckGfx(lua_State* L, const GfxResult& r) {
  if (!r.ok()) RaiseGfxStatus(L, r);
}
inline void CheckGfx(lua_State* L, GfxStatus st) {
  if (st != GfxStatus::Ok) RaiseGfxStatus(L, st);
}

// While an off-screen scene is open its target object (the value at stack
// index `idx`) is kept reachable from the registry, so the collector cannot
// free the memory the scene will copy into.
enum class SceneKind { Texture, Bitmap };
void AnchorSceneTarget(lua_State* L, SceneKind kind, int idx);
void ReleaseSceneTarget(lua_State* L, SceneKind kind);

// The bitmap class's methods that work on the screen and on textures:
// bitmap:beginscene (the bitmap at index 1), bitmap:endscene, bitmap.fromtexture.
void RunBitmapBeginScene(lua_State* L, UBitmap* b);
void RunBitmapEndScene(lua_State* L);
void RunBitmapFromTexture(lua_State* L, UBitmap* b, UTexture* t);

// texture:drawbeziermesh (graphics/shape_lua.cpp).
int TextureDrawBezierMesh(lua_State* L);

}  // namespace qor
