// MovieDecoder: one movie file decoded by FFmpeg on its own thread a few
// frames ahead, its pictures converted to top-down BGRA at the native size,
// each tagged with its exact frame index, and its sound streamed into a mixer
// buffer. Pictures are handed over by the movie clock: the sound's play
// cursor when the movie has sound, else the engine clock. Lua-free.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qor {

class UMixer;
class MixBuffer;
class SoundClock;

enum class MovieStatus {
  Ok,
  Unplayable,    // FFmpeg cannot open or decode it, or it has no picture
  StartTimeout,  // no picture within the start time-out
};

struct MovieOptions {
  bool keepAlpha = false;          // the stream's own alpha; A = 255 otherwise
  int32_t volume = 0;              // hundredths of a decibel, clamped to −10000 .. 0
  UMixer* mixer = nullptr;         // where the sound plays; null = the movie is silent
  SoundClock* clock = nullptr;     // the engine clock; null = the real one
  uint32_t startTimeoutMs = 5000;  // Start and Rewind wait this long for a picture
};

struct MovieFrame {
  int64_t index = -1;           // 0 = the first picture after the start or a rewind
  int64_t ptsMs = 0;            // when it is due, from the movie's start
  std::vector<uint8_t> bgra;    // width × height × 4, top row first
};

class MovieDecoder {
 public:
  MovieDecoder();
  ~MovieDecoder();  // stops the thread
  MovieDecoder(const MovieDecoder&) = delete;
  MovieDecoder& operator=(const MovieDecoder&) = delete;

  // Opens `path` (a real file name) and starts decoding ahead; the clock
  // stands still until Start.
  MovieStatus Open(const std::string& path, const MovieOptions& options);
  int Width() const { return width_; }
  int Height() const { return height_; }
  bool HasSound() const { return buffer_ != nullptr; }
  bool StreamHasAlpha() const { return streamAlpha_; }

  // Waits for the first picture and starts the clock (and the sound).
  MovieStatus Start();
  // Moves to the newest picture due by the movie clock; true when the
  // current picture changed.
  bool Advance();
  const MovieFrame& Current() const { return current_; }
  // The last picture's time has passed and the sound has drained.
  bool Finished();
  // Seeks to the start and waits for the first picture again.
  MovieStatus Rewind();
  // Milliseconds of movie time since the start (0 before Start).
  int64_t ClockMs();

 private:
  struct Av;
  void Run();
  bool DecodeStep();             // false once the end was reached
  void PushPicture(void* avframe);
  void PushSound(void* avframe);
  void TopUpSound();
  void SeekToStart();
  void Close();
  std::unique_ptr<MovieFrame> TakeFrame();
  MovieStatus WaitForPicture(std::unique_lock<std::mutex>& lock);

  std::unique_ptr<Av> av_;
  int width_ = 0, height_ = 0;
  bool streamAlpha_ = false;
  bool keepAlpha_ = false;
  uint32_t startTimeoutMs_ = 5000;
  SoundClock* clock_ = nullptr;

  // Shared with the decoder thread under m_.
  std::mutex m_;
  std::condition_variable cv_;       // the thread waits here for room or a request
  std::condition_variable readyCv_;  // Start / Rewind wait here for a picture
  std::deque<std::unique_ptr<MovieFrame>> queue_;
  std::vector<std::unique_ptr<MovieFrame>> pool_;
  bool stop_ = false;
  bool seekRequest_ = false;
  bool eof_ = false;
  bool failed_ = false;  // nothing could be decoded at all
  int64_t nextIndex_ = 0;
  int64_t frameMs_ = 33;  // one picture's duration

  // Main-thread state.
  MovieFrame current_;
  bool started_ = false;
  uint32_t startMs_ = 0;

  // Sound: the thread writes the ring, the main thread reads the clock.
  UMixer* mixer_ = nullptr;
  MixBuffer* buffer_ = nullptr;
  std::vector<uint8_t> soundFifo_;       // decoded, not yet in the ring (thread only)
  uint32_t lastCursor_ = 0;              // thread only
  uint64_t written_ = 0;                 // bytes put in the ring (thread only)
  std::atomic<uint64_t> played_{0};      // bytes the mixer has played
  std::atomic<uint64_t> soundBase_{0};   // played_ at the start / last rewind
  std::atomic<uint64_t> soundEnd_{UINT64_MAX};  // written_ once the sound ended
  int bytesPerSec_ = 0;

  std::thread thread_;
};

}  // namespace qor
