// Lua bindings of gui's screen part (setscreenmode, getscreenmode, isenable)
// and of the draw module (beginscene, endscene, blend).
#include "graphics/screen.h"
#include "host/binding.h"
#include "host/modules.h"

namespace qor {

namespace {

int GuiSetScreenMode(lua_State* L) {
  lua_Integer mode = luaL_checkinteger(L, 1);
  if (mode < 0 || mode > 2) RaiseMessage(L, "スクリーンモードは０～２です");
  ClearStack(L);
  SetScreenMode(L, static_cast<int>(mode));
  return 0;
}

int GuiGetScreenMode(lua_State* L) {
  ClearStack(L);
  lua_pushinteger(L, g_screen.mode);
  return 1;
}

int GuiIsEnable(lua_State* L) {
  ClearStack(L);
  lua_pushboolean(L, g_screen.device != nullptr);
  return 1;
}

int DrawBeginScene(lua_State* L) {
  if (lua_gettop(L) >= 1 && !lua_isnil(L, 1)) {
    int l = static_cast<int>(luaL_checkinteger(L, 1));
    int t = static_cast<int>(luaL_checkinteger(L, 2));
    int r = static_cast<int>(luaL_checkinteger(L, 3));
    int b = static_cast<int>(luaL_checkinteger(L, 4));
    g_screen.updateRect = DeviceRect{l, t, r, b};
    g_screen.partialUpdate = true;
  } else {
    g_screen.updateRect = DeviceRect{0, 0, g_screen.width - 1, g_screen.height - 1};
    g_screen.partialUpdate = false;
  }
  ClearStack(L);
  const DeviceRect& u = g_screen.updateRect;
  BeginScreenScene(L, u.left, u.top, u.right, u.bottom);
  return 0;
}

int DrawEndScene(lua_State* L) {
  ClearStack(L);
  bool ok = true;
  if (g_screen.device) {
    ok = EndScreenScene();
  } else {
    g_screen.partialUpdate = false;  // nothing to show before gui.create
  }
  lua_pushboolean(L, ok);
  return 1;
}

int DrawBlend(lua_State* L) {
  lua_Integer mode = luaL_checkinteger(L, 1);
  if (mode != 0 && mode != 1) RaiseMessage(L, "ブレンドモードは、mode=0:通常ブレンド 1:加算ブレンドです。");
  ClearStack(L);
  if (g_screen.device) {
    g_screen.blend = mode == 1 ? BLEND_ADD : BLEND_NORMAL;
    g_screen.device->SetBlend(g_screen.blend);
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
