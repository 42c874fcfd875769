// Start-up, running scripts, fatal errors and the exit clean-up.
#include "host/engine.h"

#include <SDL.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "graphics/screen.h"
#include "host/archive.h"
#include "host/cipher.h"
#include "host/config.h"
#include "host/options.h"
#include "host/resource.h"
#include "host/resource_stream.h"
#include "image/text.h"
#include "media/audio.h"
#include "platform/dialog.h"
#include "platform/paths.h"

namespace qor {

lua_State* g_L = nullptr;
std::string g_exePath;
std::string g_exeDir;
std::string g_tempDir;
bool g_windowCreated = false;
bool g_consoleOpen = false;
bool g_movieOpen = false;
bool g_logEnabled = false;
unsigned char g_engineKey[96];

namespace {

bool g_inCleanup = false;
int g_cleanupStatus = 0;       // set to 255 when callback.finalize fails
std::string g_lastTraceback;   // traceback of the last failed script, for stderr

// Message handler of the protected calls that run scripts: leaves the error
// value as it is (the fatal box shows exactly the Lua message) and keeps a
// traceback for stderr.
int KeepTraceback(lua_State* L) {
  lua_getglobal(L, "debug");
  if (lua_istable(L, -1)) {
    lua_getfield(L, -1, "traceback");
    if (lua_isfunction(L, -1)) {
      lua_pushstring(L, "traceback:");
      lua_pushinteger(L, 2);
      if (lua_pcall(L, 2, 1, 0) == 0 && lua_isstring(L, -1)) g_lastTraceback = lua_tostring(L, -1);
    }
  }
  lua_settop(L, 1);
  return 1;
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
  if (!g_lastTraceback.empty()) fprintf(stderr, "%s\n", AnsiToUtf8(g_lastTraceback).c_str());
  FatalError(fmt, msg ? msg : "(error object is not a string)");
}

const char* const kErrorWrapper =
    "do local f=error error=function (str,l) l=l or 1 str=encoding.utf8_to_ansi(str) f(str,l+1) end end";

void InstallErrorWrapper(lua_State* L) {
  if (luaL_loadstring(L, kErrorWrapper) != 0 || ProtectedCall(L, 0, LUA_MULTRET) != 0)
    ScriptFailure(L, "Luaスクリプトのエラーです。\r\n%s");
}

// The game folder: the argument, else the executable's folder when it holds a
// game (root.lua or 00.qar), else the current folder.
std::string ChooseGameDir(const std::string& given, const std::string& exePath) {
  if (!given.empty()) return given;
  std::string dir = exePath.substr(0, exePath.find_last_of('/') + 1);
  if (!dir.empty() && (access((dir + "root.lua").c_str(), 0) == 0 || access((dir + "00.qar").c_str(), 0) == 0))
    return dir;
  return ".";
}

}  // namespace

namespace {

// Formats a fatal message (UTF-8 format, ANSI arguments) and shows it: stderr
// always (UTF-8), a message box when a display is available.
void ShowFatal(const char* fmt, va_list ap) {
  char ansiFmt[1024];
  Utf8ToAnsi(fmt, strlen(fmt), ansiFmt, sizeof ansiFmt);
  char text[1024];
  vsnprintf(text, sizeof text, ansiFmt, ap);
  std::string utf8 = AnsiToUtf8(text);
  fprintf(stderr, "qor: エラー: %s\n", utf8.c_str());
  fflush(stderr);
  if (platform::DialogsOnDisplay()) platform::ShowMessageBox(utf8.c_str(), "エラー", false);
}

void ReportFatal(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  ShowFatal(fmt, ap);
  va_end(ap);
}

}  // namespace

void FatalError(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  ShowFatal(fmt, ap);
  va_end(ap);
  if (g_inCleanup) _exit(255);  // already exiting: exit() may not be called again
  exit(-1);
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
      Utf8ToAnsi(name, strlen(name), reason, cap);
      return ScriptLoad::kMissing;
    }
    std::vector<uint8_t> text;
    errno = 0;
    std::unique_ptr<ResourceStream> stream = OpenResourceStream(loc, MemberBytes::Deciphered);
    if (!stream || !ReadRest(*stream, &text)) {
      // A script that exists but cannot be read (an archive that cannot be
      // opened, a read error, no memory for its text) is a load failure.
      int err = errno ? errno : EIO;
      std::string what = Utf8ToAnsi(loose ? name : loc.path.c_str());
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
      std::string chunk = "@" + Utf8ToAnsi(name);
      if (luaL_loadbuffer(L, data + skip, text.size() - skip, chunk.c_str()) != 0) return ScriptLoad::kLooseFailed;
    } else {
      std::string chunk = Utf8ToAnsi(name) + Utf8ToAnsi("(アーカイブ内)");
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
  unlink((g_tempDir + "qorlicense.html").c_str());
  // (an open movie is closed here once movies exist)
  if (g_L) {
    lua_State* L = g_L;
    lua_getglobal(L, "callback");
    if (lua_istable(L, -1)) {
      lua_getfield(L, -1, "finalize");
      if (lua_isfunction(L, -1)) {
        if (ProtectedCall(L, 0, 0) != 0) {
          // Reported like any fatal error; the clean-up still completes, then status 255.
          const char* msg = lua_tostring(L, -1);
          if (!g_lastTraceback.empty()) fprintf(stderr, "%s\n", AnsiToUtf8(g_lastTraceback).c_str());
          ReportFatal("Luaスクリプトの終了処理のエラーです。\r\n%s", msg ? msg : "(error object is not a string)");
          g_cleanupStatus = 255;
        }
      } else {
        lua_pop(L, 1);
      }
    }
    lua_pop(L, 1);
    g_L = nullptr;
    lua_close(L);  // runs every object's __gc: sounds stop, textures are freed
  }
  fflush(stdout);
  CloseAudioDevice();
  ShutdownScreen();
  SDL_Quit();
  fflush(nullptr);
  if (g_cleanupStatus != 0) _exit(g_cleanupStatus);
}

void EngineMain() {
  memcpy(g_engineKey, kEngineKey, 96);
  setlocale(LC_CTYPE, "");
  g_exePath = platform::ExecutablePath();
  std::string dir = ChooseGameDir(g_options.gameDir, g_exePath);
  if (chdir(dir.c_str()) != 0) {
    fprintf(stderr, "qor: cannot enter the game folder \"%s\": %s\n", dir.c_str(), strerror(errno));
    exit(-1);
  }
  char cwd[4096];
  g_exeDir = getcwd(cwd, sizeof cwd) ? cwd : dir;
  if (g_exeDir.empty() || g_exeDir.back() != '/') g_exeDir += '/';
  g_tempDir = platform::TempDirectory();
  atexit(ExitCleanup);

  LoadArchiveIndex();

  lua_State* L = luaL_newstate();
  if (!L) FatalError("Luaの初期化に失敗しました。");
  g_L = L;
  luaL_openlibs(L);
  // Collect early and in large steps: a new cycle at 120% of live memory,
  // each step five times the default work.
  lua_gc(L, LUA_GCSETPAUSE, 120);
  lua_gc(L, LUA_GCSETSTEPMUL, 1000);
  RegisterModules(L);
  InstallErrorWrapper(L);
  ReadConfig();
  RunScript(L, "root.lua");
  exit(0);
}

}  // namespace qor
