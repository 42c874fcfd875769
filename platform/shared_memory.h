// Named blocks of shared memory (POSIX shm_open + mmap; on Windows
// CreateFileMappingA / OpenFileMappingA over the page file) through which
// processes exchange one NUL-terminated string.
//
// Lifetime on POSIX: every process that uses a block holds a shared flock on it. When
// a process lets go of a block and no other process holds it, the name is
// unlinked, so the block disappears with its last user, as a page-file
// mapping does. A block whose last user was killed keeps its name until the
// next user of that name lets go. On Windows the system does all of this.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace qor::platform {

struct SharedBlock {
  intptr_t handle = -1;  // the descriptor (POSIX) or the mapping's HANDLE (Windows); -1 for none
  size_t size = 0;
  std::string name;  // the shm_open name
};

// The system's name for a script's block name. POSIX: the shm_open name: "/qor-" followed by the name
// with every byte outside [A-Za-z0-9._-] written as %XX (so Windows names
// such as Local\foo are valid), or by a hash when that would be too long.
// Windows: the name unchanged.
std::string SharedMemoryName(const std::string& scriptName);

// Creates the block of `size` bytes (zero-filled), or opens the existing one
// of that name (keeping its size). False when neither works (or size is 0).
bool CreateSharedBlock(const std::string& scriptName, size_t size, SharedBlock* out);
// Opens an existing block; false when there is none.
bool OpenSharedBlock(const std::string& scriptName, SharedBlock* out);
// The bytes at the start of the block up to the first NUL, never past its
// end. False when the block cannot be mapped.
bool ReadSharedBlock(const SharedBlock& b, std::string* out);
// Copies `len` bytes and a NUL to the start of the block. False when they
// do not fit or the block cannot be mapped (nothing is written then).
bool WriteSharedBlock(const SharedBlock& b, const char* data, size_t len);
// Lets go of the block (unlinking the name when no other process holds it).
void CloseSharedBlock(SharedBlock* b);

}  // namespace qor::platform
