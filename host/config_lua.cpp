// gui.getconfig: an integer from section QORCONFIG of conf.ini, read anew on every call.
#include "host/binding.h"
#include "host/config.h"
#include "host/modules.h"

namespace qor {
namespace {

int GetConfig(lua_State* L) {
  const char* key = luaL_checkstring(L, 1);
  int v = ReadConfigInt(key);
  ClearStack(L);
  lua_pushinteger(L, v);
  return 1;
}

}  // namespace

const luaL_Reg kGuiConfigFuncs[] = {{"getconfig", GetConfig}, {nullptr, nullptr}};

}  // namespace qor
