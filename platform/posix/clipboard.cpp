// The clipboard through SDL (the video subsystem must be up).
#include "platform/clipboard.h"

#include <SDL.h>

namespace qor::platform {

bool SetClipboardText(const char* utf8, SDL_Window*, std::string* why) {
  if (SDL_SetClipboardText(utf8) == 0) return true;
  *why = SDL_GetError();
  return false;
}

}  // namespace qor::platform
