// Thread priority on Windows: one step above normal.
#include "platform/threads.h"

#include <windows.h>

namespace qor::platform {

void RaiseThreadPriority() { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL); }

}  // namespace qor::platform
