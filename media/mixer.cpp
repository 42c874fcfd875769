// Software mixer: ring buffers with a play cursor mixed into stereo S16.
#include "media/mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace qor {

bool PcmFormatValid(const PcmFormat& f) {
  if (f.channels != 1 && f.channels != 2) return false;
  if (f.bits != 8 && f.bits != 16) return false;
  if (f.rate < 100 || f.rate > 384000) return false;
  if (f.blockAlign != f.channels * f.bits / 8) return false;
  return f.avgBytesPerSec == f.blockAlign * f.rate;
}

float LevelToGain(long v) {
  if (v <= -10000) return 0.0f;
  if (v >= 0) return 1.0f;
  return float(std::pow(10.0, double(v) / 2000.0));
}

MixBuffer::MixBuffer(const PcmFormat& f, uint32_t bytes, int outRate)
    : format_(f), frames_(bytes / uint32_t(f.blockAlign)) {
  data_.assign(size_t(frames_) * uint32_t(f.blockAlign), f.bits == 8 ? 0x80 : 0);
  step_ = (uint64_t(uint32_t(f.rate)) << 32) / uint64_t(outRate);
}

bool MixBuffer::Lock(uint32_t offset, uint32_t bytes, void** p1, uint32_t* n1, void** p2, uint32_t* n2) {
  const uint32_t size = Size();
  *p1 = *p2 = nullptr;
  *n1 = *n2 = 0;
  if (bytes == 0 || bytes > size || offset >= size) return false;
  *p1 = data_.data() + offset;
  *n1 = std::min(bytes, size - offset);
  if (*n1 < bytes) {
    *p2 = data_.data();
    *n2 = bytes - *n1;
  }
  return true;
}

void MixBuffer::Unlock(void*, uint32_t, void*, uint32_t) {
  // The written bytes become visible to the mixer thread with the next cursor update.
  std::atomic_thread_fence(std::memory_order_release);
}

void MixBuffer::Play() { playing_.store(true); }
void MixBuffer::Stop() { playing_.store(false); }

uint32_t MixBuffer::GetCurrentPosition() const {
  uint64_t pos = pos_.load(std::memory_order_acquire);
  return uint32_t(pos >> 32) * uint32_t(format_.blockAlign);
}

void MixBuffer::UpdateGains() {
  float g = LevelToGain(volume_.load());
  long pan = pan_.load();
  // The far side is attenuated by |pan| hundredths of a decibel; the near side stays.
  float left = g * (pan > 0 ? LevelToGain(-pan) : 1.0f);
  float right = g * (pan < 0 ? LevelToGain(pan) : 1.0f);
  gainL_.store(left);
  gainR_.store(right);
}

bool MixBuffer::SetVolume(long v) {
  if (v < -10000 || v > 0) return false;
  volume_.store(v);
  UpdateGains();
  return true;
}

bool MixBuffer::SetPan(long p) {
  if (p < -10000 || p > 10000) return false;
  pan_.store(p);
  UpdateGains();
  return true;
}

float MixBuffer::Sample(uint32_t frame, int ch) const {
  const uint8_t* p = data_.data() + size_t(frame) * uint32_t(format_.blockAlign);
  if (format_.bits == 8) return (float(p[ch]) - 128.0f) * (1.0f / 128.0f);
  int16_t s;
  memcpy(&s, p + 2 * ch, 2);
  return float(s) * (1.0f / 32768.0f);
}

void MixBuffer::MixInto(float* acc, int frames) {
  if (!playing_.load(std::memory_order_acquire) || frames_ == 0) return;
  const float gl = gainL_.load(std::memory_order_relaxed);
  const float gr = gainR_.load(std::memory_order_relaxed);
  const uint64_t ring = uint64_t(frames_) << 32;
  uint64_t pos = pos_.load(std::memory_order_relaxed);
  const bool stereo = format_.channels == 2;
  for (int i = 0; i < frames; ++i) {
    uint32_t f0 = uint32_t(pos >> 32);
    uint32_t f1 = f0 + 1 == frames_ ? 0 : f0 + 1;
    uint32_t frac = uint32_t(pos);
    float l, r;
    if (frac == 0) {
      l = Sample(f0, 0);
      r = stereo ? Sample(f0, 1) : l;
    } else {
      float t = float(frac) * (1.0f / 4294967296.0f);
      float l0 = Sample(f0, 0), l1 = Sample(f1, 0);
      l = l0 + (l1 - l0) * t;
      if (stereo) {
        float r0 = Sample(f0, 1), r1 = Sample(f1, 1);
        r = r0 + (r1 - r0) * t;
      } else {
        r = l;
      }
    }
    acc[2 * i] += l * gl;
    acc[2 * i + 1] += r * gr;
    pos += step_;
    if (pos >= ring) pos -= ring;
  }
  pos_.store(pos, std::memory_order_release);
}

UMixer::UMixer(int outRate) : outRate_(outRate) {}

UMixer::~UMixer() {
  std::lock_guard<std::mutex> g(mutex_);
  for (MixBuffer* b : buffers_) delete b;
  buffers_.clear();
}

MixBuffer* UMixer::CreateBuffer(const PcmFormat& f, uint32_t bytes) {
  if (!PcmFormatValid(f) || bytes < uint32_t(f.blockAlign)) return nullptr;
  std::unique_ptr<MixBuffer> b(new MixBuffer(f, bytes, outRate_));
  std::lock_guard<std::mutex> g(mutex_);
  buffers_.push_back(b.get());  // may throw; the buffer is then freed here
  return b.release();
}

void UMixer::ReleaseBuffer(MixBuffer* b) {
  if (!b) return;
  {
    std::lock_guard<std::mutex> g(mutex_);
    buffers_.erase(std::remove(buffers_.begin(), buffers_.end(), b), buffers_.end());
  }
  delete b;  // the mixer thread no longer sees it
}

size_t UMixer::BufferCount() {
  std::lock_guard<std::mutex> g(mutex_);
  return buffers_.size();
}

void UMixer::Mix(int16_t* out, int frames) {
  constexpr int kChunk = 512;
  float acc[2 * kChunk];
  std::lock_guard<std::mutex> g(mutex_);
  while (frames > 0) {
    int n = std::min(frames, kChunk);
    std::fill(acc, acc + 2 * n, 0.0f);
    for (MixBuffer* b : buffers_) b->MixInto(acc, n);
    for (int i = 0; i < 2 * n; ++i) {
      float v = acc[i] * 32768.0f;
      v = std::clamp(v, -32768.0f, 32767.0f);
      out[i] = int16_t(std::lrintf(v));
    }
    out += 2 * n;
    frames -= n;
  }
}

}  // namespace qor
