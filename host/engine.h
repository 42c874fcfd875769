// Engine-wide state and the script host: start-up, running scripts, the two
// error channels and the one clean-up that every exit goes through.
#pragma once
#include <string>

#include "host/lua.h"

namespace qor {

// Engine-wide flags.
extern bool g_movieOpen;      // a movie is open: the clean-up closes it first
extern bool g_logEnabled;     // DebugLogMode = 1

// How the clean-up closes an open movie (set by the movie player).
void SetMovieCloser(void (*close)());


// Exit statuses besides 0 and 255 (fatal error): bad options or input file,
// and a --screenshot that cannot be written.
constexpr int kExitUsage = 2;
constexpr int kExitScreenshot = 3;

// The start-up sequence; never returns (exit status 0 after root.lua returns).
// `registerModules` registers every engine module and class in their fixed
// order (the binding layer's list, host/modules.h).
[[noreturn]] void EngineMain(void (*registerModules)(lua_State*));

// Adds a device step to the exit clean-up. Steps run in the order added,
// after callback.finalize and the Lua state's close and before the window is
// destroyed. A step returns 0, or the exit status the run should end with
// when it failed at what it was asked for (kExitScreenshot).
void AddExitStep(int (*step)());

// Ends the process through exit() (and so the clean-up) with `status`,
// remembered so that the clean-up knows how the run is ending.
[[noreturn]] void EndProcess(int status);

// True while the exit clean-up runs (callback.finalize may still pump
// messages then, but nothing may call exit again).
bool CleanupRunning();

// Runs a script: loose file first, else archive member (deciphered). Every
// failure is fatal. The chunk's results are left on the stack.
void RunScript(lua_State* L, const char* name);

// Shows a fatal error and ends the process with status 255 (-1). During the
// clean-up it finishes the steps that need no Lua, then ends with 255. `fmt` is a
// UTF-8 printf format; the arguments are ANSI (CP932) text such as Lua error
// messages. The text goes to stderr (UTF-8) and, when a display is available,
// to a message box titled "エラー".
[[noreturn]] void FatalError(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// The clean-up registered with atexit.
void ExitCleanup();

// The game folder, which stands in for the executable's folder: absolute,
// ending in '/', fixed at start-up ("" before it).
const std::string& GameFolder();

// Writes the licence page (HTML) to `f`.
void WriteLicensePage(FILE* f);


}  // namespace qor
