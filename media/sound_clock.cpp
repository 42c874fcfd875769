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
  static RealClock clock;
  return &clock;
}

uint32_t ManualClock::Now() {
  std::lock_guard<std::mutex> g(m_);
  return now_;
}

void ManualClock::Sleep(uint32_t ms) {
  std::unique_lock<std::mutex> g(m_);
  uint32_t until = now_ + ms;
  auto it = sleepers_.emplace(until, 0);
  cv_.notify_all();
  cv_.wait(g, [&] { return int32_t(now_ - until) >= 0; });
  sleepers_.erase(it);
}

void ManualClock::Advance(uint32_t ms) {
  std::lock_guard<std::mutex> g(m_);
  now_ += ms;
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
  while (Pending() < workers()) cv_.wait_for(g, std::chrono::milliseconds(1));
}

}  // namespace qor
