// Desktop dialogs for scripts (file save/open, folder, one-line input)
// through the desktop's dialog tool: zenity, or kdialog when that is what is
// installed. Texts are UTF-8.
#pragma once
#include <string>
#include <vector>

namespace qor::platform {

enum class DialogKind { kSave, kOpen, kFolder, kInput };

struct DialogRequest {
  DialogKind kind = DialogKind::kOpen;
  std::string title;
  std::string fileName;     // save: the proposed name
  std::string filterName;   // save/open: the filter's label ("txtファイル")
  std::string pattern;      // save/open: the filter's pattern ("*.txt")
  std::string message;      // input: the prompt
};

enum class DialogAnswer { kOk, kCancelled, kNoTool };

// The dialog tool found on PATH ("zenity", "kdialog" or "" for none).
std::string DialogTool();

// Shows the dialog and waits for it. kOk with the answer in `text` (one
// trailing line feed removed); kCancelled when the user cancelled or the tool
// failed; kNoTool when no dialog tool is installed. The save dialog asks
// before replacing a file and accepts only existing folders; the open dialog
// accepts only existing files.
DialogAnswer RunDialog(const DialogRequest& request, std::string* text);

// The command line that RunDialog runs for `tool` (exposed for tests).
std::vector<std::string> DialogCommand(const std::string& tool, const DialogRequest& request);

}  // namespace qor::platform
