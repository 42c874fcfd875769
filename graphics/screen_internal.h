// State that only graphics/ files share: the presentation size handed to
// every reset, the window mode switches move, whether a frame has reached the
// screen, and which texture or bitmap an off-screen scene draws into.
#pragma once

struct SDL_Window;

namespace qor {

struct UTexture;
struct UBitmap;

struct ScreenInternals {
  int backWidth = 0, backHeight = 0;  // back buffer size (desktop size in stretched mode)
  SDL_Window* window = nullptr;       // the shown window (null in headless runs)
  bool framePresented = false;        // a present succeeded (a screenshot can be written)
};

extern ScreenInternals g_screenInternals;

extern UTexture* g_renderTargetTexture;  // texture:beginscene .. endscene
extern UBitmap* g_renderTargetBitmap;    // bitmap:beginscene .. endscene
extern UTexture* g_movieTexture;         // the texture a movie plays into

}  // namespace qor
