// Hides the differences between LuaJIT and Lua 5.1 that a game could notice.
#include "host/lua_compat.h"

#include <cstdio>
#include <cstring>

#include "host/lua.h"

namespace qor {

void Lua51StringChunkName(const char* source, char* out, unsigned outSize) {
  // Lua 5.1 keeps the first line, cut to LUA_IDSIZE minus the frame's 17
  // bytes, with "..." when anything was left off.
  constexpr size_t kKeep = 60 - sizeof(" [string \"...\"] ");
  size_t len = strcspn(source, "\n\r");
  if (len > kKeep) len = kKeep;
  snprintf(out, outSize, "=[string \"%.*s%s\"]", int(len), source, source[len] ? "..." : "");
}

namespace {

// loadstring(s [, chunkname]): an unnamed chunk gets Lua 5.1's short name.
int LoadString(lua_State* L) {
  size_t len;
  const char* s = luaL_checklstring(L, 1, &len);
  const char* chunk = luaL_optstring(L, 2, s);
  char name[64];
  if (lua_isnoneornil(L, 2)) {
    Lua51StringChunkName(s, name, sizeof name);
    chunk = name;
  }
  if (luaL_loadbuffer(L, s, len, chunk) == 0) return 1;
  lua_pushnil(L);
  lua_insert(L, -2);
  return 2;
}

// Sets t[to] = t[from] in the global table `lib` unless t[to] exists.
void Alias(lua_State* L, const char* lib, const char* to, const char* from) {
  lua_getglobal(L, lib);
  lua_getfield(L, -1, to);
  bool present = !lua_isnil(L, -1);
  lua_pop(L, 1);
  if (!present) {
    lua_getfield(L, -1, from);
    lua_setfield(L, -2, to);
  }
  lua_pop(L, 1);
}

}  // namespace

void MatchLua51(lua_State* L) {
  if (!kLuaJit) return;
  lua_register(L, "loadstring", LoadString);
  Alias(L, "math", "mod", "fmod");
  Alias(L, "string", "gfind", "gmatch");
}

}  // namespace qor
