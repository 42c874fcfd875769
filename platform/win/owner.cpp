// SDL window -> HWND through SDL's window-manager information.
#include "platform/win/owner.h"

#include <SDL.h>
#include <SDL_syswm.h>

namespace qor::platform {

HWND OwnerWindow(SDL_Window* window) {
  if (!window) return nullptr;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WINDOWS) return nullptr;
  return info.info.win.window;
}

}  // namespace qor::platform
