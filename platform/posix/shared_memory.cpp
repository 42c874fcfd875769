// Shared memory blocks on POSIX: shm_open, mmap per access, flock for the
// count of users that decides when the name is removed.
#include "platform/shared_memory.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace qor::platform {
namespace {

int FlockRetry(int fd, int op) {
  int r;
  do r = flock(fd, op);
  while (r != 0 && errno == EINTR);
  return r;
}

// Joins an existing block: a shared lock first (it waits while the creator
// is still sizing the block), then a check that the name was not removed by
// its last user in the meantime.
enum class Join { kOk, kGone, kFailed };
Join JoinExisting(const std::string& name, SharedBlock* out) {
  int fd = shm_open(name.c_str(), O_RDWR, 0600);
  if (fd < 0) return errno == ENOENT ? Join::kGone : Join::kFailed;
  struct stat st;
  if (FlockRetry(fd, LOCK_SH) != 0 || fstat(fd, &st) != 0) {
    close(fd);
    return Join::kFailed;
  }
  if (st.st_nlink == 0 || st.st_size <= 0) {
    close(fd);
    return Join::kGone;
  }
  out->handle = fd;
  out->size = static_cast<size_t>(st.st_size);
  out->name = name;
  return Join::kOk;
}

}  // namespace

std::string SharedMemoryName(const std::string& scriptName) {
  std::string n = "/qor-";
  for (unsigned char c : scriptName) {
    if (isalnum(c) || c == '.' || c == '_' || c == '-') {
      n += static_cast<char>(c);
    } else {
      char hex[4];
      snprintf(hex, sizeof hex, "%%%02X", c);
      n += hex;
    }
  }
  if (n.size() > 200) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : scriptName) h = (h ^ c) * 1099511628211ull;
    char buf[40];
    snprintf(buf, sizeof buf, "/qor-h%016llx", static_cast<unsigned long long>(h));
    n = buf;
  }
  return n;
}

bool CreateSharedBlock(const std::string& scriptName, size_t size, SharedBlock* out) {
  if (size == 0) return false;
  std::string name = SharedMemoryName(scriptName);
  for (int attempt = 0; attempt < 8; ++attempt) {
    int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    if (fd >= 0) {
      // Sized under an exclusive lock, so joiners wait until it has its size.
      if (FlockRetry(fd, LOCK_EX) != 0 || ftruncate(fd, static_cast<off_t>(size)) != 0 ||
          FlockRetry(fd, LOCK_SH) != 0) {
        shm_unlink(name.c_str());
        close(fd);
        return false;
      }
      out->handle = fd;
      out->size = size;
      out->name = name;
      return true;
    }
    if (errno != EEXIST) return false;
    switch (JoinExisting(name, out)) {
      case Join::kOk: return true;
      case Join::kFailed: return false;
      case Join::kGone: break;  // removed meanwhile: create it again
    }
  }
  return false;
}

bool OpenSharedBlock(const std::string& scriptName, SharedBlock* out) {
  return JoinExisting(SharedMemoryName(scriptName), out) == Join::kOk;
}

bool ReadSharedBlock(const SharedBlock& b, std::string* out) {
  if (b.handle < 0) return false;
  void* p = mmap(nullptr, b.size, PROT_READ, MAP_SHARED, int(b.handle), 0);
  if (p == MAP_FAILED) return false;
  const char* s = static_cast<const char*>(p);
  out->assign(s, strnlen(s, b.size));
  munmap(p, b.size);
  return true;
}

bool WriteSharedBlock(const SharedBlock& b, const char* data, size_t len) {
  if (b.handle < 0 || len >= b.size) return false;
  void* p = mmap(nullptr, b.size, PROT_READ | PROT_WRITE, MAP_SHARED, int(b.handle), 0);
  if (p == MAP_FAILED) return false;
  memcpy(p, data, len);
  static_cast<char*>(p)[len] = 0;
  munmap(p, b.size);
  return true;
}

void CloseSharedBlock(SharedBlock* b) {
  if (b->handle < 0) return;
  int fd = int(b->handle);
  // The last user (no one else holds a shared lock) removes the name.
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) shm_unlink(b->name.c_str());
  close(fd);
  b->handle = -1;
}

}  // namespace qor::platform
