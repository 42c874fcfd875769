// The Win32 window behind an SDL window, for boxes and dialogs it owns.
#pragma once
#include <windows.h>

struct SDL_Window;

namespace qor::platform {

// The HWND of `window`; null for no window (or one SDL cannot describe).
HWND OwnerWindow(SDL_Window* window);

}  // namespace qor::platform
