// The streaming sound object driven on a hand-stepped clock and a pulled
// mixer: loops, endings, fades, pause, restart, WAV regions, broken files.
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <new>
#include <vector>

#include "media/mixer.h"
#include "host/resource_stream.h"
#include "media/ogg_thread.h"
#include "media/pcm_source.h"
#include "media/sound_clock.h"
#include "platform/paths.h"

namespace qor {
namespace {

std::string Fixture(const char* name) { return std::string(QOR_FIXTURES) + "/sound/" + name; }
ResourceLocation Loose(const std::string& path) { return ResourceLocation{path, 0, 0, false}; }
ResourceLocation Member(const std::string& archive, uint32_t offset, uint32_t size) {
  return ResourceLocation{archive, offset, size, true};
}

// Decodes a whole Ogg file the way the worker does (16-bit little-endian).
std::vector<int16_t> DecodeOgg(const std::string& path) {
  OggVorbis_File vf;
  std::vector<int16_t> pcm;
  if (ov_fopen(path.c_str(), &vf) != 0) return pcm;
  char buf[8192];
  int section;
  long n;
  while ((n = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section)) > 0) {
    size_t at = pcm.size();
    pcm.resize(at + size_t(n) / 2);
    memcpy(pcm.data() + at, buf, size_t(n));
  }
  ov_clear(&vf);
  return pcm;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  platform::ReadWholeFile(path, &bytes);
  return bytes;
}

// The 16-bit samples of a canonical WAV (data at byte 44).
std::vector<int16_t> WavSamples(const std::string& path) {
  auto bytes = ReadFile(path);
  std::vector<int16_t> s((bytes.size() - 44) / 2);
  memcpy(s.data(), bytes.data() + 44, s.size() * 2);
  return s;
}

// Expands mono samples to the mixer's interleaved stereo.
std::vector<int16_t> ToStereo(const std::vector<int16_t>& mono) {
  std::vector<int16_t> st;
  for (int16_t v : mono) {
    st.push_back(v);
    st.push_back(v);
  }
  return st;
}

// A mixer at the sources' rate, a hand-driven clock and the sounds on them.
// Each step waits until every worker sleeps, mixes 10 ms and moves time on.
struct Rig {
  explicit Rig(int rate) : mixer(rate) {}
  ~Rig() {
    for (UOggThread* s : sounds) {
      s->StopAndReset();
      delete s;
    }
  }
  UOggThread* NewSound() {
    auto* s = new UOggThread();
    s->SetBackend(&mixer, &clock);
    sounds.push_back(s);
    return s;
  }
  int Running() {
    int n = 0;
    for (UOggThread* s : sounds) n += s->IsRunning();
    return n;
  }
  void Run(int ms) {
    for (int t = 0; t < ms; t += 10) {
      clock.WaitIdle([this] { return Running(); });
      size_t at = out.size();
      out.resize(at + size_t(mixer.OutRate() / 100) * 2);
      mixer.Mix(out.data() + at, mixer.OutRate() / 100);
      clock.Advance(10);
    }
    clock.WaitIdle([this] { return Running(); });
  }
  // Runs until no sound plays; false when that takes longer than `limitMs`.
  bool RunUntilQuiet(int limitMs) {
    for (int t = 0; t < limitMs; t += 10) {
      if (Running() == 0) return true;
      Run(10);
    }
    return Running() == 0;
  }
  int32_t Applied(UOggThread* s) {
    SharedState st;
    s->GetShared(&st);
    return st.appliedVolume;
  }
  UMixer mixer;
  ManualClock clock;
  std::vector<UOggThread*> sounds;
  std::vector<int16_t> out;  // interleaved stereo
};

// Frames [from, to) of interleaved PCM (to = SIZE_MAX: the end).
std::vector<int16_t> Frames(const std::vector<int16_t>& pcm, size_t from, size_t to = SIZE_MAX, int channels = 2) {
  to = std::min(to * channels, pcm.size()) / channels;
  return std::vector<int16_t>(pcm.begin() + from * channels, pcm.begin() + to * channels);
}

std::vector<int16_t> Then(std::vector<int16_t> a, const std::vector<int16_t>& b, int times = 1) {
  for (int i = 0; i < times; ++i) a.insert(a.end(), b.begin(), b.end());
  return a;
}

// One play of `where` on a fresh rig at `rate`: from `loopPoint` when it is
// not 0, else Play(loop); for `ms`, or with ms = 0 until it ends by itself,
// after which the output must be silence and the buffer gone.
struct Played {
  std::vector<int16_t> out;
  bool running;
};
Played PlayFor(const ResourceLocation& where, int rate, bool loop, double loopPoint, int ms) {
  Rig rig(rate);
  UOggThread* s = rig.NewSound();
  EXPECT_TRUE(s->Open(where));
  if (loopPoint != 0.0) {
    s->PlayWithLoopPoint(loopPoint);
  } else {
    s->Play(loop);
  }
  if (ms) {
    rig.Run(ms);
  } else {
    EXPECT_TRUE(rig.RunUntilQuiet(15000));
    EXPECT_EQ(rig.mixer.BufferCount(), 0u);
  }
  return {rig.out, s->IsRunning()};
}

// The output starts with `want`; with `thenSilent`, nothing but silence follows.
testing::AssertionResult Plays(const Played& got, const std::vector<int16_t>& want, bool thenSilent = false) {
  if (got.out.size() < want.size())
    return testing::AssertionFailure() << "only " << got.out.size() << " of " << want.size() << " samples";
  auto diff = std::mismatch(want.begin(), want.end(), got.out.begin());
  if (diff.first != want.end())
    return testing::AssertionFailure() << "sample " << (diff.first - want.begin()) << ": " << *diff.second
                                       << " instead of " << *diff.first;
  for (size_t i = want.size(); thenSilent && i < got.out.size(); ++i)
    if (got.out[i]) return testing::AssertionFailure() << "sound at " << i << " after the data";
  return testing::AssertionSuccess();
}

TEST(SoundStream, OggLoopTagsAndLoopPoints) {
  const auto tagged = DecodeOgg(Fixture("loop_44100.ogg"));
  ASSERT_GT(tagged.size(), size_t(2 * 140000));
  // LOOPSTART=44100, LOOPLENGTH=88200: frames 0 .. 132298, then 44100 .. 132298 again and again.
  Played p = PlayFor(Loose(Fixture("loop_44100.ogg")), 44100, true, 0, 7000);
  EXPECT_TRUE(Plays(p, Then(Frames(tagged, 0, 132299), Frames(tagged, 44100, 132299), 2)));
  EXPECT_TRUE(p.running);
  // Without looping the tags are ignored: the data, silence, the end.
  EXPECT_TRUE(Plays(PlayFor(Loose(Fixture("loop_44100.ogg")), 44100, false, 0, 0), tagged, true));

  const auto plain = DecodeOgg(Fixture("plain_1500ms.ogg"));
  EXPECT_TRUE(Plays(PlayFor(Loose(Fixture("plain_1500ms.ogg")), 44100, true, 0.5, 3000),
                    Then(plain, Frames(plain, 22050))));
  // A 2205-frame loop is crossed many times by one refill; "loopstart=" in lower case is not a tag.
  const auto shortLoop = DecodeOgg(Fixture("tags_short.ogg"));
  EXPECT_TRUE(Plays(PlayFor(Loose(Fixture("tags_short.ogg")), 44100, true, 0, 3000),
                    Then(Frames(shortLoop, 0, 24254), Frames(shortLoop, 22050, 24254), 38)));
  // LOOPLENGTH=1 leaves no frames to loop: the data loops from its end to LOOPSTART.
  const auto len1 = DecodeOgg(Fixture("tags_len1.ogg"));
  EXPECT_TRUE(Plays(PlayFor(Loose(Fixture("tags_len1.ogg")), 44100, true, 0, 3000), Then(len1, Frames(len1, 22050))));
  // LOOPSTART past the end: the loop seek fails, the rest is silence and the sound ends.
  EXPECT_TRUE(Plays(PlayFor(Loose(Fixture("tags_far.ogg")), 44100, true, 0, 0), DecodeOgg(Fixture("tags_far.ogg")), true));
}

TEST(SoundStream, WavLoopPoints) {
  // 1.5 s returns to the data start + 264600 bytes.
  const auto stereo = WavSamples(Fixture("tone_44100_s16.wav"));  // 2 s
  EXPECT_TRUE(Plays(PlayFor(Loose(Fixture("tone_44100_s16.wav")), 44100, true, 1.5, 3500),
                    Then(stereo, Frames(stereo, 66150), 2)));
  // A 50 ms loop is crossed many times by every one-second refill.
  const auto mono = WavSamples(Fixture("tone_48000_m16.wav"));  // 1.5 s, 72000 frames
  Played p = PlayFor(Loose(Fixture("tone_48000_m16.wav")), 48000, true, 1.45, 4000);
  EXPECT_TRUE(Plays(p, ToStereo(Then(mono, Frames(mono, 69600, SIZE_MAX, 1), 40))));
  EXPECT_TRUE(p.running);
  // A loop point past the data yields nothing: the sound ends instead of spinning.
  EXPECT_TRUE(Plays(PlayFor(Loose(Fixture("tone_48000_m16.wav")), 48000, true, 10.0, 0), ToStereo(mono), true));
}

TEST(SoundStream, DoubleSpeedKeepsHalfOfEverySixteenKilobytesOfOggOnly) {
  const auto ref = DecodeOgg(Fixture("loop_44100.ogg"));
  Rig rig(44100);
  UOggThread* s = rig.NewSound();
  ASSERT_TRUE(s->Open(Loose(Fixture("loop_44100.ogg"))));
  s->SetDoubleSpeed(true);
  s->Play(false);
  rig.Run(1500);
  // Output frame 2048k + j is source frame 4096k + j (8192 of 16384 bytes).
  for (size_t f = 0; f < 44100; ++f) {
    size_t src = f / 2048 * 4096 + f % 2048;
    ASSERT_EQ(rig.out[2 * f], ref[2 * src]) << f;
  }
  // A WAV plays at normal speed.
  const auto wav = WavSamples(Fixture("tone_44100_s16.wav"));
  ASSERT_TRUE(s->Open(Loose(Fixture("tone_44100_s16.wav"))));
  s->SetDoubleSpeed(true);
  size_t at = rig.out.size();
  s->Play(false);
  ASSERT_TRUE(rig.RunUntilQuiet(10000));
  EXPECT_TRUE(Plays({std::vector<int16_t>(rig.out.begin() + at, rig.out.end()), false}, wav, true));
}

// The sound's bytes between unrelated bytes, as an archive stores them.
std::string WriteRegion(const std::vector<uint8_t>& bytes, const char* name) {
  std::string path = testing::TempDir() + name;
  FILE* f = fopen(path.c_str(), "wb");
  std::vector<uint8_t> junk(12345, 'd');  // 'd' bytes must not confuse the "data" scan
  fwrite(junk.data(), 1, junk.size(), f);
  fwrite(bytes.data(), 1, bytes.size(), f);
  fwrite(junk.data(), 1, 999, f);
  fclose(f);
  return path;
}

// A WAV member played to its end from an archive is the sound_capture scenario.
TEST(SoundStream, LoopingOggMemberSeeksInsideTheMember) {
  const std::string ogg = Fixture("plain_1500ms.ogg");
  const auto oggBytes = ReadFile(ogg);
  const std::string oggRegion = WriteRegion(oggBytes, "sound_region.ogg.bin");
  const auto oggData = DecodeOgg(ogg);
  EXPECT_TRUE(Plays(PlayFor(Member(oggRegion, 12345, uint32_t(oggBytes.size())), 44100, true, 0, 3200),
                    Then(oggData, oggData)));
  remove(oggRegion.c_str());
}

TEST(SoundStream, EightBitWavIsResampledToTheMixerRate) {
  auto bytes = ReadFile(Fixture("tone_22050_m8.wav"));
  Rig rig(44100);
  UOggThread* s = rig.NewSound();
  ASSERT_TRUE(s->Open(Loose(Fixture("tone_22050_m8.wav"))));
  s->Play(false);
  ASSERT_TRUE(rig.RunUntilQuiet(10000));
  // Every second output frame falls exactly on a source frame.
  for (size_t k = 0; k + 44 < bytes.size(); ++k) {
    ASSERT_EQ(rig.out[4 * k], (int(bytes[44 + k]) - 128) * 256) << k;
  }
}

TEST(SoundStream, FadeInAndFadeOutFollowTheLogarithmicCurve) {
  Rig rig(44100);
  UOggThread* s = rig.NewSound();
  ASSERT_TRUE(s->Open(Loose(Fixture("loop_44100.ogg"))));
  s->SetFadeInTime(1000);
  s->Play(true);
  rig.Run(10);
  EXPECT_EQ(rig.Applied(s), -2500);  // the buffer starts at −2500
  rig.Run(490);
  EXPECT_EQ(rig.Applied(s), -1747);  // trunc(log10 5 × −2500)
  rig.Run(600);
  EXPECT_EQ(rig.Applied(s), 0);

  ASSERT_TRUE(s->Open(Loose(Fixture("loop_44100.ogg"))));
  s->SetVolume(-500);
  s->Play(true);
  rig.Run(200);
  EXPECT_EQ(rig.Applied(s), -500);
  s->FadeOut(2000);
  s->SetVolume(0);  // ignored during a fade-out
  rig.Run(1000);
  EXPECT_EQ(rig.Applied(s), -3359);  // trunc(0.69897 × −500 + 0.30103 × −10000)
  EXPECT_TRUE(s->IsRunning());
  ASSERT_TRUE(rig.RunUntilQuiet(1100));
}

// The gain of a volume and a pan is SoundMixer.VolumeAndPanFollowTheDecibelLaws.
TEST(SoundStream, VolumeDuringAFadeInCancelsItAndPanReachesTheBuffer) {
  Rig rig(44100);
  UOggThread* s = rig.NewSound();
  ASSERT_TRUE(s->Open(Loose(Fixture("tone_44100_s16.wav"))));
  s->SetFadeInTime(2000);
  s->Play(true);
  rig.Run(300);
  s->SetVolume(-1000);
  s->SetPan(-10000);
  rig.Run(1000);
  EXPECT_EQ(rig.Applied(s), -1000);
  EXPECT_EQ(rig.out.back(), 0);  // the pan reached the buffer: the right channel is silent
}

// Drops the frames where both channels are 0, so a pause's silence disappears.
std::vector<int16_t> NonSilent(const std::vector<int16_t>& st, size_t frames) {
  std::vector<int16_t> r;
  for (size_t i = 0; i < frames && 2 * i + 1 < st.size(); ++i)
    if (st[2 * i] || st[2 * i + 1]) {
      r.push_back(st[2 * i]);
      r.push_back(st[2 * i + 1]);
    }
  return r;
}

TEST(SoundStream, PauseKeepsThePositionAndPlayingAgainRestarts) {
  const auto data = WavSamples(Fixture("tone_44100_s16.wav"));
  Rig rig(44100);
  UOggThread* s = rig.NewSound();
  ASSERT_TRUE(s->Open(Loose(Fixture("tone_44100_s16.wav"))));
  s->Play(false);
  rig.Run(500);
  s->Pause();
  rig.Run(100);
  size_t pausedAt = rig.out.size();
  s->SetVolume(-10000);  // waits while paused
  rig.Run(600);
  EXPECT_TRUE(s->IsRunning());
  for (size_t i = pausedAt; i < rig.out.size(); ++i) ASSERT_EQ(rig.out[i], 0);
  EXPECT_EQ(rig.Applied(s), 0);
  s->SetVolume(0);
  s->Resume();
  ASSERT_TRUE(rig.RunUntilQuiet(10000));
  // Without the pause's silence the output is the data, uninterrupted.
  auto got = NonSilent(rig.out, rig.out.size() / 2);
  auto want = NonSilent(data, data.size() / 2);
  ASSERT_EQ(got.size(), want.size());
  EXPECT_EQ(got, want);

  // Opening and playing again mid-sound restarts from the first frame on the same buffer.
  ASSERT_TRUE(s->Open(Loose(Fixture("tone_44100_s16.wav"))));
  s->Play(false);
  rig.Run(700);
  size_t restartAt = rig.out.size();
  ASSERT_TRUE(s->Open(Loose(Fixture("tone_44100_s16.wav"))));
  s->Play(false);
  rig.Run(500);
  EXPECT_EQ(rig.mixer.BufferCount(), 1u);
  EXPECT_EQ(0, memcmp(rig.out.data() + restartAt, data.data(), (rig.out.size() - restartAt) * 2));
}

TEST(SoundStream, MissingCorruptAndTruncatedFilesEndQuietly) {
  Rig rig(44100);
  UOggThread* s = rig.NewSound();
  EXPECT_FALSE(s->Open(Loose(Fixture("absent.ogg"))));
  EXPECT_FALSE(s->Open(Loose(std::string(300, 'a'))));  // longer than 255 bytes
  for (const char* name : {"corrupt.ogg", "nodata.wav"}) {
    ASSERT_TRUE(s->Open(Loose(Fixture(name)))) << name;
    s->Play(true);
    EXPECT_TRUE(rig.RunUntilQuiet(200)) << name;
    EXPECT_EQ(rig.mixer.BufferCount(), 0u);
  }
  // A region past the end of the file reads nothing.
  ASSERT_TRUE(s->Open(Member(Fixture("tone_44100_s16.wav"), 1 << 24, 1000)));
  s->Play(false);
  EXPECT_TRUE(rig.RunUntilQuiet(200));
  for (int16_t v : rig.out) ASSERT_EQ(v, 0);
}

// A source that throws on its n-th read, as a decoder running out of memory would.
int g_readsBeforeThrow = 0;
class ThrowingSource final : public PcmSource {
 public:
  explicit ThrowingSource(std::unique_ptr<PcmSource> inner) : inner_(std::move(inner)) {
    format_ = inner_->Format();
  }
  size_t Read(uint8_t* dst, size_t n) override {
    if (g_readsBeforeThrow-- == 0) throw std::bad_alloc();
    return inner_->Read(dst, n);
  }
  int64_t FramePosition() override { return inner_->FramePosition(); }
  bool SeekFrame(int64_t frame) override { return inner_->SeekFrame(frame); }
  bool SeekSeconds(double seconds) override { return inner_->SeekSeconds(seconds); }

 private:
  std::unique_ptr<PcmSource> inner_;
};

std::unique_ptr<PcmSource> OpenThrowing(std::unique_ptr<ResourceStream> stream) {
  if (g_readsBeforeThrow < 0) throw std::bad_alloc();  // fails while opening
  return std::make_unique<ThrowingSource>(OpenPcmSource(std::move(stream)));
}

TEST(SoundStream, AnExceptionOnTheWorkerEndsOnlyThatSound) {
  Rig rig(44100);
  UOggThread* s = rig.NewSound();
  UOggThread* other = rig.NewSound();
  s->SetBackend(&rig.mixer, &rig.clock, OpenThrowing);
  ASSERT_TRUE(other->Open(Loose(Fixture("tone_44100_s16.wav"))));
  other->Play(true);
  for (int reads : {-1, 0, 3}) {  // while opening, on the first fill, while playing
    g_readsBeforeThrow = reads;
    ASSERT_TRUE(s->Open(Loose(Fixture("tone_44100_s16.wav"))));
    s->Play(true);
    rig.Run(3000);
    EXPECT_FALSE(s->IsRunning()) << reads;
    EXPECT_EQ(rig.mixer.BufferCount(), 1u) << reads;  // its buffer is gone; the other plays on
    EXPECT_TRUE(other->IsRunning());
  }
  // The object plays normally again afterwards.
  s->SetBackend(&rig.mixer, &rig.clock);
  ASSERT_TRUE(s->Open(Loose(Fixture("tone_44100_s16.wav"))));
  s->Play(true);
  rig.Run(100);
  EXPECT_TRUE(s->IsRunning());
  EXPECT_EQ(rig.mixer.BufferCount(), 2u);
}

}  // namespace
}  // namespace qor
