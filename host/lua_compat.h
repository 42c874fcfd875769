// Makes a LuaJIT state look like Lua 5.1's where a game could notice.
#pragma once

struct lua_State;

namespace qor {

// After luaL_openlibs: under Lua 5.1 it does nothing; under LuaJIT it names
// unnamed loadstring chunks as Lua 5.1 shortens them (error positions keep
// their form) and restores math.mod and string.gfind, which Lua 5.1 keeps for
// older scripts and LuaJIT dropped.
void MatchLua51(lua_State* L);

// The name Lua 5.1 shows for a chunk loaded from the string `source`, as an
// "=" chunk name both Lua builds print verbatim (at most 57 bytes + NUL).
void Lua51StringChunkName(const char* source, char* out, unsigned outSize);

}  // namespace qor
