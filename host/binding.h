// Helpers every Lua binding uses: checking a record, raising an engine
// message, clearing the stack, registering modules and classes.
//
// Lua errors are longjmps. A binding must not raise while one of its own
// frames owns something with a destructor (std::string, vector, lock guard):
// do the C++ work in a scope that ends first, then raise. C++ exceptions must
// be caught in the binding and turned into a Lua error there.
#pragma once
#include <cstdint>
#include <cstring>
#include <new>

#include "host/lua.h"

namespace qor {

// Raises an engine message. `fmt` is a UTF-8 printf format (our literals are
// UTF-8); the formatted text gets Lua's position prefix, is converted to the
// ANSI code page (CP932) and raised with lua_error. Never returns.
[[noreturn]] int RaiseMessage(lua_State* L, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

// The record of a full userdata of class `cls` at `idx`; Lua's standard
// argument error when it is something else.
template <class T>
inline T* CheckRecord(lua_State* L, int idx, const char* cls) {
  return static_cast<T*>(luaL_checkudata(L, idx, cls));
}

// Makes a full userdata holding a zero-filled T (or a T constructed in place
// when T is not trivially constructible) and attaches the metatable `cls`.
// The new object is left on top of the stack.
void AttachClass(lua_State* L, const char* cls);
template <class T>
inline T* NewRecord(lua_State* L, const char* cls) {
  void* p = lua_newuserdata(L, sizeof(T));
  memset(p, 0, sizeof(T));
  T* rec = new (p) T();
  AttachClass(L, cls);
  return rec;
}

// lua_settop(L, 0); bindings clear the stack before pushing their results.
inline void ClearStack(lua_State* L) { lua_settop(L, 0); }

// For results computed while the arguments were still needed: keeps only the
// top `n` values (the results), so the stack ends as if it had been cleared
// before they were pushed. Returns n for the binding to return.
inline int ReturnResults(lua_State* L, int n) {
  int top = lua_gettop(L);
  for (int i = 1; i <= n; ++i) {
    lua_pushvalue(L, top - n + i);
    lua_replace(L, i);
  }
  lua_settop(L, n);
  return n;
}

// A colour argument: the number truncated to a 64-bit integer, low 32 bits (0xAARRGGBB).
uint32_t CheckColor(lua_State* L, int idx);
uint32_t ToColor(lua_State* L, int idx);

// Registers `funcs` into the global table `name` (created when missing, merged otherwise).
void RegisterModule(lua_State* L, const char* name, const luaL_Reg* funcs);

// Registers a class: metatable `name` with __index = itself holding `methods`,
// and the global constructor table `name` holding `ctors`.
void RegisterClass(lua_State* L, const char* name, const luaL_Reg* methods, const luaL_Reg* ctors);

// Calls the script hook callback.<field> if `callback` is a table and the
// field a function (unprotected: an error propagates to the running script).
// Returns false when there is no such hook. The stack is restored.
bool CallHook(lua_State* L, const char* field, int nresults);

}  // namespace qor
