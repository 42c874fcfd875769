// Lua bindings of gui's window and input part: create, caption, doevents,
// message boxes, mouse, clicks, drops, keys, sleep and the timer.
#include <SDL.h>

#include "app/startup.h"
#include "graphics/screen.h"
#include "host/binding.h"
#include "host/engine.h"
#include "host/input.h"
#include "host/modules.h"
#include "host/window.h"
#include "platform/timer.h"

namespace qor {
namespace {

int GuiCreate(lua_State* L) {
  int w = CheckInt(L, 1);
  int h = CheckInt(L, 2);
  ClearStack(L);
  // One window per run: a second call is refused with a script error.
  RunGuarded(L, [&](Outcome& out) {
    std::string reason;
    switch (StartScreen(w, h, &reason)) {
      case StartupStatus::Ok: break;
      case StartupStatus::AlreadyCreated: out.Fail("gui.createは一度しか呼べません。"); break;
      case StartupStatus::BadSize: out.Fail("画面の大きさが不正です。(%d,%d)", w, h); break;
      case StartupStatus::WindowFailed: out.Fail("ウィンドウが作成できません。(%s)", reason.c_str()); break;
      case StartupStatus::DeviceFailed: out.Fail("エラー：デバイスが初期化できません。"); break;
    }
  });
  return 0;
}

int GuiCaption(lua_State* L) {
  const char* text = luaL_checkstring(L, 1);
  if (g_mainWindow) SDL_SetWindowTitle(g_mainWindow, text);
  ClearStack(L);
  return 0;
}

int GuiDoEvents(lua_State* L) {
  ClearStack(L);
  PumpMessages(L);
  return 0;
}

int GuiOkBox(lua_State* L) {
  const char* text = luaL_checkstring(L, 1);
  const char* caption = luaL_checkstring(L, 2);
  ShowBox(text, caption, platform::BoxKind::kInformation);
  ClearStack(L);
  return 0;
}

int GuiYesNoBox(lua_State* L) {
  const char* text = luaL_checkstring(L, 1);
  const char* caption = luaL_checkstring(L, 2);
  bool yes = ShowBox(text, caption, platform::BoxKind::kQuestion);
  ClearStack(L);
  lua_pushboolean(L, yes);
  return 1;
}

int GuiGetMouse(lua_State* L) {
  ClearStack(L);
  int cx, cy, x, y;
  if (!MainWindowActive() || !CursorInClient(&cx, &cy) || !ClientToGame(ScreenPicture(), cx, cy, &x, &y)) return 0;
  lua_pushinteger(L, x);
  lua_pushinteger(L, y);
  return 2;
}

int GuiSetMouse(lua_State* L) {
  int x = CheckInt(L, 1);
  int y = CheckInt(L, 2);
  ClearStack(L);
  if (!MainWindowActive()) return 0;
  int cx, cy;
  GameToClient(ScreenPicture(), x, y, &cx, &cy);
  MoveCursor(cx, cy);
  return 0;
}

int GuiGetClick(lua_State* L) {
  ClearStack(L);
  lua_pushboolean(L, g_input.leftUp);
  lua_pushboolean(L, g_input.rightUp);
  lua_pushinteger(L, g_input.wheel);
  lua_pushboolean(L, g_input.leftDown);
  lua_pushboolean(L, g_input.rightDown);
  g_input.leftUp = g_input.rightUp = g_input.leftDown = g_input.rightDown = false;
  g_input.wheel = 0;
  return 5;
}

int GuiClearBuffer(lua_State* L) {
  ClearStack(L);
  DiscardPendingClicks();
  g_input.leftUp = g_input.rightUp = g_input.leftDown = g_input.rightDown = false;
  g_input.wheel = 0;
  return 0;
}

int GuiGetDropFileList(lua_State* L) {
  ClearStack(L);
  if (g_input.drops.empty()) return 0;
  lua_createtable(L, static_cast<int>(g_input.drops.size()), 0);
  for (size_t i = 0; i < g_input.drops.size(); ++i) {
    lua_pushlstring(L, g_input.drops[i].data(), g_input.drops[i].size());
    lua_rawseti(L, -2, static_cast<int>(i + 1));
  }
  g_input.drops.clear();
  return 1;
}

int GuiGetKey(lua_State* L) {
  size_t len;
  const char* name = luaL_checklstring(L, 1, &len);
  bool down = false;
  // The state now, read at the call (not that of the last gui.doevents).
  // With a window, nothing is down unless it is the active window.
  // One look at the focus per call: each look pumps the system's events.
  const bool active = MainWindowActive();
  if (!g_mainWindow || active) {
    int vk = KeyNameToVirtualKey(name, len);
    if (vk == kVkNone)
      down = false;
    else if (IsLockKey(vk))
      down = LockKeyToggled(vk);
    else
      down = active && VirtualKeyDown(vk);
  }
  ClearStack(L);
  lua_pushboolean(L, down);
  return 1;
}

int GuiSleep(lua_State* L) {
  lua_Number ms = luaL_checknumber(L, 1);
  ClearStack(L);
  // Negative (and NaN) waits are no wait; the rest is truncated to whole milliseconds.
  if (!(ms > 0)) ms = 0;
  if (ms > 4294967295.0) ms = 4294967295.0;
  platform::SleepMs(static_cast<uint32_t>(ms));
  return 0;
}

int GuiGetTimer(lua_State* L) {
  ClearStack(L);
  lua_pushnumber(L, static_cast<lua_Number>(platform::TimeMs()));
  return 1;
}

}  // namespace

const luaL_Reg kGuiWindowFuncs[] = {
    {"create", GuiCreate},
    {"caption", GuiCaption},
    {"doevents", GuiDoEvents},
    {"okbox", GuiOkBox},
    {"yesnobox", GuiYesNoBox},
    {"getmouse", GuiGetMouse},
    {"setmouse", GuiSetMouse},
    {"getclick", GuiGetClick},
    {"clearbuffer", GuiClearBuffer},
    {"getdropfilelist", GuiGetDropFileList},
    {"getkey", GuiGetKey},
    {"sleep", GuiSleep},
    {"gettimer", GuiGetTimer},
    {nullptr, nullptr},
};

}  // namespace qor
