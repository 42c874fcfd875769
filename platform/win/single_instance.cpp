// Single-instance lock on Windows: a named mutex, created owned and never
// closed, so the name is taken until the process ends.
#include "platform/single_instance.h"

#include <windows.h>

namespace qor::platform {
namespace {

HANDLE g_mutex = nullptr;  // held until the process ends; never closed

}  // namespace

std::string SingleInstanceLockPath(const std::string& gameFolder) {
  // Kernel object names may not hold '\' (outside the Local\ prefix).
  std::string name = gameFolder;
  for (char& c : name)
    if (c == '\\') c = '/';
  return name;
}

InstanceStatus AcquireSingleInstance(const std::string& gameFolder) {
  if (g_mutex) return InstanceStatus::kOnly;
  const std::string name = SingleInstanceLockPath(gameFolder);
  HANDLE h = CreateMutexA(nullptr, TRUE, name.c_str());
  // Read at once: freeing memory (a temporary's destructor) may reset it.
  const DWORD error = GetLastError();
  if (!h) return InstanceStatus::kError;
  if (error == ERROR_ALREADY_EXISTS) {
    CloseHandle(h);
    return InstanceStatus::kAnotherRunning;
  }
  g_mutex = h;
  return InstanceStatus::kOnly;
}

}  // namespace qor::platform
