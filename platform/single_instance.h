// One running copy per game: an advisory lock on a file named after the
// game folder (a named mutex on Windows), held for the life of the process.
#pragma once
#include <string>

namespace qor::platform {

enum class InstanceStatus { kOnly, kAnotherRunning, kError };

// Takes the lock for `gameFolder` (an absolute path) under $XDG_RUNTIME_DIR,
// or the temp folder when that is not set. The descriptor is kept open for
// the rest of the process, so the kernel releases the lock when the process
// ends in any way (kill -9 included). Calling it again in the same process
// gives kOnly. kError (with errno kept) when the lock file cannot be opened.
InstanceStatus AcquireSingleInstance(const std::string& gameFolder);

// The lock file used for `gameFolder` (the mutex name on Windows: the folder
// with '/' separators).
std::string SingleInstanceLockPath(const std::string& gameFolder);

}  // namespace qor::platform
