// Message boxes: SDL's when a display is available (MessageBoxW on Windows),
// else stderr plus the scripted answer (headless runs). The caller says how
// the box is to be shown.
#pragma once

struct SDL_Window;

namespace qor::platform {

enum class BoxKind { kInformation, kQuestion, kError };

// How boxes are shown in this run.
struct DialogSettings {
  SDL_Window* owner = nullptr;  // the window that owns the box (null: none)
  bool headless = false;        // never show a box; report on stderr instead
  bool answerYes = true;        // the answer a question gets when no box is shown
};

// Shows `text` titled `title` (UTF-8). A question has Yes and No buttons and
// returns true on Yes; the other kinds have one OK button and return true.
bool ShowMessageBox(const char* text, const char* title, BoxKind kind, const DialogSettings& settings);

// The SDL_MessageBoxFlags a box of that kind is shown with: only the fatal
// error box looks like an error; okbox and yesnobox are plain information.
unsigned MessageBoxFlags(BoxKind kind);

// A box not shown: its text on stderr and, for a question, the scripted answer.
bool ReportBox(const char* text, const char* title, BoxKind kind, const DialogSettings& settings);

// True when boxes are shown on a display (not headless, and on POSIX a
// display is named).
bool DialogsOnDisplay(bool headless);

}  // namespace qor::platform
