// Lua bindings of gui's system services: the program's paths and handles,
// the documents folder, file listings, times and sizes, the clipboard and
// opening files with the desktop.
#include <SDL.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/binding.h"
#include "host/engine.h"
#include "host/modules.h"
#include "host/window.h"
#include "platform/clipboard.h"
#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace qor {
namespace {

// Runs `make` guarded and returns its string as the one result.
template <class Make>
int ReturnString(lua_State* L, Make&& make) {
  std::string* s = nullptr;
  RunGuarded(L, [&](Outcome&) { s = new std::string(make()); });
  return ReturnOwnedString(L, s);
}

// The game folder stands in for the executable's folder; the executable's
// path is that folder's path without its final separator.
std::string ExePathStandIn() {
  std::string p = GameFolder();
  if (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

int GuiGetExeName(lua_State* L) {
  return ReturnString(L, [] {
    std::string p = ExePathStandIn();
    return platform::PathToAnsi(p.substr(p.find_last_of("/\\") + 1));
  });
}

int GuiGetExeDir(lua_State* L) {
  return ReturnString(L, [] { return platform::PathToAnsi(GameFolder()); });
}

int GuiGetTempDir(lua_State* L) {
  return ReturnString(L, [] { return platform::PathToAnsi(platform::TempDirectory()); });
}

int GuiGetDocDir(lua_State* L) {
  const char* sub = lua_isstring(L, 1) ? lua_tostring(L, 1) : nullptr;
  return ReturnString(L, [&] {
    std::string dir = platform::DocumentsFolder();
    if (sub) platform::MakeFolder(dir + sub);
    return platform::PathToAnsi(dir) + (sub ? sub : "");
  });
}

int GuiGetHwnd(lua_State* L) {
  if (!g_mainWindow) RaiseMessage(L, "まだ作成していないので、GUIウィンドウのハンドルは取得できません。");
  ClearStack(L);
  lua_pushlightuserdata(L, g_mainWindow);
  return 1;
}

int GuiGetHinstance(lua_State* L) {
  ClearStack(L);
  lua_pushlightuserdata(L, platform::ModuleHandle());
  return 1;
}

int GuiGetCommandLine(lua_State* L) {
  return ReturnString(L, [] { return platform::CommandLineText(); });
}

int GuiSetClipboard(lua_State* L) {
  const char* text = luaL_checkstring(L, 1);
  InitVideo();
  Guard([&] {
    std::string why;
    if (!platform::SetClipboardText(text, g_mainWindow, &why))
      fprintf(stderr, "qor: cannot set the clipboard: %s\n", why.c_str());
  });
  ClearStack(L);
  return 0;
}

// ---- files ----

int GuiGetFileList(lua_State* L) {
  const char* folder = luaL_checkstring(L, 1);
  std::vector<std::string>* list = nullptr;
  RunGuarded(L, [&](Outcome&) {
    list = new std::vector<std::string>();
    std::string real = platform::ResolvePath(folder);
    platform::ListFilesRecursive(real, list, [](const std::string& sub) {
      fprintf(stderr, "qor: gui.getfilelist: cannot read the folder \"%s\"; skipped\n", sub.c_str());
    });
    for (std::string& s : *list) s = platform::PathToAnsi(s);
  });
  ClearStack(L);
  lua_createtable(L, static_cast<int>(list->size()), 0);
  for (size_t i = 0; i < list->size(); ++i) {
    lua_pushlstring(L, (*list)[i].data(), (*list)[i].size());
    lua_rawseti(L, -2, static_cast<int>(i + 1));
  }
  delete list;
  return 1;
}

int GuiGetFileTime(lua_State* L) {
  const char* path = luaL_checkstring(L, 1);
  int f[6] = {};
  RunGuarded(L, [&](Outcome&) { platform::FileLocalTime(platform::ResolvePath(path), f); });
  ClearStack(L);
  for (int v : f) lua_pushinteger(L, v);
  return 6;
}

int GuiGetFileSize(lua_State* L) {
  const char* path = luaL_checkstring(L, 1);
  int64_t size = 0;
  RunGuarded(L, [&](Outcome&) { size = platform::FileSize(platform::ResolvePath(path)); });
  ClearStack(L);
  lua_pushnumber(L, static_cast<lua_Number>(size));
  return 1;
}

int GuiMkdir(lua_State* L) {
  const char* path = luaL_checkstring(L, 1);
  Guard([&] { platform::MakeFolder(platform::ResolvePath(path)); });
  ClearStack(L);
  return 0;
}

int GuiSplitPath(lua_State* L) {
  const char* path = luaL_checkstring(L, 1);
  std::string* parts = nullptr;
  RunGuarded(L, [&](Outcome&) {
    parts = new std::string[2];
    platform::SplitEnginePath(path, &parts[0], &parts[1]);
  });
  ClearStack(L);
  lua_pushlstring(L, parts[0].data(), parts[0].size());
  lua_pushlstring(L, parts[1].data(), parts[1].size());
  delete[] parts;
  return 2;
}

// ---- desktop ----

int GuiShell(lua_State* L) {
  const char* path = luaL_checkstring(L, 1);
  // Headless runs (tests) never start desktop programs.
  if (!RunningHeadless()) Guard([&] { platform::OpenWithDesktop(path); });
  ClearStack(L);
  return 0;
}

}  // namespace

const luaL_Reg kGuiSystemFuncs[] = {
    {"getexename", GuiGetExeName},
    {"getexedir", GuiGetExeDir},
    {"gettempdir", GuiGetTempDir},
    {"getdocdir", GuiGetDocDir},
    {"gethwnd", GuiGetHwnd},
    {"gethinstance", GuiGetHinstance},
    {"getcommandline", GuiGetCommandLine},
    {"setclipboard", GuiSetClipboard},
    {"getfilelist", GuiGetFileList},
    {"shell", GuiShell},
    {"mkdir", GuiMkdir},
    {"getfiletime", GuiGetFileTime},
    {"getfilesize", GuiGetFileSize},
    {"splitpath", GuiSplitPath},
    {nullptr, nullptr},
};

}  // namespace qor
