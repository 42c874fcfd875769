// What every backend's message boxes share: the box flags and the headless report.
#include "platform/dialog.h"

#include <SDL.h>

#include <cstdio>

namespace qor::platform {

unsigned MessageBoxFlags(BoxKind kind) {
  return kind == BoxKind::kError ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
}

bool ReportBox(const char* text, const char* title, BoxKind kind, const DialogSettings& settings) {
  if (kind == BoxKind::kQuestion) {
    fprintf(stderr, "[%s] %s -> %s\n", title, text, settings.answerYes ? "yes" : "no");
    return settings.answerYes;
  }
  fprintf(stderr, "[%s] %s\n", title, text);
  return true;
}

}  // namespace qor::platform
