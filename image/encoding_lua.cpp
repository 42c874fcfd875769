// The encoding module's text conversions and little-endian byte readers.
#include <cstdint>
#include <cstring>
#include <string>

#include "host/binding.h"
#include "host/modules.h"
#include "image/text.h"
#include "image/zenkaku.h"

namespace qor {
namespace {

// Pushes the result of a conversion. The std::string lives only inside this
// helper, so no C++ object is owned by the binding's frame when Lua runs.
template <class F>
void PushConverted(lua_State* L, const char* s, size_t len, F convert) {
  std::string out = convert(std::string_view(s, len));
  lua_pushlstring(L, out.data(), out.size());
}

// The whole string is converted, embedded zero bytes included.
int AnsiToUtf8Lua(lua_State* L) {
  if (lua_gettop(L) == 0) return 0;
  size_t len;
  const char* s = luaL_checklstring(L, 1, &len);
  PushConverted(L, s, len, [](std::string_view v) { return AnsiToUtf8(v); });
  return ReturnResults(L, 1);
}

int Utf8ToAnsiLua(lua_State* L) {
  if (lua_gettop(L) == 0) return 0;
  size_t len;
  const char* s = luaL_checklstring(L, 1, &len);
  PushConverted(L, s, len, [](std::string_view v) { return Utf8ToAnsi(v); });
  return ReturnResults(L, 1);
}

void PushUtf16Table(lua_State* L, const char* s, size_t len) {
  std::u16string u = Utf8ToUtf16(std::string_view(s, len));
  size_t n = 0;
  while (n < u.size() && u[n] != 0) ++n;  // the list stops at the first U+0000
  lua_createtable(L, int(n), 0);
  for (size_t i = 0; i < n; ++i) {
    lua_pushinteger(L, u[i]);
    lua_rawseti(L, -2, int(i + 1));
  }
}

int Utf8ToUtf16Lua(lua_State* L) {
  size_t len;
  const char* s = luaL_checklstring(L, 1, &len);
  PushUtf16Table(L, s, len);
  return ReturnResults(L, 1);
}

int ZenkakuLua(lua_State* L) {
  size_t len;
  const char* s = luaL_checklstring(L, 1, &len);
  PushConverted(L, s, len, [](std::string_view v) { return ZenkakuUtf8(v); });
  return ReturnResults(L, 1);
}

// The first `n` bytes of the argument; bytes the string lacks read as 0.
void FirstBytes(lua_State* L, unsigned char* out, size_t n) {
  size_t len;
  const char* s = luaL_checklstring(L, 1, &len);
  memset(out, 0, n);
  memcpy(out, s, len < n ? len : n);
}

int BToFloat(lua_State* L) {
  unsigned char b[4];
  FirstBytes(L, b, 4);
  uint32_t bits = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
  float f;
  memcpy(&f, &bits, 4);
  ClearStack(L);
  lua_pushnumber(L, double(f));
  return 1;
}

int BToWord(lua_State* L) {
  unsigned char b[2];
  FirstBytes(L, b, 2);
  ClearStack(L);
  lua_pushnumber(L, double(uint32_t(b[0]) | uint32_t(b[1]) << 8));
  return 1;
}

int BToDword(lua_State* L) {
  unsigned char b[4];
  FirstBytes(L, b, 4);
  uint32_t v = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
  ClearStack(L);
  lua_pushnumber(L, double(v));
  return 1;
}

}  // namespace

const luaL_Reg kEncodingFuncs[] = {
    {"ansi_to_utf8", AnsiToUtf8Lua},
    {"utf8_to_ansi", Utf8ToAnsiLua},
    {"utf8_to_utf16", Utf8ToUtf16Lua},
    {"zenkaku", ZenkakuLua},
    {"b_to_float", BToFloat},
    {"b_to_word", BToWord},
    {"b_to_dword", BToDword},
    {nullptr, nullptr},
};

}  // namespace qor
