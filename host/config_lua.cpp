// gui.getconfig: an integer from section QORCONFIG of conf.ini, read anew on every call.
#include "host/binding.h"
#include "host/config.h"
#include "host/modules.h"

namespace qor {
namespace {

// The file is read in a guarded scope: no C++ exception may reach Lua.
int GuiGetConfig(lua_State* L) {
  const char* key = luaL_checkstring(L, 1);
  int v = 0;
  RunGuarded(L, [&](Outcome&) { v = ReadConfigInt(key); });
  ClearStack(L);
  lua_pushinteger(L, v);
  return 1;
}

}  // namespace

const luaL_Reg kGuiConfigFuncs[] = {{"getconfig", GuiGetConfig}, {nullptr, nullptr}};

}  // namespace qor
