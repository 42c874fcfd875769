// Single-instance lock through flock on a per-game lock file.
#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/paths.h"

namespace qor::platform {
namespace {

int g_lockFd = -1;  // held until the process ends; never closed

}  // namespace

std::string SingleInstanceLockPath(const std::string& gameFolder) {
  // The folder's whole path goes into a 64-bit FNV-1a hash (a path may be
  // longer than a file name may be); its last component is kept readable.
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : gameFolder) h = (h ^ c) * 1099511628211ull;
  std::string tail = gameFolder;
  while (tail.size() > 1 && tail.back() == '/') tail.pop_back();
  tail = tail.substr(tail.find_last_of('/') + 1);
  std::string safe;
  for (char c : tail.substr(0, 40)) safe += (isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_') ? c : '_';
  char name[128];
  snprintf(name, sizeof name, "qor-%s-%016llx.lock", safe.c_str(), static_cast<unsigned long long>(h));
  const char* run = getenv("XDG_RUNTIME_DIR");
  std::string dir = run && *run == '/' ? run : TempDirectory();
  if (dir.back() != '/') dir += '/';
  return dir + name;
}

InstanceStatus AcquireSingleInstance(const std::string& gameFolder) {
  if (g_lockFd >= 0) return InstanceStatus::kOnly;
  int fd = open(SingleInstanceLockPath(gameFolder).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return InstanceStatus::kError;
  while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    int saved = errno;
    close(fd);
    errno = saved;
    return saved == EWOULDBLOCK ? InstanceStatus::kAnotherRunning : InstanceStatus::kError;
  }
  g_lockFd = fd;
  return InstanceStatus::kOnly;
}

}  // namespace qor::platform
