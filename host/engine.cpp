// Start-up, running scripts, fatal errors and the exit clean-up.
#include "host/engine.h"

#include <SDL.h>

#include <cerrno>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/archive.h"
#include "host/cipher.h"
#include "host/binding.h"
#include "host/config.h"
#include "host/license_page.h"
#include "host/lua_compat.h"
#include "host/options.h"
#include "host/resource.h"
#include "host/resource_stream.h"
#include "host/window.h"
#include "platform/text.h"
#include "platform/dialog.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace qor {

bool g_movieOpen = false;
bool g_logEnabled = false;

namespace {

// The one Lua state (null until start-up creates it, null again after clean-up).
lua_State* g_L = nullptr;
// Paths fixed at start-up. The exe directory (the game folder, ending in
// '/') is the current directory for the whole run.
std::string g_exePath;
std::string g_exeDir;
void (*g_movieCloser)() = nullptr;

bool g_inCleanup = false;
bool g_finishing = false;      // the steps of the clean-up that need no Lua have begun
int g_exitStatus = 0;          // the status the run ends with, as far as the engine knows
bool g_statusChanged = false;  // the clean-up changed it: the process ends with _exit(g_exitStatus)
char g_exitSentinel;           // error object of os.exit inside callback.finalize
std::string g_lastTraceback;   // traceback of the last failed script, for stderr

void SetCleanupStatus(int status) {
  g_exitStatus = status & 0xFF;
  g_statusChanged = true;
}

// Message handler of the protected calls that run scripts: leaves the error
// value as it is (the fatal box shows exactly the Lua message) and keeps a
// traceback for stderr. The copy into the C++ string is the only C++ work and
// is guarded: no exception may leave a Lua C function.
int KeepTraceback(lua_State* L) {
  lua_getglobal(L, "debug");
  if (lua_istable(L, -1)) {
    lua_getfield(L, -1, "traceback");
    if (lua_isfunction(L, -1)) {
      lua_pushstring(L, "traceback:");
      lua_pushinteger(L, 2);
      if (lua_pcall(L, 2, 1, 0) == 0 && lua_isstring(L, -1)) {
        size_t len;
        const char* text = lua_tolstring(L, -1, &len);
        if (!Guard([&] { g_lastTraceback.assign(text, len); })) g_lastTraceback.clear();
      }
    }
  }
  lua_settop(L, 1);
  return 1;
}

// os.exit: ends the run through the clean-up like any other exit. Inside the
// clean-up (callback.finalize) it ends finalize instead, and the clean-up
// completes before the process ends with that status.
int OsExit(lua_State* L) {
  int status = OptInt(L, 1, EXIT_SUCCESS);
  if (!g_inCleanup) EndProcess(status);
  SetCleanupStatus(status);
  lua_pushlightuserdata(L, &g_exitSentinel);
  return lua_error(L);
}

// lua_pcall with the traceback keeper; the error value is left on top on failure.
int ProtectedCall(lua_State* L, int nargs, int nresults) {
  int base = lua_gettop(L) - nargs;
  lua_pushcfunction(L, KeepTraceback);
  lua_insert(L, base);
  g_lastTraceback.clear();
  int r = lua_pcall(L, nargs, nresults, base);
  lua_remove(L, base);
  return r;
}

[[noreturn]] void ScriptFailure(lua_State* L, const char* fmt) {
  const char* msg = lua_tostring(L, -1);
  if (!g_lastTraceback.empty()) fprintf(stderr, "%s\n", platform::AnsiToUtf8(g_lastTraceback).c_str());
  FatalError(fmt, msg ? msg : "(error object is not a string)");
}

const char* const kErrorWrapper =
    "do local f=error error=function (str,l) l=l or 1 str=encoding.utf8_to_ansi(str) f(str,l+1) end end";

void InstallErrorWrapper(lua_State* L) {
  // Named as Lua 5.1 shortens its source: the position prefix appears in every
  // error(msg, 0), and LuaJIT would shorten the same source differently.
  char name[64];
  Lua51StringChunkName(kErrorWrapper, name, sizeof name);
  if (luaL_loadbuffer(L, kErrorWrapper, strlen(kErrorWrapper), name) != 0 || ProtectedCall(L, 0, LUA_MULTRET) != 0)
    ScriptFailure(L, "Luaスクリプトのエラーです。\r\n%s");
}

// The game folder: the argument, else the executable's folder when it holds a
// game (root.lua or 00.qar), else the current folder.
std::string ChooseGameDir(const std::string& given, const std::string& exePath) {
  if (!given.empty()) return given;
  std::string dir = exePath.substr(0, exePath.find_last_of('/') + 1);
  auto exists = [](const std::string& p) { return platform::KindOfPath(p) != platform::PathKind::kMissing; };
  if (!dir.empty() && (exists(dir + "root.lua") || exists(dir + "00.qar")))
    return dir;
  return ".";
}

}  // namespace

namespace {

// Formats a fatal message (UTF-8 format, ANSI arguments) and shows it: stderr
// always (UTF-8), a message box when a display is available.
void ShowFatal(const char* fmt, va_list ap) {
  char ansiFmt[1024];
  platform::Utf8ToAnsi(fmt, strlen(fmt), ansiFmt, sizeof ansiFmt);
  char text[1024];
  vsnprintf(text, sizeof text, ansiFmt, ap);
  std::string utf8 = platform::AnsiToUtf8(text);
  fprintf(stderr, "qor: エラー: %s\n", utf8.c_str());
  fflush(stderr);
  if (platform::DialogsOnDisplay(g_options.headless)) ShowBox(utf8.c_str(), "エラー", platform::BoxKind::kError);
}

void ReportFatal(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  ShowFatal(fmt, ap);
  va_end(ap);
}

// The device steps the layers above add (sound, then the screen with its
// --screenshot file), in the order added.
constexpr int kMaxExitSteps = 8;
int (*g_exitSteps[kMaxExitSteps])() = {};
int g_exitStepCount = 0;

// The steps of the clean-up that need no Lua: the licence page, the device
// steps, the window and SDL. Runs once.
void FinishCleanup() {
  if (g_finishing) return;
  g_finishing = true;
  RemoveLicensePage();
  fflush(stdout);
  for (int i = 0; i < g_exitStepCount; ++i) {
    int status = g_exitSteps[i]();
    if (status != 0 && g_exitStatus == 0) SetCleanupStatus(status);
  }
  DestroyMainWindow();
  SDL_Quit();
  fflush(nullptr);
}

}  // namespace

bool CleanupRunning() { return g_inCleanup; }

void EndProcess(int status) {
  g_exitStatus = status & 0xFF;
  exit(status);
}

void FatalError(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  ShowFatal(fmt, ap);
  va_end(ap);
  if (g_inCleanup) {
    // Already exiting: exit() may not be called again, and the Lua state is
    // in use below this call. Finish what needs no Lua, then end.
    SetCleanupStatus(255);
    FinishCleanup();
    std::_Exit(255);
  }
  EndProcess(-1);
}

namespace {

// How loading a script ended. kLoaded: the chunk is on the stack. The others
// carry their text in `reason` (ANSI), or, when `reason` is empty, leave Lua's
// message on the stack.
enum class ScriptLoad { kLoaded, kMissing, kLooseFailed, kMemberFailed };

// Finds, reads and compiles a script. Only C++ work and luaL_loadbuffer (which
// is protected) happen here, so nothing can jump over this frame, and every
// C++ exception (an allocation failure) ends as a load failure: the caller
// reports it once the strings and buffers of this frame are gone.
//
// A loose file loads like luaL_loadfile (a first line starting with '#' is
// skipped; precompiled chunks load too), with the chunk named in the ANSI
// code page so that a Japanese file name shows correctly in error positions.
// An archive member loads as source text up to its first zero byte, named
// "<name>(アーカイブ内)".
ScriptLoad LoadScript(lua_State* L, const char* name, char* reason, size_t cap) noexcept {
  reason[0] = 0;
  bool loose = platform::FileExists(name);
  try {
    ResourceLocation loc;
    if (loose) {
      loc = ResourceLocation{platform::ResolvePath(name), 0, 0, false};
    } else if (!FindResource(name, &loc)) {
      platform::Utf8ToAnsi(name, strlen(name), reason, cap);
      return ScriptLoad::kMissing;
    }
    std::vector<uint8_t> text;
    errno = 0;
    std::unique_ptr<ResourceStream> stream = OpenResourceStream(loc, MemberBytes::Deciphered);
    if (!stream || !ReadRest(*stream, &text)) {
      // A script that exists but cannot be read (an archive that cannot be
      // opened, a read error, no memory for its text) is a load failure.
      int err = errno ? errno : EIO;
      std::string what = platform::Utf8ToAnsi(loose ? name : loc.path.c_str());
      snprintf(reason, cap, "cannot read %s: %s", what.c_str(), strerror(err));
      return loose ? ScriptLoad::kLooseFailed : ScriptLoad::kMemberFailed;
    }
    stream.reset();
    const char* data = reinterpret_cast<const char*>(text.data());
    if (loose) {
      size_t skip = 0;
      if (!text.empty() && text[0] == '#') {  // keep the newline so line numbers stay right
        while (skip < text.size() && text[skip] != '\n') ++skip;
      }
      std::string chunk = "@" + platform::Utf8ToAnsi(name);
      if (luaL_loadbuffer(L, data + skip, text.size() - skip, chunk.c_str()) != 0) return ScriptLoad::kLooseFailed;
    } else {
      std::string chunk = platform::Utf8ToAnsi(name) + platform::Utf8ToAnsi("(アーカイブ内)");
      if (luaL_loadbuffer(L, data, strnlen(data, text.size()), chunk.c_str()) != 0) return ScriptLoad::kMemberFailed;
    }
    return ScriptLoad::kLoaded;
  } catch (...) {
    snprintf(reason, cap, "%s", "not enough memory");
    return loose ? ScriptLoad::kLooseFailed : ScriptLoad::kMemberFailed;
  }
}

}  // namespace

// `name` is the script's own text (UTF-8); messages about it are shown in ANSI.
void RunScript(lua_State* L, const char* name) {
  char reason[768];
  switch (LoadScript(L, name, reason, sizeof reason)) {
    case ScriptLoad::kLoaded:
      break;
    case ScriptLoad::kMissing:
      FatalError("Luaスクリプト\"%s\"がありません。", reason);
    case ScriptLoad::kLooseFailed:
      if (reason[0]) FatalError("Luaスクリプトのエラーです。\r\n%s", reason);
      ScriptFailure(L, "Luaスクリプトのエラーです。\r\n%s");
    case ScriptLoad::kMemberFailed:
      if (reason[0]) FatalError("Luaスクリプトのロードエラーです。\r\n%s", reason);
      ScriptFailure(L, "Luaスクリプトのロードエラーです。\r\n%s");
  }
  if (ProtectedCall(L, 0, LUA_MULTRET) != 0) ScriptFailure(L, "Luaスクリプトのエラーです。\r\n%s");
}

void ExitCleanup() {
  g_inCleanup = true;
  RemoveLicensePage();
  // An open movie is closed first, before the script's own clean-up.
  if (g_movieOpen && g_movieCloser) g_movieCloser();
  if (g_L) {
    lua_State* L = g_L;
    lua_getglobal(L, "callback");
    if (lua_istable(L, -1)) {
      lua_getfield(L, -1, "finalize");
      if (lua_isfunction(L, -1)) {
        // os.exit inside finalize has set the status already; any other
        // error is reported like a fatal one. Either way the clean-up
        // completes, then the process ends with the status.
        if (ProtectedCall(L, 0, 0) != 0 && lua_touserdata(L, -1) != &g_exitSentinel) {
          const char* msg = lua_tostring(L, -1);
          if (!g_lastTraceback.empty()) fprintf(stderr, "%s\n", platform::AnsiToUtf8(g_lastTraceback).c_str());
          ReportFatal("Luaスクリプトの終了処理のエラーです。\r\n%s", msg ? msg : "(error object is not a string)");
          SetCleanupStatus(255);
        }
      }
    }
    lua_settop(L, 0);
    g_L = nullptr;
    lua_close(L);  // runs every object's __gc: sounds stop, textures are freed
  }
  FinishCleanup();
  if (g_statusChanged) std::_Exit(g_exitStatus);
}

const std::string& GameFolder() { return g_exeDir; }

void SetMovieCloser(void (*close)()) { g_movieCloser = close; }

void AddExitStep(int (*step)()) {
  if (g_exitStepCount < kMaxExitSteps) g_exitSteps[g_exitStepCount++] = step;
}

void EngineMain(void (*registerModules)(lua_State*)) {
  memcpy(g_engineKey, kEngineKey, 96);
  setlocale(LC_CTYPE, "");
  g_exePath = platform::ExecutablePath();
  std::string dir = ChooseGameDir(g_options.gameDir, g_exePath);
  if (!platform::ChangeDirectory(dir)) {
    fprintf(stderr, "qor: cannot enter the game folder \"%s\": %s\n", dir.c_str(), strerror(errno));
    exit(-1);
  }
  g_exeDir = platform::CurrentDirectory();
  if (g_exeDir.empty()) g_exeDir = dir;
  if (g_exeDir.back() != '/') g_exeDir += '/';
  atexit(ExitCleanup);

  LoadArchiveIndex();

  lua_State* L = luaL_newstate();
  if (!L) FatalError("Luaの初期化に失敗しました。");
  g_L = L;
  luaL_openlibs(L);
  MatchLua51(L);
  lua_getglobal(L, "os");
  lua_pushcfunction(L, OsExit);
  lua_setfield(L, -2, "exit");
  lua_pop(L, 1);
  // Collect early and in large steps: a new cycle at 120% of live memory,
  // each step five times the default work.
  lua_gc(L, LUA_GCSETPAUSE, 120);
  lua_gc(L, LUA_GCSETSTEPMUL, 1000);
  registerModules(L);
  InstallErrorWrapper(L);
  ReadConfig();
  RunScript(L, "root.lua");
  EndProcess(0);
}

}  // namespace qor
