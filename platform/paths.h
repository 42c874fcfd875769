// Paths and files: the executable's location, the temp folder, and the one
// Windows-compatibility rule for script file names (either separator, and a
// case-insensitive match per component when the exact name does not exist).
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace qor::platform {

// Absolute path of the running executable ("" when it cannot be read).
std::string ExecutablePath();

// The temporary folder ($TMPDIR or /tmp; GetTempPath on Windows), ending in '/'.
std::string TempDirectory();

// Maps a script's file name to the file system: backslashes become '/', and
// when the exact path does not exist each component is matched case-insensitively
// against the real directory listing (on Windows the file system itself
// ignores case, so only the separators change). Returns the name with '/' separators
// unchanged when nothing matches (so a file about to be created keeps its name).
std::string ResolvePath(const char* name);

// A path the platform layer gave (file-system bytes: UTF-8 on POSIX, the
// ANSI code page on Windows) in the ANSI code page scripts see.
std::string PathToAnsi(const std::string& path);

// The engine's existence test (`_access(name, 0)`): true when a file or folder
// of that name exists under the rule above.
bool FileExists(const char* name);

// True when the name resolves to a regular file (not a folder).
bool RegularFileExists(const char* name);

// fopen through ResolvePath.
FILE* OpenFile(const char* name, const char* mode);

// Reads a whole file (no name resolution: pass a real path). False when it
// cannot be opened or a read fails; `out` then holds what was read.
bool ReadWholeFile(const std::string& path, std::string* out);
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* out);

// Writes `size` bytes to `path` atomically: a temporary file in the same
// folder is written, flushed and renamed over the target (MoveFileExW with
// MOVEFILE_REPLACE_EXISTING on Windows), so a crash never
// leaves a half-written file where an old one was. False on any failure
// (errno is kept); the temporary file is removed.
bool WriteFileAtomic(const std::string& path, const void* data, size_t size);

}  // namespace qor::platform
