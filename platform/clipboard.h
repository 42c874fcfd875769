// The clipboard: putting a script's text on it.
#pragma once
#include <string>

struct SDL_Window;

namespace qor::platform {

// Puts `utf8` on the clipboard: through SDL (UTF-8) on POSIX; on Windows as
// CF_TEXT in the ANSI code page, owned by `owner`. False with the reason in
// `*why` when it could not be set.
bool SetClipboardText(const char* utf8, SDL_Window* owner, std::string* why);

}  // namespace qor::platform
