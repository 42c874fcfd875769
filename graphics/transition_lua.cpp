// The transition module: argument checks and messages around the graphics
// core's transitions.
#include "graphics/graphics_lua.h"
#include "graphics/transition.h"
#include "host/binding.h"
#include "host/modules.h"

namespace qor {

namespace {

const char kSizeMessage[] = "テクスチャの大きさが画面と違います。";
const char kUniversalSizeMessage[] = "テクスチャやルール画像の大きさが画面と違います。";

int Run(lua_State* L, TransitionKind kind) {
  UTexture* from = CheckRecord<UTexture>(L, 1, "texture");
  UTexture* to = CheckRecord<UTexture>(L, 2, "texture");
  double t = luaL_checknumber(L, 3);
  ClearStack(L);
  GfxStatus st = DrawTransition(kind, from, to, t);
  if (st == GfxStatus::NotScreenSized) RaiseMessage(L, "%s", kSizeMessage);
  CheckGfx(L, st);
  return 0;
}

int TransitionFade(lua_State* L) { return Run(L, TransitionKind::Fade); }
int TransitionRollUp(lua_State* L) { return Run(L, TransitionKind::RollUp); }
int TransitionRollDown(lua_State* L) { return Run(L, TransitionKind::RollDown); }
int TransitionRollLeft(lua_State* L) { return Run(L, TransitionKind::RollLeft); }
int TransitionRollRight(lua_State* L) { return Run(L, TransitionKind::RollRight); }
int TransitionSlideUp(lua_State* L) { return Run(L, TransitionKind::SlideUp); }
int TransitionSlideDown(lua_State* L) { return Run(L, TransitionKind::SlideDown); }
int TransitionSlideLeft(lua_State* L) { return Run(L, TransitionKind::SlideLeft); }
int TransitionSlideRight(lua_State* L) { return Run(L, TransitionKind::SlideRight); }

int TransitionUniversal(lua_State* L) {
  UTexture* from = CheckRecord<UTexture>(L, 1, "texture");
  UTexture* to = CheckRecord<UTexture>(L, 2, "texture");
  double t = luaL_checknumber(L, 3);
  UBitmap* rule = CheckRecord<UBitmap>(L, 4, "bitmap");
  int vague = 64;
  if (!lua_isnoneornil(L, 5)) vague = CheckIntRange(L, 5, 0, 255, "vagueには0～255を指定して下さい。");
  ClearStack(L);
  GfxResult r = DrawUniversalTransition(from, to, t, rule, vague);
  if (r.status == GfxStatus::NotScreenSized) RaiseMessage(L, "%s", kUniversalSizeMessage);
  if (r.status == GfxStatus::TextureLockFailed) RaiseMessage(L, "テクスチャのロックに失敗");
  CheckGfx(L, r);
  return 0;
}

}  // namespace

const luaL_Reg kTransitionFuncs[] = {
    {"fade", TransitionFade},
    {"rollup", TransitionRollUp},
    {"rolldown", TransitionRollDown},
    {"rollleft", TransitionRollLeft},
    {"rollright", TransitionRollRight},
    {"slideup", TransitionSlideUp},
    {"slidedown", TransitionSlideDown},
    {"slideleft", TransitionSlideLeft},
    {"slideright", TransitionSlideRight},
    {"universal", TransitionUniversal},
    {nullptr, nullptr},
};

}  // namespace qor
