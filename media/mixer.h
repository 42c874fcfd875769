// The software mixer that stands in for sound-card streaming buffers: ring
// buffers of PCM with a play cursor, Lock/Unlock, volume and pan in hundredths
// of a decibel, mixed and resampled into one stereo 16-bit output stream.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace qor {

struct PcmFormat {
  int channels = 0;         // 1 or 2
  int rate = 0;             // frames per second
  int bits = 0;             // 8 (unsigned) or 16 (signed little-endian)
  int blockAlign = 0;       // bytes per frame
  int avgBytesPerSec = 0;   // blockAlign × rate
};

// True when the mixer can play `f` (the fields agree with each other).
bool PcmFormatValid(const PcmFormat& f);

class UMixer;

// One ring buffer of PCM. The owner writes with Lock/Unlock away from the play
// cursor (as with any streaming buffer, nothing stops it writing where the
// cursor reads); the mixer thread only reads the bytes and advances the cursor.
class MixBuffer {
 public:
  // One or two pieces covering `bytes` from `offset`, wrapping at the end.
  // False when the range is empty or does not fit the buffer.
  bool Lock(uint32_t offset, uint32_t bytes, void** p1, uint32_t* n1, void** p2, uint32_t* n2);
  void Unlock(void* p1, uint32_t n1, void* p2, uint32_t n2);
  void Play();   // looping playback from the current position
  void Stop();   // keeps the position
  bool IsPlaying() const { return playing_.load(std::memory_order_relaxed); }
  // Play cursor in bytes (a whole frame offset).
  uint32_t GetCurrentPosition() const;
  // Hundredths of a decibel, −10000 (silent) .. 0; other values are refused.
  bool SetVolume(long v);
  // −10000 (left only) .. 10000 (right only): the far side is attenuated by |pan|.
  bool SetPan(long p);
  long Volume() const { return volume_.load(); }
  long Pan() const { return pan_.load(); }
  const PcmFormat& Format() const { return format_; }
  uint32_t Size() const { return uint32_t(data_.size()); }

 private:
  friend class UMixer;
  MixBuffer(const PcmFormat& f, uint32_t bytes, int outRate);
  void UpdateGains();
  // Adds this buffer's next `frames` output frames into `acc` (interleaved stereo floats).
  void MixInto(float* acc, int frames);
  float Sample(uint32_t frame, int ch) const;

  PcmFormat format_;
  std::vector<uint8_t> data_;
  uint32_t frames_;            // whole frames in the ring
  uint64_t step_;              // source frames per output frame, 32.32 fixed point
  std::atomic<uint64_t> pos_{0};  // cursor in source frames, 32.32 fixed point
  std::atomic<bool> playing_{false};
  std::atomic<long> volume_{0};
  std::atomic<long> pan_{0};
  std::atomic<float> gainL_{1.0f};
  std::atomic<float> gainR_{1.0f};
};

// Gain factor of a level in hundredths of a decibel (−10000 and below: silence).
float LevelToGain(long hundredthsDb);

class UMixer {
 public:
  explicit UMixer(int outRate);
  ~UMixer();
  int OutRate() const { return outRate_; }
  // A new buffer of `bytes` (rounded down to whole frames); nullptr when the
  // format is unusable or the size is zero.
  MixBuffer* CreateBuffer(const PcmFormat& f, uint32_t bytes);
  void ReleaseBuffer(MixBuffer* b);
  // Mixes the next `frames` stereo frames of every playing buffer into `out`
  // (interleaved signed 16-bit). The audio callback and tests call this.
  void Mix(int16_t* out, int frames);
  size_t BufferCount();

 private:
  int outRate_;
  std::mutex mutex_;  // guards the buffer list only; held for one mix call at most
  std::vector<MixBuffer*> buffers_;
  std::vector<float> acc_;
};

}  // namespace qor
