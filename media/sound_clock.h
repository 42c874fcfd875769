// The clock the streaming threads read and sleep on: the engine's millisecond
// clock in normal runs, or a hand-driven clock so tests and benchmarks can run
// playback faster than real time and sample-exactly.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

namespace qor {

class SoundClock {
 public:
  virtual ~SoundClock() = default;
  virtual uint32_t Now() = 0;
  virtual void Sleep(uint32_t ms) = 0;
  // Ends the sleeps in progress early (a stop request is waiting on a sleeper).
  virtual void Interrupt() {}
};

// TimeMs / SleepMs.
SoundClock* RealSoundClock();

// Time moves only when Advance is called. Sleepers block until their wake-up
// time has been reached; WaitIdle lets the driver wait until every worker is
// asleep (or gone) before it moves time on, which makes runs deterministic.
class ManualClock : public SoundClock {
 public:
  uint32_t Now() override;
  void Sleep(uint32_t ms) override;
  void Interrupt() override;
  void Advance(uint32_t ms);
  // Blocks until the number of sleepers not yet due equals `workers()`.
  void WaitIdle(const std::function<int()>& workers);

 private:
  std::mutex m_;
  std::condition_variable cv_;        // sleepers wait here for time to move
  std::condition_variable driverCv_;  // the driver waits here for sleepers
  uint32_t now_ = 0;
  uint64_t interrupts_ = 0;
  std::multimap<uint32_t, int> sleepers_;  // wake-up time → count
  int Pending();                           // sleepers whose time has not come (m_ held)
};

}  // namespace qor
