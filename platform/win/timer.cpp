// Time on Windows: timeGetTime at 1 ms resolution, Sleep.
#include "platform/timer.h"

#include <windows.h>
#include <mmsystem.h>

namespace qor::platform {
namespace {

// The system timer runs at 1 ms for the whole run, as frame pacing needs.
const bool g_period = timeBeginPeriod(1) == TIMERR_NOERROR;

}  // namespace

uint32_t TimeMs() { return timeGetTime(); }

void SleepMs(uint32_t ms) {
  (void)g_period;
  Sleep(ms);
}

}  // namespace qor::platform
