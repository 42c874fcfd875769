// Lua bindings of gui's system services: the program's paths and handles,
// the documents folder, file listings, times and sizes, dialogs, the
// clipboard, opening files with the desktop and the beep.
#include <SDL.h>
#include <dlfcn.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>
#include <algorithm>

#include "host/binding.h"
#include "host/engine.h"
#include "host/modules.h"
#include "host/window.h"
#include "media/audio.h"
#include "media/mixer.h"
#include "platform/desktop.h"
#include "platform/file_dialogs.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace qor {
namespace {

// Pushes a C++ string built by guarded work and frees it (the push may raise
// only for want of memory).
int PushOwned(lua_State* L, std::string* s) {
  ClearStack(L);
  lua_pushlstring(L, s->data(), s->size());
  delete s;
  return 1;
}

// Runs `make` guarded and returns its string as the one result.
template <class Make>
int ReturnString(lua_State* L, Make&& make) {
  std::string* s = nullptr;
  RunGuarded(L, [&](Outcome&) { s = new std::string(make()); });
  return PushOwned(L, s);
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
    return platform::Utf8ToAnsi(p.substr(p.find_last_of("/\\") + 1));
  });
}

int GuiGetExeDir(lua_State* L) {
  return ReturnString(L, [] { return platform::Utf8ToAnsi(GameFolder()); });
}

int GuiGetTempDir(lua_State* L) {
  return ReturnString(L, [] { return platform::Utf8ToAnsi(platform::TempDirectory()); });
}

int GuiGetDocDir(lua_State* L) {
  const char* sub = lua_isstring(L, 1) ? lua_tostring(L, 1) : nullptr;
  return ReturnString(L, [&] {
    std::string dir = platform::DocumentsFolder();
    if (sub) platform::MakeFolder(dir + sub);
    return platform::Utf8ToAnsi(dir) + (sub ? sub : "");
  });
}

int GuiGetHwnd(lua_State* L) {
  if (!g_mainWindow) RaiseMessage(L, "まだ作成していないので、GUIウィンドウのハンドルは取得できません。");
  ClearStack(L);
  lua_pushlightuserdata(L, g_mainWindow);
  return 1;
}

int GuiGetHinstance(lua_State* L) {
  static void* self = dlopen(nullptr, RTLD_LAZY);
  ClearStack(L);
  lua_pushlightuserdata(L, self);
  return 1;
}

int GuiGetCommandLine(lua_State* L) {
  return ReturnString(L, [] { return platform::CommandLineText(); });
}

int GuiSetClipboard(lua_State* L) {
  const char* text = luaL_checkstring(L, 1);
  InitVideo();
  if (SDL_SetClipboardText(text) != 0) fprintf(stderr, "qor: cannot set the clipboard: %s\n", SDL_GetError());
  ClearStack(L);
  return 0;
}

// ---- dialogs ----

// The dialog tool's answer, or the --input script's when running headless or
// without a tool. False when cancelled (a missing answer cancels, with one
// stderr line). `text` is UTF-8.
bool AskDialog(const platform::DialogRequest& request, std::string* text) {
  if (!RunningHeadless()) {
    platform::DialogAnswer a = platform::RunDialog(request, text);
    if (a != platform::DialogAnswer::kNoTool) return a == platform::DialogAnswer::kOk;
  }
  switch (TakeScriptedAnswer(text)) {
    case ScriptedAnswer::kText: return true;
    case ScriptedAnswer::kCancel: return false;
    case ScriptedAnswer::kNone: break;
  }
  fprintf(stderr, "qor: dialog \"%s\": no answer left in the --input script; cancelled\n", request.title.c_str());
  return false;
}

// A scripted file answer made absolute against the game folder, and checked
// against the dialog's rules (the real tools enforce them themselves).
bool CheckScriptedPath(const platform::DialogRequest& r, std::string* path) {
  if (!path->empty() && (*path)[0] != '/') *path = GameFolder() + *path;
  std::string folder = path->substr(0, path->find_last_of('/') + 1);
  bool ok = true;
  const char* rule = "";
  if (r.kind == platform::DialogKind::kSave) {
    ok = platform::FileExists(folder.c_str());
    rule = "its folder must exist";
  } else if (r.kind == platform::DialogKind::kOpen) {
    ok = platform::RegularFileExists(path->c_str());
    rule = "the file must exist";
  } else if (r.kind == platform::DialogKind::kFolder) {
    ok = platform::FileExists(path->c_str()) && !platform::RegularFileExists(path->c_str());
    rule = "the folder must exist";
  }
  if (!ok) fprintf(stderr, "qor: dialog \"%s\": \"%s\" refused (%s); cancelled\n", r.title.c_str(), path->c_str(), rule);
  return ok;
}

// Runs a file dialog that `fill` describes; the chosen path in the ANSI
// code page, or nothing. Every C++ object lives inside the guarded work.
template <class Fill>
int ReturnChosenPath(lua_State* L, Fill&& fill) {
  std::string* chosen = nullptr;
  RunGuarded(L, [&](Outcome&) {
    platform::DialogRequest request;
    fill(request);
    std::string text;
    if (!AskDialog(request, &text) || text.empty()) return;
    if (!CheckScriptedPath(request, &text)) return;
    if (request.kind == platform::DialogKind::kFolder && text.back() != '/') text += '/';
    chosen = new std::string(platform::Utf8ToAnsi(text));
  });
  if (!chosen) {
    ClearStack(L);
    return 0;
  }
  return PushOwned(L, chosen);
}

// The extension argument as the dialogs use it (a number becomes its text).
std::string ExtensionArg(lua_State* L) {
  return platform::AnsiToUtf8(lua_isstring(L, 1) ? lua_tostring(L, 1) : "txt");
}

int GuiSaveDialog(lua_State* L) {
  return ReturnChosenPath(L, [&](platform::DialogRequest& r) {
    std::string ext = ExtensionArg(L);
    r.kind = platform::DialogKind::kSave;
    r.title = "保存するファイル名を入力してください";
    // The name buffer holds 255 bytes.
    r.fileName = lua_isstring(L, 2) ? platform::AnsiToUtf8(std::string(lua_tostring(L, 2)).substr(0, 255))
                                    : "out." + ext;
    r.filterName = ext + "ファイル";
    r.pattern = "*." + ext;
  });
}

int GuiLoadDialog(lua_State* L) {
  return ReturnChosenPath(L, [&](platform::DialogRequest& r) {
    std::string ext = ExtensionArg(L);
    r.kind = platform::DialogKind::kOpen;
    r.title = "読み込むファイルを指定してください";
    r.filterName = ext + "ファイル";
    r.pattern = "*." + ext;
  });
}

int GuiDirDialog(lua_State* L) {
  return ReturnChosenPath(L, [](platform::DialogRequest& r) {
    r.kind = platform::DialogKind::kFolder;
    r.title = "処理するフォルダを選択してください。";
  });
}

int GuiInput(lua_State* L) {
  const char* message = luaL_checkstring(L, 1);
  const char* title = lua_gettop(L) >= 2 ? luaL_checkstring(L, 2) : "入力";
  std::string* typed = nullptr;
  RunGuarded(L, [&](Outcome&) {
    platform::DialogRequest r;
    r.kind = platform::DialogKind::kInput;
    r.title = title;
    r.message = message;
    std::string text;
    // The typed text passes through the ANSI code page, as the dialog's
    // buffer does: characters it lacks become '?'.
    if (AskDialog(r, &text)) typed = new std::string(platform::AnsiToUtf8(platform::Utf8ToAnsi(text)));
  });
  if (!typed) {
    ClearStack(L);
    return 0;
  }
  return PushOwned(L, typed);
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
    for (std::string& s : *list) s = platform::Utf8ToAnsi(s);
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

// The beep: a short tone in one mixer buffer kept for the run. Mixer
// buffers loop, so a timer stops it before the tone comes round again.
constexpr int kBeepRate = 22050;
constexpr int kBeepFrames = kBeepRate * 3 / 10;  // the buffer: 0.3 s
constexpr int kToneFrames = kBeepRate * 12 / 100;  // the tone: 0.12 s at 880 Hz
constexpr Uint32 kBeepStopMs = 200;
std::atomic<MixBuffer*> g_beepBuffer{nullptr};
SDL_TimerID g_beepTimer = 0;

Uint32 StopBeepTimer(Uint32, void*) {
  if (MixBuffer* b = g_beepBuffer.load()) b->Stop();
  return 0;
}

int16_t BeepSample(int i) {
  if (i >= kToneFrames) return 0;
  int edge = std::min(i, kToneFrames - 1 - i);
  double fade = edge < 110 ? edge / 110.0 : 1.0;  // 5 ms ramps: no clicks
  return static_cast<int16_t>(9000 * fade * std::sin(2 * M_PI * 880.0 * i / kBeepRate));
}

void PlayBeep() {
  static bool timers = SDL_InitSubSystem(SDL_INIT_TIMER) == 0;
  UMixer* mixer = DeviceMixer();
  if (!AudioDeviceOpen() || !mixer || !timers) return platform::TerminalBell();
  MixBuffer* b = g_beepBuffer.load();
  if (!b) {
    PcmFormat f{1, kBeepRate, 16, 2, 2 * kBeepRate};
    b = mixer->CreateBuffer(f, 2 * kBeepFrames);
    if (!b) return platform::TerminalBell();
    g_beepBuffer.store(b);
  }
  if (g_beepTimer) SDL_RemoveTimer(g_beepTimer);
  b->Stop();
  // The tone is written from the play cursor on, so it starts at once.
  void *p1, *p2;
  uint32_t n1, n2;
  if (!b->Lock(b->GetCurrentPosition(), b->Size(), &p1, &n1, &p2, &n2)) return;
  int i = 0;
  for (int16_t* s = static_cast<int16_t*>(p1); s < static_cast<int16_t*>(p1) + n1 / 2; ++s) *s = BeepSample(i++);
  if (p2)
    for (int16_t* s = static_cast<int16_t*>(p2); s < static_cast<int16_t*>(p2) + n2 / 2; ++s) *s = BeepSample(i++);
  b->Unlock(p1, n1, p2, n2);
  b->Play();
  g_beepTimer = SDL_AddTimer(kBeepStopMs, StopBeepTimer, nullptr);
}

int GuiBeep(lua_State* L) {
  ClearStack(L);
  Guard([] { PlayBeep(); });
  return 0;
}

}  // namespace

int StopBeepStep() {
  if (g_beepTimer) SDL_RemoveTimer(g_beepTimer);
  g_beepTimer = 0;
  if (MixBuffer* b = g_beepBuffer.exchange(nullptr)) b->Stop();
  return 0;
}

const luaL_Reg kGuiSystemFuncs[] = {
    {"getexename", GuiGetExeName},
    {"getexedir", GuiGetExeDir},
    {"gettempdir", GuiGetTempDir},
    {"getdocdir", GuiGetDocDir},
    {"gethwnd", GuiGetHwnd},
    {"gethinstance", GuiGetHinstance},
    {"getcommandline", GuiGetCommandLine},
    {"setclipboard", GuiSetClipboard},
    {"savedialog", GuiSaveDialog},
    {"loaddialog", GuiLoadDialog},
    {"dirdialog", GuiDirDialog},
    {"getfilelist", GuiGetFileList},
    {"input", GuiInput},
    {"shell", GuiShell},
    {"beep", GuiBeep},
    {"mkdir", GuiMkdir},
    {"getfiletime", GuiGetFileTime},
    {"getfilesize", GuiGetFileSize},
    {"splitpath", GuiSplitPath},
    {nullptr, nullptr},
};

}  // namespace qor
