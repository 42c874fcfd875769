// Message boxes through SDL_ShowMessageBox, or stderr and a scripted answer.
#include "platform/dialog.h"

#include <SDL.h>

#include <cstdlib>

namespace qor::platform {

bool DialogsOnDisplay(bool headless) {
  if (headless) return false;
  const char* d = getenv("DISPLAY");
  const char* w = getenv("WAYLAND_DISPLAY");
  return (d && *d) || (w && *w);
}

bool ShowMessageBox(const char* text, const char* title, BoxKind kind, const DialogSettings& settings) {
  bool question = kind == BoxKind::kQuestion;
  if (DialogsOnDisplay(settings.headless)) {
    SDL_MessageBoxButtonData buttons[2];
    int n = 0;
    if (question) {
      buttons[n++] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "はい"};
      buttons[n++] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "いいえ"};
    } else {
      buttons[n++] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 1, "OK"};
    }
    SDL_MessageBoxData data{MessageBoxFlags(kind), settings.owner, title, text, n, buttons, nullptr};
    int pressed = 0;
    if (SDL_ShowMessageBox(&data, &pressed) == 0) return pressed == 1;
  }
  return ReportBox(text, title, kind, settings);
}

}  // namespace qor::platform
