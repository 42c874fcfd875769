// State of UScreen that only the screen's own files share: the presentation
// size handed to every reset, the window mode switches move, and whether a
// frame has reached the screen.
#pragma once

struct SDL_Window;

namespace qor {

struct ScreenInternals {
  int backWidth = 0, backHeight = 0;  // back buffer size (desktop size in stretched mode)
  SDL_Window* window = nullptr;       // the shown window (null in headless runs)
  bool framePresented = false;        // a present succeeded (a screenshot can be written)
};

extern ScreenInternals g_screenInternals;

}  // namespace qor
