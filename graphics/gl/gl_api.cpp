// Run-time loading of the OpenGL entry points listed in gl_api.h.
#include "graphics/gl/gl_api.h"

#include <SDL2/SDL.h>

namespace qor::gl {

#define QOR_GL_DEFINE(type, name) type name = nullptr;
QOR_GL_FUNCTIONS(QOR_GL_DEFINE)
#undef QOR_GL_DEFINE

PFNGLGETGRAPHICSRESETSTATUSPROC glGetGraphicsResetStatus = nullptr;

bool LoadFunctions(std::string* missing) {
#define QOR_GL_LOAD(type, name)                                          \
  name = reinterpret_cast<type>(SDL_GL_GetProcAddress(#name));           \
  if (!name) {                                                           \
    if (missing) *missing = #name;                                       \
    return false;                                                        \
  }
  QOR_GL_FUNCTIONS(QOR_GL_LOAD)
#undef QOR_GL_LOAD
  // Only trust the reset query when the context offers it as core or as an
  // extension; a pointer alone proves nothing on some drivers.
  glGetGraphicsResetStatus = nullptr;
  const char* names[] = {"glGetGraphicsResetStatus", "glGetGraphicsResetStatusARB",
                         "glGetGraphicsResetStatusKHR"};
  const char* exts[] = {nullptr, "GL_ARB_robustness", "GL_KHR_robustness"};
  GLint major = 0, minor = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  glGetIntegerv(GL_MINOR_VERSION, &minor);
  for (int i = 0; i < 3 && !glGetGraphicsResetStatus; ++i) {
    bool offered = i == 0 ? (major > 4 || (major == 4 && minor >= 5))
                          : SDL_GL_ExtensionSupported(exts[i]) == SDL_TRUE;
    if (offered)
      glGetGraphicsResetStatus =
          reinterpret_cast<PFNGLGETGRAPHICSRESETSTATUSPROC>(SDL_GL_GetProcAddress(names[i]));
  }
  return true;
}

}  // namespace qor::gl
