// ProbeOpenGL: asks a throw-away hidden window for an OpenGL 3.3 core context
// and reports the renderer, flagging Mesa's software rasterisers.
#include <SDL2/SDL.h>

#include <cstring>

#include "graphics/device.h"
#include "graphics/gl/gl_api.h"

namespace qor {

void gl::PinDriver() {
  static const bool pinned = SDL_GL_LoadLibrary(nullptr) == 0;
  (void)pinned;
}

bool IsSoftwareRenderer(const std::string& renderer) {
  static const char* kSoftware[] = {"llvmpipe", "softpipe", "swrast", "Software Rasterizer", "lavapipe"};
  for (const char* s : kSoftware)
    if (renderer.find(s) != std::string::npos) return true;
  return false;
}

bool ProbeOpenGL(std::string* renderer, bool* software) {
  if (renderer) renderer->clear();
  if (software) *software = false;
  // Reference-counted: harmless when the caller has SDL video running already.
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  gl::PinDriver();
  SDL_Window* oldWindow = SDL_GL_GetCurrentWindow();
  SDL_GLContext oldContext = SDL_GL_GetCurrentContext();
  PrepareGLAttributes();
  bool ok = false;
  SDL_Window* window = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1, 1,
                                        SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window) {
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context) {
      auto getString = reinterpret_cast<PFNGLGETSTRINGPROC>(SDL_GL_GetProcAddress("glGetString"));
      auto getInteger = reinterpret_cast<PFNGLGETINTEGERVPROC>(SDL_GL_GetProcAddress("glGetIntegerv"));
      if (getString && getInteger) {
        GLint major = 0, minor = 0;
        getInteger(GL_MAJOR_VERSION, &major);
        getInteger(GL_MINOR_VERSION, &minor);
        const char* name = reinterpret_cast<const char*>(getString(GL_RENDERER));
        ok = (major > 3 || (major == 3 && minor >= 3)) && name;
        if (ok) {
          if (renderer) *renderer = name;
          if (software) *software = IsSoftwareRenderer(name);
        }
      }
      SDL_GL_MakeCurrent(window, nullptr);
      SDL_GL_DeleteContext(context);
    }
    SDL_DestroyWindow(window);
  }
  if (oldContext) SDL_GL_MakeCurrent(oldWindow, oldContext);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return ok;
}

}  // namespace qor
