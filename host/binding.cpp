// Binding helpers shared by every module and class.
#include "host/binding.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "image/text.h"

namespace qor {

int RaiseMessage(lua_State* L, const char* fmt, ...) {
  char utf8[2048];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(utf8, sizeof utf8, fmt, ap);
  va_end(ap);
  char ansi[2048];
  size_t n = Utf8ToAnsi(utf8, strlen(utf8), ansi, sizeof ansi);
  luaL_where(L, 1);
  lua_pushlstring(L, ansi, n);
  lua_concat(L, 2);
  lua_error(L);
  __builtin_unreachable();
}

void AttachClass(lua_State* L, const char* cls) {
  lua_getfield(L, LUA_REGISTRYINDEX, cls);
  lua_setmetatable(L, -2);
}

static uint32_t NumberToColor(lua_Number n) {
  if (!(n == n)) return 0;  // NaN
  if (n >= 9.2e18 || n <= -9.2e18) return 0;
  return uint32_t(uint64_t(int64_t(n)));
}

uint32_t CheckColor(lua_State* L, int idx) { return NumberToColor(luaL_checknumber(L, idx)); }
uint32_t ToColor(lua_State* L, int idx) { return NumberToColor(lua_tonumber(L, idx)); }

void RegisterModule(lua_State* L, const char* name, const luaL_Reg* funcs) {
  luaL_register(L, name, funcs);
  lua_pop(L, 1);
}

void RegisterClass(lua_State* L, const char* name, const luaL_Reg* methods, const luaL_Reg* ctors) {
  luaL_newmetatable(L, name);
  lua_pushvalue(L, -1);
  lua_setfield(L, -2, "__index");
  luaL_register(L, nullptr, methods);
  lua_pop(L, 1);
  luaL_register(L, name, ctors);
  lua_pop(L, 1);
}

bool CallHook(lua_State* L, const char* field, int nresults) {
  int top = lua_gettop(L);
  lua_getglobal(L, "callback");
  if (!lua_istable(L, -1)) {
    lua_settop(L, top);
    return false;
  }
  lua_getfield(L, -1, field);
  if (!lua_isfunction(L, -1)) {
    lua_settop(L, top);
    return false;
  }
  lua_call(L, 0, nresults);
  lua_settop(L, top);
  return true;
}

}  // namespace qor
