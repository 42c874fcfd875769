// Time on POSIX: CLOCK_MONOTONIC and nanosleep.
#include "platform/timer.h"

#include <sched.h>
#include <time.h>

#include <cerrno>

namespace qor::platform {

uint32_t TimeMs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return uint32_t(uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u);
}

void SleepMs(uint32_t ms) {
  if (ms == 0) {
    sched_yield();
    return;
  }
  timespec ts{time_t(ms / 1000), long(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

}  // namespace qor::platform
