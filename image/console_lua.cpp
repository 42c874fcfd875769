// The console module: debugging output and input on the process's standard
// streams (stdout, stdin). Text is UTF-8 on both sides.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/binding.h"
#include "host/engine.h"
#include "host/modules.h"
#include "image/text.h"

namespace qor {
namespace {

// There is no console window to allocate here: the standard streams are the
// console. The flag still records that a script is using it.
void EnsureConsole() { g_consoleOpen = true; }

// The text form console.print writes: strings and numbers as Lua gives them,
// other values as the script's tostring() shows them.
const char* PrintForm(lua_State* L, int i, size_t* len) {
  if (lua_type(L, i) == LUA_TSTRING || lua_type(L, i) == LUA_TNUMBER) return lua_tolstring(L, i, len);
  lua_getglobal(L, "tostring");
  lua_pushvalue(L, i);
  lua_call(L, 1, 1);
  const char* s = lua_tolstring(L, -1, len);
  lua_replace(L, i);  // keep the string alive at the argument's slot
  if (!s) {
    *len = 0;
    return "";
  }
  return s;
}

int Open(lua_State* L) {
  EnsureConsole();
  ClearStack(L);
  return 0;
}

int Write(lua_State* L) {
  size_t len;
  const char* s = luaL_checklstring(L, 1, &len);
  EnsureConsole();
  fwrite(s, 1, len, stdout);
  fflush(stdout);
  ClearStack(L);
  return 0;
}

int Print(lua_State* L) {
  EnsureConsole();
  int n = lua_gettop(L);
  for (int i = 1; i <= n; ++i) {
    size_t len;
    const char* s = PrintForm(L, i, &len);
    fwrite(s, 1, len, stdout);
    fputc('\n', stdout);
  }
  fflush(stdout);
  ClearStack(L);
  return 0;
}

bool IsValidUtf8(const unsigned char* s, size_t n) {
  size_t i = 0;
  while (i < n) {
    unsigned char c = s[i];
    size_t k;
    uint32_t cp;
    if (c < 0x80) { ++i; continue; }
    if (c >= 0xC2 && c <= 0xDF) { k = 1; cp = c & 0x1F; }
    else if (c >= 0xE0 && c <= 0xEF) { k = 2; cp = c & 0x0F; }
    else if (c >= 0xF0 && c <= 0xF4) { k = 3; cp = c & 0x07; }
    else return false;
    for (size_t j = 1; j <= k; ++j) {
      if (i + j >= n || (s[i + j] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (s[i + j] & 0x3F);
    }
    if ((k == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (k == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
      return false;
    i += k + 1;
  }
  return true;
}

// Pushes the line read, or nil at end of input. A terminal on this platform
// delivers UTF-8, which is returned unchanged; anything that is not valid
// UTF-8 is taken as CP932 text and converted.
void PushLine(lua_State* L, const char* line, size_t len) {
  if (IsValidUtf8(reinterpret_cast<const unsigned char*>(line), len)) {
    lua_pushlstring(L, line, len);
    return;
  }
  std::string u = AnsiToUtf8(std::string_view(line, len));
  lua_pushlstring(L, u.data(), u.size());
}

int Readline(lua_State* L) {
  EnsureConsole();
  ClearStack(L);
  fflush(stdout);  // a prompt written just before is seen first
  char buf[1024];
  if (!fgets(buf, sizeof buf, stdin)) {
    lua_pushnil(L);
    return 1;
  }
  size_t len = strlen(buf);
  if (len > 0 && buf[len - 1] == '\n') buf[--len] = 0;  // a CR before it stays
  PushLine(L, buf, len);
  return 1;
}

int Locate(lua_State* L) {
  lua_Integer x = luaL_checkinteger(L, 1);
  lua_Integer y = luaL_checkinteger(L, 2);
  EnsureConsole();
  ClearStack(L);
  // Cursor positions are 16-bit and 0-based; the escape sequence is 1-based.
  auto clamp = [](lua_Integer v) { return v < 0 ? 0 : v > 32767 ? 32767 : int(v); };
  if (isatty(fileno(stdout))) {
    printf("\x1b[%d;%dH", clamp(y) + 1, clamp(x) + 1);
    fflush(stdout);
  }
  return 0;
}

int Close(lua_State* L) {
  fflush(stdout);
  g_consoleOpen = false;
  ClearStack(L);
  return 0;
}

}  // namespace

const luaL_Reg kConsoleFuncs[] = {
    {"open", Open},   {"write", Write},   {"print", Print}, {"readline", Readline},
    {"locate", Locate}, {"close", Close}, {nullptr, nullptr},
};

}  // namespace qor
