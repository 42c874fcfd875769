// The mixer: ring-buffer locking, cursor and looping, sample formats,
// resampling, and the volume and pan laws in hundredths of a decibel.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "media/mixer.h"

namespace qor {
namespace {

PcmFormat Fmt(int ch, int rate, int bits) {
  PcmFormat f;
  f.channels = ch;
  f.rate = rate;
  f.bits = bits;
  f.blockAlign = ch * bits / 8;
  f.avgBytesPerSec = f.blockAlign * rate;
  return f;
}

// Writes 16-bit frames (interleaved) at the buffer's start.
void Write16(MixBuffer* b, const std::vector<int16_t>& s) {
  void *p1, *p2;
  uint32_t n1, n2;
  ASSERT_TRUE(b->Lock(0, uint32_t(s.size() * 2), &p1, &n1, &p2, &n2));
  memcpy(p1, s.data(), n1);
  b->Unlock(p1, n1, p2, n2);
}

std::vector<int16_t> Pull(UMixer& m, int frames) {
  std::vector<int16_t> out(size_t(frames) * 2);
  m.Mix(out.data(), frames);
  return out;
}

TEST(SoundMixer, LockGivesOneOrTwoPiecesAndRefusesBadRanges) {
  UMixer m(44100);
  MixBuffer* b = m.CreateBuffer(Fmt(2, 44100, 16), 400);
  ASSERT_NE(b, nullptr);
  void *p1, *p2;
  uint32_t n1, n2;
  ASSERT_TRUE(b->Lock(100, 200, &p1, &n1, &p2, &n2));
  EXPECT_EQ(n1, 200u);
  EXPECT_EQ(n2, 0u);
  ASSERT_TRUE(b->Lock(300, 200, &p1, &n1, &p2, &n2));
  EXPECT_EQ(n1, 100u);
  EXPECT_EQ(n2, 100u);
  EXPECT_EQ(static_cast<uint8_t*>(p1) - static_cast<uint8_t*>(p2), 300);
  EXPECT_FALSE(b->Lock(0, 401, &p1, &n1, &p2, &n2));
  EXPECT_FALSE(b->Lock(400, 4, &p1, &n1, &p2, &n2));
  EXPECT_FALSE(b->Lock(0, 0, &p1, &n1, &p2, &n2));
  // Formats the mixer cannot play are refused.
  EXPECT_EQ(m.CreateBuffer(Fmt(3, 44100, 16), 600), nullptr);
  EXPECT_EQ(m.CreateBuffer(Fmt(2, 44100, 24), 600), nullptr);
  PcmFormat bad = Fmt(2, 44100, 16);
  bad.blockAlign = 3;
  EXPECT_EQ(m.CreateBuffer(bad, 600), nullptr);
  m.ReleaseBuffer(b);
  EXPECT_EQ(m.BufferCount(), 0u);
}

TEST(SoundMixer, SameRateIsExactAndTheCursorLoopsStopsAndResumes) {
  UMixer m(44100);
  MixBuffer* b = m.CreateBuffer(Fmt(2, 44100, 16), 8 * 4);
  std::vector<int16_t> s;
  for (int i = 0; i < 8; ++i) {
    s.push_back(int16_t(1000 * i - 3000));
    s.push_back(int16_t(-32768 + i));
  }
  Write16(b, s);
  // Not playing yet: silence, cursor stays.
  EXPECT_EQ(Pull(m, 4), std::vector<int16_t>(8, 0));
  EXPECT_EQ(b->GetCurrentPosition(), 0u);
  b->Play();
  auto out = Pull(m, 11);  // wraps once
  for (int i = 0; i < 11; ++i) {
    EXPECT_EQ(out[2 * i], s[2 * (i % 8)]) << i;
    EXPECT_EQ(out[2 * i + 1], s[2 * (i % 8) + 1]) << i;
  }
  EXPECT_EQ(b->GetCurrentPosition(), 3u * 4);
  b->Stop();
  EXPECT_EQ(Pull(m, 5), std::vector<int16_t>(10, 0));
  EXPECT_EQ(b->GetCurrentPosition(), 3u * 4);
  b->Play();
  out = Pull(m, 1);
  EXPECT_EQ(out[0], s[6]);
}

TEST(SoundMixer, EightBitMonoFeedsBothChannels) {
  UMixer m(22050);
  MixBuffer* b = m.CreateBuffer(Fmt(1, 22050, 8), 4);
  void *p1, *p2;
  uint32_t n1, n2;
  ASSERT_TRUE(b->Lock(0, 4, &p1, &n1, &p2, &n2));
  const uint8_t bytes[4] = {0x80, 0xC0, 0x00, 0xFF};
  memcpy(p1, bytes, 4);
  b->Unlock(p1, n1, p2, n2);
  b->Play();
  auto out = Pull(m, 4);
  const int16_t want[4] = {0, 16384, -32768, 32512};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(out[2 * i], want[i]);
    EXPECT_EQ(out[2 * i + 1], want[i]);
  }
}

TEST(SoundMixer, ResamplesByLinearInterpolation) {
  UMixer m(44100);
  MixBuffer* b = m.CreateBuffer(Fmt(1, 22050, 16), 4 * 2);
  Write16(b, {0, 1000, 2000, -2000});
  b->Play();
  auto out = Pull(m, 8);
  const int16_t want[8] = {0, 500, 1000, 1500, 2000, 0, -2000, -1000};
  for (int i = 0; i < 8; ++i) EXPECT_NEAR(out[2 * i], want[i], 1) << i;
  EXPECT_EQ(b->GetCurrentPosition(), 0u);  // 8 output frames = 4 source frames = one lap
}

TEST(SoundMixer, VolumeAndPanFollowTheDecibelLaws) {
  UMixer m(48000);
  MixBuffer* b = m.CreateBuffer(Fmt(2, 48000, 16), 4);
  Write16(b, {20000, 20000});
  b->Play();
  auto level = [&](int ch) { return Pull(m, 1)[ch]; };
  EXPECT_EQ(level(0), 20000);
  ASSERT_TRUE(b->SetVolume(-600));  // −6 dB ≈ half
  EXPECT_NEAR(level(0), 20000 * std::pow(10.0, -0.3), 1);
  EXPECT_FALSE(b->SetVolume(1));
  EXPECT_FALSE(b->SetVolume(-10001));
  EXPECT_EQ(b->Volume(), -600);  // refused values keep the old setting
  ASSERT_TRUE(b->SetVolume(-10000));
  EXPECT_EQ(level(0), 0);
  ASSERT_TRUE(b->SetVolume(0));

  ASSERT_TRUE(b->SetPan(-1000));  // right attenuated by 10 dB, left untouched
  auto out = Pull(m, 1);
  EXPECT_EQ(out[0], 20000);
  EXPECT_NEAR(out[1], 20000 * std::pow(10.0, -0.5), 1);
  ASSERT_TRUE(b->SetPan(10000));
  out = Pull(m, 1);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], 20000);
  EXPECT_FALSE(b->SetPan(10001));
  EXPECT_EQ(b->Pan(), 10000);
  // Volume and pan combine.
  ASSERT_TRUE(b->SetVolume(-2000));
  ASSERT_TRUE(b->SetPan(2000));
  out = Pull(m, 1);
  EXPECT_NEAR(out[0], 20000 * 0.01, 1);
  EXPECT_NEAR(out[1], 20000 * 0.1, 1);
}

TEST(SoundMixer, SumsBuffersAndClipsInsteadOfWrapping) {
  UMixer m(44100);
  MixBuffer* a = m.CreateBuffer(Fmt(1, 44100, 16), 2);
  MixBuffer* b = m.CreateBuffer(Fmt(1, 44100, 16), 2);
  Write16(a, {30000});
  Write16(b, {-10000});
  a->Play();
  b->Play();
  EXPECT_EQ(Pull(m, 1)[0], 20000);
  Write16(b, {30000});
  EXPECT_EQ(Pull(m, 1)[0], 32767);
  Write16(a, {-30000});
  Write16(b, {-30000});
  EXPECT_EQ(Pull(m, 1)[1], -32768);
}

}  // namespace
}  // namespace qor
