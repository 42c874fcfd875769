// The Lua 5.1 C API, built as C: lua_error is a longjmp (see binding.h). The
// headers come through the Lua package's include path, which only the host and
// the bindings have: module cores cannot include this. The engine builds against
// either Lua 5.1 or LuaJIT (CMake's QOR_LUA, which defines QOR_LUAJIT for the
// latter); this is the one place that tells them apart.
#pragma once
extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
#ifdef QOR_LUAJIT
#include <luajit.h>
#endif
}

namespace qor {

// The Lua the engine runs, as `qor --version` reports it.
#ifdef QOR_LUAJIT
inline constexpr char kLuaRelease[] = LUAJIT_VERSION;
inline constexpr bool kLuaJit = true;
#else
inline constexpr char kLuaRelease[] = LUA_RELEASE;
inline constexpr bool kLuaJit = false;
#endif

}  // namespace qor
