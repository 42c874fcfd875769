// The encoding module's text conversions and little-endian byte readers.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "host/binding.h"
#include "host/modules.h"
#include "platform/text.h"
#include "image/zenkaku.h"

namespace qor {
namespace {

// Pushes `convert(s)`. The result can grow to at most `growth` bytes per
// input byte, so its buffer is a Lua userdata made before the C++ work: the
// conversion (which may throw) runs guarded and its strings are gone before
// anything is pushed or raised.
template <class F>
void PushConverted(lua_State* L, const char* s, size_t len, size_t growth, F convert) {
  if (len > (SIZE_MAX - 1) / growth) RaiseMessage(L, "%s", kOutOfMemoryMessage);
  const size_t cap = len * growth + 1;
  char* buf = static_cast<char*>(lua_newuserdata(L, cap));
  size_t n = 0;
  RunGuarded(L, [&](Outcome& out) {
    std::string r = convert(std::string_view(s, len));
    if (r.size() > cap) return out.Fail("%s", kOutOfMemoryMessage);
    memcpy(buf, r.data(), r.size());
    n = r.size();
  });
  lua_pushlstring(L, buf, n);
  lua_remove(L, -2);  // the buffer
}

// The whole string is converted, embedded zero bytes included. A CP932 byte
// becomes at most three UTF-8 bytes; UTF-8 never grows into CP932.
int EncodingAnsiToUtf8(lua_State* L) {
  if (lua_gettop(L) == 0) return 0;
  size_t len;
  const char* s = luaL_checklstring(L, 1, &len);
  PushConverted(L, s, len, 3, [](std::string_view v) { return platform::AnsiToUtf8(v); });
  return ReturnResults(L, 1);
}

int EncodingUtf8ToAnsi(lua_State* L) {
  if (lua_gettop(L) == 0) return 0;
  size_t len;
  const char* s = luaL_checklstring(L, 1, &len);
  PushConverted(L, s, len, 1, [](std::string_view v) { return platform::Utf8ToAnsi(v); });
  return ReturnResults(L, 1);
}

// A table of the UTF-16 code units, up to the first U+0000. Each UTF-8 byte
// gives at most one unit, so the units fit a buffer of the input's length.
int EncodingUtf8ToUtf16(lua_State* L) {
  size_t len;
  const char* s = luaL_checklstring(L, 1, &len);
  if (len > SIZE_MAX / sizeof(char16_t) - 1) RaiseMessage(L, "%s", kOutOfMemoryMessage);
  auto* units = static_cast<char16_t*>(lua_newuserdata(L, (len + 1) * sizeof(char16_t)));
  size_t n = 0;
  RunGuarded(L, [&](Outcome& out) {
    std::u16string u = platform::Utf8ToUtf16(std::string_view(s, len));
    if (u.size() > len) return out.Fail("%s", kOutOfMemoryMessage);
    while (n < u.size() && u[n] != 0) ++n;  // the list stops at the first U+0000
    memcpy(units, u.data(), n * sizeof(char16_t));
  });
  lua_createtable(L, int(n), 0);
  for (size_t i = 0; i < n; ++i) {
    lua_pushinteger(L, units[i]);
    lua_rawseti(L, -2, int(i + 1));
  }
  return ReturnResults(L, 1);
}

// Every half-width character becomes one full-width one of at most three bytes.
int EncodingZenkaku(lua_State* L) {
  size_t len;
  const char* s = luaL_checklstring(L, 1, &len);
  PushConverted(L, s, len, 3, [](std::string_view v) { return ZenkakuUtf8(v); });
  return ReturnResults(L, 1);
}

// The first `n` bytes of the argument; bytes the string lacks read as 0.
void FirstBytes(lua_State* L, unsigned char* out, size_t n) {
  size_t len;
  const char* s = luaL_checklstring(L, 1, &len);
  memset(out, 0, n);
  memcpy(out, s, len < n ? len : n);
}

int EncodingBToFloat(lua_State* L) {
  unsigned char b[4];
  FirstBytes(L, b, 4);
  uint32_t bits = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
  float f;
  memcpy(&f, &bits, 4);
  ClearStack(L);
  lua_pushnumber(L, double(f));
  return 1;
}

int EncodingBToWord(lua_State* L) {
  unsigned char b[2];
  FirstBytes(L, b, 2);
  ClearStack(L);
  lua_pushnumber(L, double(uint32_t(b[0]) | uint32_t(b[1]) << 8));
  return 1;
}

int EncodingBToDword(lua_State* L) {
  unsigned char b[4];
  FirstBytes(L, b, 4);
  uint32_t v = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
  ClearStack(L);
  lua_pushnumber(L, double(v));
  return 1;
}

}  // namespace

const luaL_Reg kEncodingFuncs[] = {
    {"ansi_to_utf8", EncodingAnsiToUtf8},
    {"utf8_to_ansi", EncodingUtf8ToAnsi},
    {"utf8_to_utf16", EncodingUtf8ToUtf16},
    {"zenkaku", EncodingZenkaku},
    {"b_to_float", EncodingBToFloat},
    {"b_to_word", EncodingBToWord},
    {"b_to_dword", EncodingBToDword},
    {nullptr, nullptr},
};

}  // namespace qor
