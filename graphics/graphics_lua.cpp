// The engine messages of the graphics core's statuses, the off-screen scene
// anchors, and the bitmap class's scene methods.
#include "graphics/graphics_lua.h"
#include "host/binding.h"

#include "host/engine.h"
#include "graphics/movie_player.h"
#include "media/movie_lua.h"

namespace qor {

void FailWith(Outcome& out, const GfxResult& r) {
  const int* v = r.v;
  switch (r.status) {
    case GfxStatus::Ok: return;
    case GfxStatus::NoDevice: return out.Fail("gui.createの前に描画はできません。");
    case GfxStatus::BeginSceneFailed: return out.Fail("描画開始に失敗しました。");
    case GfxStatus::UnsupportedPrimitive: return out.Fail("対応していないプリミティブタイプを描画しようとしました。");
    case GfxStatus::TextureOutOfMemory: return out.Fail("E_OUTOFMEMORY");
    case GfxStatus::TextureOutOfVideoMemory: return out.Fail("D3DERR_OUTOFVIDEOMEMORY");
    case GfxStatus::TextureInvalidCall: return out.Fail("D3DERR_INVALIDCALL (%d %d) ", v[0], v[1]);
    case GfxStatus::EmptyTexture: return out.Fail("空のテクスチャは操作できません。");
    case GfxStatus::EmptyTarget: return out.Fail("空のテクスチャにはレンダリングできません。");
    case GfxStatus::OneRenderTarget: return out.Fail("レンダリングターゲットはひとつだけです。");
    case GfxStatus::TargetCreateFailed: return out.Fail("テクスチャをレンダリングターゲットにすることに失敗しました。");
    case GfxStatus::BitmapCreateFailed: return out.Fail("ビットマップを作成できませんでした。(%d %d)", v[0], v[1]);
    case GfxStatus::BadFillRect:
      return out.Fail("テクスチャのロック領域が間違っています。左上座標%d,%d 右下座標%d,%d", v[0], v[1], v[2], v[3]);
    case GfxStatus::BadLockRect:
      return out.Fail("テクスチャロックに範囲外を指定しました。(%d,%d)～(%d,%d)", v[0], v[1], v[2], v[3]);
    case GfxStatus::RenderOutsideTexture:
      return out.Fail("座標指定がテクスチャからはみ出しています。Texture dx,dy=%d,%d w,h=%d,%d", v[0], v[1], v[2], v[3]);
    case GfxStatus::RenderOutsideBitmap:
      return out.Fail("座標指定がビットマップからはみ出しています。Bitmap sx,sy=%d,%d w,h=%d,%d", v[0], v[1], v[2], v[3]);
    case GfxStatus::EmptyBitmap: return out.Fail("空のビットマップは描き込めません。");
    case GfxStatus::ImageNotFullColour: return out.Fail("テクスチャのロード：フルカラーPNGにしか対応していません。");
    case GfxStatus::MovieFailed:
      // texture.load of a movie name: the player's own message for the step that failed.
      return FailWithMovie(out, v[0] ? MovieResult(v[0]) : MovieResult::Unplayable, g_movie.moviePath.c_str(),
                           g_movie.alphaPackPath.c_str());
    case GfxStatus::BadAlphaName: return out.Fail("savealphaはグレースケールPNG形式もしくはarl形式です");
    default: return out.Fail("%s", kOutOfMemoryMessage);
  }
}

void RaiseGfxStatus(lua_State* L, const GfxResult& r) {
  if (r.status == GfxStatus::TargetFatal) FatalError("内部エラー：レンダーターゲット作成に失敗しました。");
  Outcome out;
  FailWith(out, r);
  RaiseOutcome(L, out);
  __builtin_unreachable();
}

// Registry fields rather than luaL_ref numbers: nothing engine-wide refers
// into one particular Lua state.
static const char* const kSceneAnchors[] = {"qor.scene.texture", "qor.scene.bitmap"};  // by SceneKind

void AnchorSceneTarget(lua_State* L, SceneKind kind, int idx) {
  lua_pushvalue(L, idx);
  lua_setfield(L, LUA_REGISTRYINDEX, kSceneAnchors[int(kind)]);
}

void ReleaseSceneTarget(lua_State* L, SceneKind kind) {
  lua_pushnil(L);
  lua_setfield(L, LUA_REGISTRYINDEX, kSceneAnchors[int(kind)]);
}

void RunBitmapBeginScene(lua_State* L, UBitmap* b) {
  CheckGfx(L, BeginRenderToBitmap(b));
  AnchorSceneTarget(L, SceneKind::Bitmap, 1);
}

void RunBitmapEndScene(lua_State* L) {
  GfxStatus st = EndRenderToBitmap();
  ReleaseSceneTarget(L, SceneKind::Bitmap);
  CheckGfx(L, st);
}

void RunBitmapFromTexture(lua_State* L, UBitmap* b, UTexture* t) { CheckGfx(L, CopyTextureToBitmap(b, t)); }

}  // namespace qor
