// The POSIX dialogs' tool: which one is installed and the command line it
// is run with (exposed for tests).
#pragma once
#include <string>
#include <vector>

#include "platform/file_dialogs.h"

namespace qor::platform {

// The dialog tool found on PATH ("zenity", "kdialog" or "" for none).
std::string DialogTool();

// The command line that RunDialog runs for `tool`.
std::vector<std::string> DialogCommand(const std::string& tool, const DialogRequest& request);

}  // namespace qor::platform
