// Worker-thread scheduling: asking for a higher priority for streaming threads.
#pragma once

namespace qor::platform {

// Raises the calling thread's priority a little above normal. Refusals
// (missing privileges) are ignored.
void RaiseThreadPriority();

}  // namespace qor::platform
