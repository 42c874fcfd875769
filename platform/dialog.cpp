// Message boxes through SDL_ShowMessageBox, or stderr and a scripted answer.
#include "platform/dialog.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "host/options.h"

namespace qor::platform {
namespace {
SDL_Window* g_owner = nullptr;
}

void SetDialogOwner(SDL_Window* window) { g_owner = window; }

bool DialogsOnDisplay() {
  if (g_options.headless) return false;
  const char* d = getenv("DISPLAY");
  const char* w = getenv("WAYLAND_DISPLAY");
  return (d && *d) || (w && *w);
}

bool ShowMessageBox(const char* text, const char* title, bool yesno) {
  if (DialogsOnDisplay()) {
    SDL_MessageBoxButtonData buttons[2];
    int n = 0;
    if (yesno) {
      buttons[n++] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "はい"};
      buttons[n++] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "いいえ"};
    } else {
      buttons[n++] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 1, "OK"};
    }
    SDL_MessageBoxData data{yesno ? SDL_MESSAGEBOX_INFORMATION : SDL_MESSAGEBOX_ERROR, g_owner, title, text, n,
                            buttons, nullptr};
    int pressed = 0;
    if (SDL_ShowMessageBox(&data, &pressed) == 0) return pressed == 1;
  }
  // Headless (or no box could be shown): report on stderr, answer as scripted.
  if (yesno) {
    fprintf(stderr, "[%s] %s -> %s\n", title, text, g_options.answerYes ? "yes" : "no");
    return g_options.answerYes;
  }
  fprintf(stderr, "[%s] %s\n", title, text);
  return true;
}

}  // namespace qor::platform
