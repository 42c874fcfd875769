// The Lua 5.1 C API, built as C: lua_error is a longjmp (see binding.h).
#pragma once
extern "C" {
#include <lua5.1/lauxlib.h>
#include <lua5.1/lua.h>
#include <lua5.1/lualib.h>
}
