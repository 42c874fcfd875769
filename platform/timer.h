// Time: a monotonic millisecond clock (the engine's timeGetTime) and sleeping.
#pragma once
#include <cstdint>

namespace qor::platform {

// Milliseconds of a monotonic clock as an unsigned 32-bit value; wraps like timeGetTime.
uint32_t TimeMs();

// Sleeps at least `ms` milliseconds (0 yields the processor).
void SleepMs(uint32_t ms);

}  // namespace qor::platform
