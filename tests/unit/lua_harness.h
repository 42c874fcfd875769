// The unit tests' Lua harness: run a chunk and expect it to succeed, or to
// fail with a message. Engine messages are CP932; errors come back as UTF-8
// so tests compare them with UTF-8 literals (ASCII is unchanged).
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "host/lua.h"
#include "platform/text.h"

namespace qor::test {

// Runs `code`, keeping `results` results on the stack; "" on success, else the error text.
inline std::string RunLua(lua_State* L, const char* code, int results = 0) {
  if (luaL_loadstring(L, code) != 0 || lua_pcall(L, 0, results, 0) != 0) {
    const char* e = lua_tostring(L, -1);
    std::string err = e ? platform::AnsiToUtf8(e) : "(error object is not a string)";
    lua_pop(L, 1);
    return err;
  }
  return "";
}

inline void ExpectLuaOk(lua_State* L, const char* code) { EXPECT_EQ(RunLua(L, code), "") << code; }

inline void ExpectLuaFails(lua_State* L, const char* code, const std::string& message) {
  std::string err = RunLua(L, code);
  EXPECT_NE(err.find(message), std::string::npos) << code << " gave: " << (err.empty() ? "no error" : err);
}

}  // namespace qor::test
