// The Lua 5.1 C API, built as C: lua_error is a longjmp (see binding.h). The
// headers come through the Lua package's include path, which only the host and
// the bindings have: module cores cannot include this.
#pragma once
extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}
