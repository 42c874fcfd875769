// Binding helpers shared by every module and class.
#include "host/binding.h"

#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "platform/text.h"

namespace qor {

int RaiseMessage(lua_State* L, const char* fmt, ...) {
  char utf8[2048];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(utf8, sizeof utf8, fmt, ap);
  va_end(ap);
  char ansi[2048];
  size_t n = platform::Utf8ToAnsi(utf8, strlen(utf8), ansi, sizeof ansi);
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

const char* const kOutOfMemoryMessage = "メモリが足りません。";

void Outcome::Fail(const char* fmt, ...) {
  if (failed) return;
  failed = true;
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(text, sizeof text, fmt, ap);
  va_end(ap);
}

int ReturnOwnedString(lua_State* L, std::string* owned) {
  ClearStack(L);
  if (!owned) return 0;
  lua_pushlstring(L, owned->data(), owned->size());
  delete owned;
  return 1;
}

void RaiseOutcome(lua_State* L, const Outcome& out) { RaiseMessage(L, "%s", out.text); }

int OptInt(lua_State* L, int idx, int def) { return lua_isnoneornil(L, idx) ? def : CheckInt(L, idx); }

int ToInt(lua_State* L, int idx) { return NumberToInt(lua_tonumber(L, idx)); }

int CheckIntRange(lua_State* L, int idx, int lo, int hi, const char* msg) {
  int v = CheckInt(L, idx);
  if (v < lo || v > hi) RaiseMessage(L, "%s", msg);
  return v;
}

namespace {
// Pushes t[key]; `table` must be an absolute index.
void PushField(lua_State* L, int table, const char* key) {
  lua_pushstring(L, key);
  lua_gettable(L, table);
}
int Absolute(lua_State* L, int idx) { return idx > 0 || idx <= LUA_REGISTRYINDEX ? idx : lua_gettop(L) + idx + 1; }
}  // namespace

int OptIntField(lua_State* L, int table, const char* key, int def, const char* msg) {
  return NumberToInt(OptNumberField(L, table, key, def, msg));
}

lua_Number OptNumberField(lua_State* L, int table, const char* key, lua_Number def, const char* msg) {
  PushField(L, Absolute(L, table), key);
  lua_Number v = def;
  if (!lua_isnil(L, -1)) {
    if (!lua_isnumber(L, -1)) RaiseMessage(L, "%s", msg);
    v = lua_tonumber(L, -1);
  }
  lua_pop(L, 1);
  return v;
}

const char* OptStringField(lua_State* L, int table, const char* key, const char* msg, size_t* len) {
  PushField(L, Absolute(L, table), key);
  if (len) *len = 0;
  if (lua_isnil(L, -1)) return nullptr;
  if (!lua_isstring(L, -1)) RaiseMessage(L, "%s", msg);
  return lua_tolstring(L, -1, len);
}

bool BoolField(lua_State* L, int table, const char* key) {
  PushField(L, Absolute(L, table), key);
  bool v = lua_toboolean(L, -1);
  lua_pop(L, 1);
  return v;
}

bool HasField(lua_State* L, int table, const char* key) {
  PushField(L, Absolute(L, table), key);
  bool v = !lua_isnil(L, -1);
  lua_pop(L, 1);
  return v;
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
  for (const luaL_Reg* m = methods; m->name; ++m) {
    lua_pushvalue(L, -1);
    lua_pushcclosure(L, m->func, 1);
    lua_setfield(L, -2, m->name);
  }
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
