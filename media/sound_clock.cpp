// The real and the hand-driven sound clocks.
#include "media/sound_clock.h"

#include <chrono>

#include "platform/timer.h"

namespace qor {
namespace {
class RealClock : public SoundClock {
 public:
  uint32_t Now() override { return platform::TimeMs(); }
  void Sleep(uint32_t ms) override { platform::SleepMs(ms); }
};
}  // namespace

SoundClock* RealSoundClock() {
  // Never destroyed: workers still sleep on it while the exit clean-up closes
  // the Lua state, which runs after static objects made later are destroyed.
  static RealClock* clock = new RealClock;
  return clock;
}

uint32_t ManualClock::Now() {
  std::lock_guard<std::mutex> g(m_);
  return now_;
}

void ManualClock::Sleep(uint32_t ms) {
  std::unique_lock<std::mutex> g(m_);
  uint32_t until = now_ + ms;
  const uint64_t generation = interrupts_;
  auto it = sleepers_.emplace(until, 0);
  driverCv_.notify_all();
  cv_.wait(g, [&] { return interrupts_ != generation || int32_t(now_ - until) >= 0; });
  sleepers_.erase(it);
}

void ManualClock::Advance(uint32_t ms) {
  std::lock_guard<std::mutex> g(m_);
  now_ += ms;
  cv_.notify_all();
}

void ManualClock::Interrupt() {
  std::lock_guard<std::mutex> g(m_);
  ++interrupts_;
  cv_.notify_all();
}

int ManualClock::Pending() {
  int n = 0;
  for (auto& [until, unused] : sleepers_)
    if (int32_t(now_ - until) < 0) ++n;
  return n;
}

void ManualClock::WaitIdle(const std::function<int()>& workers) {
  std::unique_lock<std::mutex> g(m_);
  // Workers that end never sleep again, so the count is polled as well.
  while (Pending() < workers()) driverCv_.wait_for(g, std::chrono::milliseconds(1));
}

}  // namespace qor
