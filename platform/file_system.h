// File-system primitives the engine and qar need beyond stdio: what a path
// is, the current folder, temporary files renamed into place, private
// folders, terminals. Paths are the engine's (bytes on POSIX, the ANSI code
// page on Windows); no case-insensitive resolution happens here.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

namespace qor::platform {

enum class PathKind { kMissing, kFile, kFolder, kOther };

// What `path` names (links followed); errno says why for kMissing.
PathKind KindOfPath(const std::string& path);

// What an open file is; for a regular file its length goes to `*size`.
PathKind KindOfOpenFile(FILE* f, uint64_t* size);

// True for an absolute path ("/x" on POSIX; "C:/x", "C:\x", "\\server\x" or
// "/x" on Windows).
bool IsAbsolutePath(const std::string& path);

// The current folder ending in '/' ("" when it cannot be read).
std::string CurrentDirectory();
bool ChangeDirectory(const std::string& path);

// True when this process may write to the file (or create files in the folder).
bool Writable(const std::string& path, bool folder);

// Creates a new, empty file beside `path` with a unique name, opened "wb";
// its name goes to `*tmpPath`. Null (errno set) on failure.
FILE* CreateTempBeside(const std::string& path, std::string* tmpPath);

// Flushes stdio and the system's buffers of `f` to the disk.
bool SyncFile(FILE* f);

// Renames `from` over `to`, replacing it in one step.
bool RenameOver(const std::string& from, const std::string& to);

// A folder only this user may enter, ending in '/': $XDG_RUNTIME_DIR when it
// is one, else a new folder made in the temp folder (`*made` true then; the
// caller removes it). "" when there is none.
std::string PrivateFolder(bool* made);

// Creates `path` for writing ("w") only when no file of that name exists
// (links not followed). Null with `*existed` true when it already exists.
FILE* CreateNewFile(const std::string& path, bool* existed);

// Removes an empty folder; failure is ignored.
void RemoveFolder(const std::string& path);

// Makes `f` pass bytes unchanged (Windows text mode adds CRs; POSIX has none).
void SetBinaryMode(FILE* f);

// True when `f` is a terminal (console).
bool IsTerminal(FILE* f);

}  // namespace qor::platform
