// The main window, the message pump and the input latches (SDL2).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "host/lua.h"

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

// Window steps of gui.create: creates the fixed-size centred window (with an
// OpenGL context flag when `opengl`), logs its boot-log lines. Returns false
// with a reason when SDL cannot make a window.
bool CreateMainWindow(int width, int height, bool opengl, std::string* error);
void DestroyMainWindow();

// Initialises SDL video (offscreen driver when headless or no display can be
// opened, with one line on stderr saying so). Safe to call more than once.
bool InitVideo();
// True when running without a real display.
bool RunningHeadless();

// Drains pending events into the latches; handles close requests (hook or
// "終了しますか？" box), Alt+L and drops; ends the process (exit 0) when the
// window is destroyed. Errors of script hooks propagate as Lua errors.
void PumpMessages(lua_State* L);

// Counts a presented frame (for --frames: after the N-th the window closes at
// the next pump) and keeps the frame for --screenshot.
void NoteFramePresented();

// Desktop size (the real one, or --desktop when headless).
void DesktopSize(int* w, int* h);

}  // namespace qor
