// The main window, the message pump and the input latches (SDL2).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "host/input.h"
#include "host/input_script.h"
#include "host/lua.h"
#include "platform/dialog.h"

struct SDL_Window;

namespace qor {

// What the window procedure records between two reads by the scripts.
struct InputLatches {
  bool leftDown = false, leftUp = false, rightDown = false, rightUp = false;
  int wheel = 0;                    // -1 away from the user, +1 towards, 0 none
  std::vector<std::string> drops;   // dropped files not fetched yet
  bool quit = false;                // the window was destroyed
};

extern InputLatches g_input;
extern SDL_Window* g_mainWindow;    // null before gui.create (and in window-less headless runs)

// Window steps of gui.create (after its caller logged the start line and
// stored the size): initialises video when needed, creates the fixed-size
// window centred on the desktop (SDL_WINDOW_OPENGL when `opengl`; set any GL
// attributes before calling), and writes the boot-log lines
// "スクリーン位置 x=%d,y=%d" and "ウィンドウ作成に成功しました。次にDirectSoundを初期化します。".
// Returns false with a reason when SDL cannot make a window.
bool CreateMainWindow(int width, int height, bool opengl, std::string* error);
// Destroys the window (safe to call more than once); the exit clean-up calls
// it after the screen has released the device.
void DestroyMainWindow();

// Initialises SDL video (offscreen driver when headless or no display can be
// opened, with one line on stderr saying so). Safe to call more than once.
bool InitVideo();
// True when running without a real display.
bool RunningHeadless();

// Drains pending events into the latches; handles close requests (hook or
// "終了しますか？" box), Alt+L and drops; ends the process (exit 0) when the
// window is destroyed or --frames ran out. During the exit clean-up it only
// pumps: it never ends the process. Errors of script hooks propagate as Lua errors.
void PumpMessages(lua_State* L);

// Replaces the scripted input (--input reads its file through this; tests
// call it directly). Events are due once as many frames were presented.
void SetScriptedInput(std::vector<ScriptedEvent> events);

// The next dialog answer of the --input script that is due (its frame
// presented): kText with the answer, kCancel, or kNone when none is left.
enum class ScriptedAnswer { kNone, kText, kCancel };
ScriptedAnswer TakeScriptedAnswer(std::string* text);

// A message box owned by the main window, shown as this run's options say.
bool ShowBox(const char* text, const char* title, platform::BoxKind kind);

// Counts a presented frame (for --frames: after the N-th the window closes at
// the next pump) and keeps the frame for --screenshot.
void NoteFramePresented();

// Desktop size (the real one, or --desktop when headless).
void DesktopSize(int* w, int* h);

// What to run when the window needs repainting (an expose event). Without a
// handler the device presents its back buffer again (a failed present runs
// the lost-device recovery). Nothing is done while a mode change runs.
void SetPaintHandler(void (*handler)());

// The picture's geometry (game size, mode, desktop and letterbox sizes) that
// mouse positions are mapped through; until it is set, everything is 0.
void SetPictureSource(PictureGeometry (*source)());

// Whether the main window is the active / foreground window (it has the
// keyboard focus). Headless runs count it as both; false without a window.
bool MainWindowActive();

// Is a key of that virtual-key code down (lock keys: toggled on)? The state
// now, not that of the last pump: SDL's keyboard state after moving the
// system's pending events into its queue, and the scripted keys due by now.
// The events themselves stay queued for the next pump (clicks, Alt+L, close).
// In scripted runs the lock keys are the scripted toggles.
bool VirtualKeyDown(int vk);
bool LockKeyToggled(int vk);

// The mouse cursor now, in client coordinates of the main window (game pixels
// in screen modes 0 and 1, desktop pixels in mode 2, converted from SDL's
// window points); false when the cursor is not over the client area. MoveCursor
// places it there (scripted and headless runs only keep the position).
bool CursorInClient(int* cx, int* cy);
void MoveCursor(int cx, int cy);

// Removes queued button and wheel events (gui.clearbuffer); the latches are
// cleared by the caller.
void DiscardPendingClicks();

}  // namespace qor
