// The binding toolkit every Lua binding uses, in the manner of lauxlib's
// luaL_check*/luaL_opt*: checking a record, reading integers and option-table
// fields with one conversion rule, running C++ work guarded, raising an
// engine message, pushing results, registering modules and classes.
//
// Lua errors are longjmps. A binding must not raise while one of its own
// frames owns something with a destructor (std::string, vector, lock guard):
// do the C++ work in a scope that ends first, then raise. C++ exceptions must
// be caught in the binding and turned into a Lua error there.
#pragma once
#include <cstdint>
#include <cstring>
#include <exception>
#include <new>
#include <string>

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

// The record at index 1 for a method of class `cls`, as CheckRecord(L, 1, cls)
// gives it. RegisterClass gives every method the class's metatable as its
// first upvalue, so the usual case is one metatable compare instead of a
// registry lookup by name; anything else (another class, no userdata, a
// function called without that upvalue) takes CheckRecord's path and error.
// Only for functions that RegisterClass registered as methods of `cls`.
template <class T>
inline T* CheckSelf(lua_State* L, const char* cls) {
  void* p = lua_touserdata(L, 1);
  if (p && lua_getmetatable(L, 1)) {
    const bool same = lua_rawequal(L, -1, lua_upvalueindex(1));
    lua_pop(L, 1);
    if (same) return static_cast<T*>(p);
  }
  return CheckRecord<T>(L, 1, cls);
}

// Makes a full userdata holding a zero-filled T (or a T constructed in place
// when T is not trivially constructible) and attaches the metatable `cls`.
// The new object is left on top of the stack.
void AttachClass(lua_State* L, const char* cls);
template <class T>
inline T* NewRecord(lua_State* L, const char* cls) {
  // Lua 5.1 and LuaJIT both align userdata to 8 bytes, not 16.
  static_assert(alignof(T) <= 8, "a record needs more alignment than userdata gives");
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

// ---- Integers ----
// One rule for every integer argument and field: the number is truncated
// toward zero, as Lua 5.1's lua_tointeger does, and a value outside the int
// range saturates to INT_MIN / INT_MAX (NaN reads as 0). Where a function has
// a documented range, the binding checks it after reading (CheckIntRange).
inline int NumberToInt(lua_Number n) {
  if (!(n == n)) return 0;  // NaN
  if (n >= 2147483647.0) return INT32_MAX;
  if (n <= -2147483648.0) return INT32_MIN;
  return int(n);  // truncation toward zero
}
// The argument at `idx`; Lua's standard argument error when it is not a number.
// Inline, as luaL_checknumber's test: only a 0 can be a non-number.
inline int CheckInt(lua_State* L, int idx) {
  lua_Number n = lua_tonumber(L, idx);
  if (n == 0 && !lua_isnumber(L, idx)) n = luaL_checknumber(L, idx);  // raises the argument error
  return NumberToInt(n);
}
// As CheckInt, but an absent or nil argument gives `def`.
int OptInt(lua_State* L, int idx, int def);
// Any value: a non-number (or non-numeric string) reads as 0.
int ToInt(lua_State* L, int idx);
// CheckInt, then raises the engine message `msg` unless lo <= value <= hi.
int CheckIntRange(lua_State* L, int idx, int lo, int hi, const char* msg);

// ---- Option-table fields ----
// Each reads t[key] of the table at `table` (with metamethods, as
// lua_gettable does). nil gives `def`; a value of the wrong kind raises the
// engine message `msg`. "Number" is what lua_isnumber accepts, so numeric
// strings count; "string" is what lua_isstring accepts, so numbers count.
int OptIntField(lua_State* L, int table, const char* key, int def, const char* msg);
lua_Number OptNumberField(lua_State* L, int table, const char* key, lua_Number def, const char* msg);
// Leaves the value on top of the stack, so the returned string stays valid
// until the caller pops it (a number is converted there, not in the table).
// Null (with nil on the stack) when absent.
const char* OptStringField(lua_State* L, int table, const char* key, const char* msg, size_t* len = nullptr);
// Any value: Lua truth (nil and false are false).
bool BoolField(lua_State* L, int table, const char* key);
// True when t[key] is not nil.
bool HasField(lua_State* L, int table, const char* key);

// ---- Guarded C++ work ----
// What guarded work reports back: empty when it succeeded, else the engine
// message (UTF-8) to raise. Plain data, so a raise may skip over it.
struct Outcome {
  bool failed = false;
  char text[1024] = {};
  // Sets the message (printf format, UTF-8). The first failure wins.
  void Fail(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
};

// The message for an allocation failure outside any load path.
extern const char* const kOutOfMemoryMessage;

// Runs `work(Outcome&)` with every C++ exception caught, then raises the
// engine message it reported, or `onException` (default: the out-of-memory
// message) when it threw. The raise happens only after the work's frames are
// gone, so the work may own strings, vectors and locks freely; the binding's
// own frame must own none. Results travel back through plain locals the
// lambda captures by reference.
void RaiseOutcome(lua_State* L, const Outcome& out);
template <class Work>
inline void RunGuarded(lua_State* L, Work&& work, const char* onException = nullptr) {
  Outcome out;
  try {
    work(out);
  } catch (...) {
    out.failed = false;
    out.Fail("%s", onException ? onException : kOutOfMemoryMessage);
  }
  if (out.failed) RaiseOutcome(L, out);
}

// Runs C++ work that must not let an exception escape (a Lua C function, a
// thread body, a clean-up step). False when it threw.
template <class Work>
inline bool Guard(Work&& work) noexcept {
  try {
    work();
    return true;
  } catch (...) {
    return false;
  }
}

// Returns a string that guarded work built on the heap as the call's one
// result (no result when null) and frees it. Only a failed Lua allocation,
// which raises, can skip the free.
int ReturnOwnedString(lua_State* L, std::string* owned);

// A colour argument: the number truncated to a 64-bit integer, low 32 bits (0xAARRGGBB).
uint32_t CheckColor(lua_State* L, int idx);
uint32_t ToColor(lua_State* L, int idx);

// Registers `funcs` into the global table `name` (created when missing, merged otherwise).
void RegisterModule(lua_State* L, const char* name, const luaL_Reg* funcs);

// Registers a class: metatable `name` with __index = itself holding `methods`
// (each with the metatable as upvalue, for CheckSelf), and the global
// constructor table `name` holding `ctors`. Registering a class again merges.
void RegisterClass(lua_State* L, const char* name, const luaL_Reg* methods, const luaL_Reg* ctors);

// Calls the script hook callback.<field> if `callback` is a table and the
// field a function (unprotected: an error propagates to the running script).
// Returns false when there is no such hook. The stack is restored.
bool CallHook(lua_State* L, const char* field, int nresults);

}  // namespace qor
