// Shared by the shape and transition benchmarks: clocks, and running a case
// on the software device and (when a context can be had) the OpenGL device
// as the screen.
#pragma once
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "graphics/screen.h"

namespace qor::bench {

inline double CpuMs() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}
inline double WallMs() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Waits until the device has carried out everything queued.
inline void Finish() {
  uint32_t px;
  ScreenDevice()->ReadPixels(&px, 4, 1, 1);
}

// Calls run(name) with the software device, then the OpenGL device, as a
// w x h screen.
inline void ForEachRenderer(int w, int h, const char* title, const std::function<void(const char*)>& run) {
  std::string err;
  UseScreenDevice(CreateSoftDevice(nullptr, w, h, &err), w, h);
  if (ScreenDevice()) run("soft");
  UseScreenDevice(nullptr, 0, 0);
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    printf("skipped renderer=gl reason=\"%s\"\n", SDL_GetError());
    return;
  }
  PrepareGLAttributes();
  SDL_Window* win = SDL_CreateWindow(title, 0, 0, w, h, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  std::unique_ptr<Device> gl = win ? CreateGLDevice(win, w, h, &err) : nullptr;
  if (!gl) {
    printf("skipped renderer=gl reason=\"%s\"\n", win ? err.c_str() : SDL_GetError());
  } else {
    UseScreenDevice(std::move(gl), w, h);
    run("gl");
    UseScreenDevice(nullptr, 0, 0);
  }
  if (win) SDL_DestroyWindow(win);
  SDL_Quit();
}

}  // namespace qor::bench
