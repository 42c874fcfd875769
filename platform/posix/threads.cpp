// Thread priority on POSIX: the lowest real-time priority when allowed, else
// a nice value of -5 for this thread alone.
#include "platform/threads.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace qor::platform {

void RaiseThreadPriority() {
  sched_param sp{};
  sp.sched_priority = sched_get_priority_min(SCHED_RR);
  if (pthread_setschedparam(pthread_self(), SCHED_RR, &sp) != 0) {
    setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), -5);
  }
}

}  // namespace qor::platform
