// The console module: debugging output and input on the process's standard
// streams (stdout, stdin). Text is UTF-8 on both sides.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "host/binding.h"
#include "host/modules.h"
#include "platform/console.h"
#include "platform/text.h"

namespace qor {
namespace {

// Every function makes sure the console exists first: on Linux the standard
// streams are the console; a Windows game started without one gets a console
// window on first use (platform/console.h).

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

int ConsoleOpen(lua_State* L) {
  platform::OpenConsole();
  ClearStack(L);
  return 0;
}

int ConsoleWrite(lua_State* L) {
  size_t len;
  const char* s = luaL_checklstring(L, 1, &len);
  platform::OpenConsole();
  fwrite(s, 1, len, stdout);
  fflush(stdout);
  ClearStack(L);
  return 0;
}

int ConsolePrint(lua_State* L) {
  platform::OpenConsole();
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

constexpr size_t kLineBytes = 1024;

// Pushes the line read. A terminal on this platform delivers UTF-8, which is
// returned unchanged; anything that is not valid UTF-8 is taken as CP932
// text and converted, into a buffer of this frame (a CP932 byte becomes at
// most three UTF-8 bytes) by guarded work that ends before the push.
void PushLine(lua_State* L, const char* line, size_t len) {
  char utf8[kLineBytes * 3 + 1];
  size_t n = 0;
  bool asRead = IsValidUtf8(reinterpret_cast<const unsigned char*>(line), len) ||
                   !Guard([&] { n = platform::AnsiToUtf8(line, len, utf8, sizeof utf8); });
  if (asRead) {
    lua_pushlstring(L, line, len);  // valid already (or, without memory to convert, as read)
    return;
  }
  lua_pushlstring(L, utf8, n);
}

int ConsoleReadline(lua_State* L) {
  ClearStack(L);
  platform::OpenConsole();
  fflush(stdout);  // a prompt written just before is seen first
  char buf[kLineBytes];
  if (!fgets(buf, sizeof buf, stdin)) {
    lua_pushnil(L);
    return 1;
  }
  size_t len = strlen(buf);
  if (len > 0 && buf[len - 1] == '\n') buf[--len] = 0;  // a CR before it stays
  PushLine(L, buf, len);
  return 1;
}

int ConsoleLocate(lua_State* L) {
  int x = CheckInt(L, 1);
  int y = CheckInt(L, 2);
  ClearStack(L);
  platform::OpenConsole();
  // Cursor positions are 16-bit and 0-based.
  auto clamp = [](int v) { return v < 0 ? 0 : v > 32767 ? 32767 : v; };
  platform::LocateCursor(clamp(x), clamp(y));
  return 0;
}

int ConsoleClose(lua_State* L) {
  platform::CloseConsole();
  ClearStack(L);
  return 0;
}

}  // namespace

const luaL_Reg kConsoleFuncs[] = {
    {"open", ConsoleOpen},     {"write", ConsoleWrite}, {"print", ConsolePrint}, {"readline", ConsoleReadline},
    {"locate", ConsoleLocate}, {"close", ConsoleClose}, {nullptr, nullptr},
};

}  // namespace qor
