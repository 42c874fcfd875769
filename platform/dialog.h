// Message boxes: SDL's when a display is available, else stderr plus the
// scripted answer of --answer (headless runs).
#pragma once

struct SDL_Window;

namespace qor::platform {

// Shows `text` titled `title` (UTF-8). For a yes/no box returns true on Yes.
bool ShowMessageBox(const char* text, const char* title, bool yesno);

// The window that owns message boxes (null before gui.create).
void SetDialogOwner(SDL_Window* window);

// True when boxes are shown on a display (not headless).
bool DialogsOnDisplay();

}  // namespace qor::platform
