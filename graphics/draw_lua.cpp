// Lua bindings of gui's screen part (setscreenmode, getscreenmode, isenable)
// and of the draw module (beginscene, endscene, blend).
#include "graphics/graphics_lua.h"
#include "graphics/screen.h"
#include "host/binding.h"
#include "host/engine.h"
#include "host/modules.h"
#include "host/window.h"

namespace qor {

namespace {

int PumpOnce(lua_State* L) {
  PumpMessages(L);
  return 0;
}

// The mode switch's message pump: script hooks run protected, and a failed
// one leaves its error object on the stack for GuiSetScreenMode to re-raise.
bool PumpProtected(void* context) {
  auto* L = static_cast<lua_State*>(context);
  lua_pushcfunction(L, PumpOnce);
  return lua_pcall(L, 0, 0, 0) == 0;
}

int GuiSetScreenMode(lua_State* L) {
  int mode = CheckIntRange(L, 1, 0, 2, "スクリーンモードは０～２です");
  ClearStack(L);
  GfxStatus st = SetScreenMode(mode, ScreenPump{PumpProtected, L});
  // The switch has finished (mode and letterbox set) before a hook's error goes on.
  if (st == GfxStatus::HookFailed) return lua_error(L);
  CheckGfx(L, st);
  return 0;
}

int GuiGetScreenMode(lua_State* L) {
  ClearStack(L);
  lua_pushinteger(L, g_screen.mode);
  return 1;
}

int GuiIsEnable(lua_State* L) {
  ClearStack(L);
  lua_pushboolean(L, ScreenDevice() != nullptr);
  return 1;
}

int DrawBeginScene(lua_State* L) {
  if (lua_gettop(L) >= 1 && !lua_isnil(L, 1)) {
    int l = CheckInt(L, 1), t = CheckInt(L, 2), r = CheckInt(L, 3), b = CheckInt(L, 4);
    g_screen.updateRect = DeviceRect{l, t, r, b};
    g_screen.partialUpdate = true;
  } else {
    g_screen.updateRect = DeviceRect{0, 0, g_screen.width - 1, g_screen.height - 1};
    g_screen.partialUpdate = false;
  }
  ClearStack(L);
  const DeviceRect& u = g_screen.updateRect;
  CheckGfx(L, BeginScreenScene(u.left, u.top, u.right, u.bottom));
  return 0;
}

int DrawEndScene(lua_State* L) {
  ClearStack(L);
  bool ok = true;
  if (ScreenDevice()) {
    GfxStatus st = EndScreenScene();
    if (st == GfxStatus::Ok) NoteFramePresented();
    if (st == GfxStatus::TargetFatal) RaiseGfxStatus(L, st);
    ok = st == GfxStatus::Ok;
  } else {
    g_screen.partialUpdate = false;  // nothing to show before gui.create
  }
  lua_pushboolean(L, ok);
  return 1;
}

int DrawBlend(lua_State* L) {
  int mode = CheckIntRange(L, 1, 0, 1, "ブレンドモードは、mode=0:通常ブレンド 1:加算ブレンドです。");
  ClearStack(L);
  if (Device* d = ScreenDevice()) {
    g_screen.blend = mode == 1 ? BLEND_ADD : BLEND_NORMAL;
    d->SetBlend(g_screen.blend);
  }
  return 0;
}

}  // namespace

const luaL_Reg kGuiScreenFuncs[] = {
    {"setscreenmode", GuiSetScreenMode},
    {"getscreenmode", GuiGetScreenMode},
    {"isenable", GuiIsEnable},
    {nullptr, nullptr},
};

const luaL_Reg kDrawFuncs[] = {
    {"beginscene", DrawBeginScene},
    {"endscene", DrawEndScene},
    {"blend", DrawBlend},
    {nullptr, nullptr},
};

}  // namespace qor
