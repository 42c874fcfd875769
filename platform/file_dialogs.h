// Desktop dialogs for scripts (file save/open, folder, one-line input):
// on POSIX through the desktop's dialog tool (zenity, or kdialog when that is
// what is installed), on Windows the common dialogs, the folder browser and
// the input dialog template. Texts are UTF-8.
#pragma once
#include <string>

struct SDL_Window;

namespace qor::platform {

enum class DialogKind { kSave, kOpen, kFolder, kInput };

struct DialogRequest {
  DialogKind kind = DialogKind::kOpen;
  std::string title;
  std::string fileName;     // save: the proposed name
  std::string filterName;   // save/open: the filter's label ("txtファイル")
  std::string pattern;      // save/open: the filter's pattern ("*.txt")
  std::string message;      // input: the prompt
  SDL_Window* owner = nullptr;  // the window that owns the dialog (null: none)
};

enum class DialogAnswer { kOk, kCancelled, kNoTool };

// Shows the dialog and waits for it. kOk with the answer in `text` (one
// trailing line feed removed); kCancelled when the user cancelled or the tool
// failed; kNoTool when no dialog can be shown. The save dialog asks before
// replacing a file and accepts only existing folders; the open dialog accepts
// only existing files. Chosen paths use '/' separators.
DialogAnswer RunDialog(const DialogRequest& request, std::string* text);

}  // namespace qor::platform
