// Headless SDL video for tests that make OpenGL devices: started once per test
// process and left running, with one extra reference to the GL library so the
// driver is never unloaded. Mesa keeps allocations for the life of the process;
// while its modules stay loaded the leak suppressions can recognise them.
#pragma once
#include <SDL.h>

#include <cstdlib>

inline bool StartHeadlessGLVideo() {
  static bool up = [] {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    SDL_GL_LoadLibrary(nullptr);
    return true;
  }();
  return up;
}
