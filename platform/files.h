// File services for scripts: recursive listings, file times and sizes,
// folder creation, the documents folder and the engine's path splitting.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qor::platform {

// Every file below `folder`, recursively, as relative paths with '\'
// separators, depth-first: each subfolder's files are inserted where the
// subfolder is met. Each folder's entries are taken in case-insensitive name
// order (the order NTFS hands them over, which games may rely on). A
// subfolder that cannot be read is skipped and reported through `warn` (its
// relative path). The current directory is never changed. False when
// `folder` itself cannot be read.
bool ListFilesRecursive(const std::string& folder, std::vector<std::string>* out,
                        const std::function<void(const std::string&)>& warn);

// The modification time of `path` in local time: year, month 1-12, day,
// hour, minute, second. False (all zeros) when no such file exists.
bool FileLocalTime(const std::string& path, int fields[6]);

// The length of the file in bytes; 0 when it cannot be opened.
int64_t FileSize(const std::string& path);

// Creates one folder (mode 0777 less the umask); failure is ignored.
void MakeFolder(const std::string& path);

// The user's documents folder (file-system bytes, see PathToAnsi), ending in '/': $XDG_DOCUMENTS_DIR,
// else the XDG_DOCUMENTS_DIR line of $XDG_CONFIG_HOME/user-dirs.dirs (or
// ~/.config/user-dirs.dirs), else ~/Documents when it exists, else $HOME.
// On Windows the shell's CSIDL_PERSONAL folder.
std::string DocumentsFolder();

// The engine's path split: every '\' becomes '/' and every other byte is
// upper-cased; the text is split at the last '/' that is not the first
// character. Without such a '/', the folder is empty and the name is all.
void SplitEnginePath(const std::string& path, std::string* folder, std::string* name);

}  // namespace qor::platform
