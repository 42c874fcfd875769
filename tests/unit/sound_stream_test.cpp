// The streaming sound object driven on a hand-stepped clock and a pulled
// mixer: loops, endings, fades, pause, restart, WAV regions, broken files.
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
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
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return bytes;
  int c;
  while ((c = fgetc(f)) != EOF) bytes.push_back(uint8_t(c));
  fclose(f);
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

TEST(SoundStream, OggLoopTagsRepeatTheTaggedSpanSampleExactly) {
  const auto ref = DecodeOgg(Fixture("loop_44100.ogg"));
  ASSERT_GT(ref.size(), size_t(2 * 140000));
  Rig rig(44100);
  UOggThread* s = rig.NewSound();
  ASSERT_TRUE(s->Open(Loose(Fixture("loop_44100.ogg"))));
  s->Play(true);
  rig.Run(7000);
  EXPECT_TRUE(s->IsRunning());
  // Frames 0 .. 132298, then 44100 .. 132298 again and again (88199 per pass).
  std::vector<int16_t> want(ref.begin(), ref.begin() + 2 * 132299);
  for (int pass = 0; pass < 2; ++pass) want.insert(want.end(), ref.begin() + 2 * 44100, ref.begin() + 2 * 132299);
  ASSERT_GE(rig.out.size(), want.size());
  size_t mismatches = 0;
  int worst = 0;
  for (size_t i = 0; i < want.size(); ++i) {
    int d = std::abs(int(rig.out[i]) - int(want[i]));
    if (d) ++mismatches;
    worst = std::max(worst, d);
  }
  EXPECT_EQ(mismatches, 0u) << "largest difference " << worst;
}

TEST(SoundStream, LoopTagsAreIgnoredWithoutLoopingAndTheSoundEnds) {
  const auto ref = DecodeOgg(Fixture("loop_44100.ogg"));
  Rig rig(44100);
  UOggThread* s = rig.NewSound();
  ASSERT_TRUE(s->Open(Loose(Fixture("loop_44100.ogg"))));
  s->Play(false);
  EXPECT_TRUE(s->IsRunning());
  ASSERT_TRUE(rig.RunUntilQuiet(15000));
  ASSERT_GE(rig.out.size(), ref.size());
  EXPECT_EQ(0, memcmp(rig.out.data(), ref.data(), ref.size() * 2));
  // After the data: silence, and the buffer is gone.
  for (size_t i = ref.size(); i < rig.out.size(); ++i) ASSERT_EQ(rig.out[i], 0) << i;
  EXPECT_EQ(rig.mixer.BufferCount(), 0u);
  // The last audio has been played out before the worker stopped.
  EXPECT_GE(rig.out.size(), ref.size());
}

TEST(SoundStream, OggWithoutTagsLoopsFromTheLoopPoint) {
  const auto ref = DecodeOgg(Fixture("plain_1500ms.ogg"));
  Rig rig(44100);
  UOggThread* s = rig.NewSound();
  ASSERT_TRUE(s->Open(Loose(Fixture("plain_1500ms.ogg"))));
  s->PlayWithLoopPoint(0.5);
  rig.Run(3000);
  std::vector<int16_t> want(ref);
  want.insert(want.end(), ref.begin() + 2 * 22050, ref.end());
  ASSERT_GE(rig.out.size(), want.size());
  EXPECT_EQ(0, memcmp(rig.out.data(), want.data(), want.size() * 2));
}

TEST(SoundStream, ShortDegenerateAndUnreachableLoopTags) {
  {
    // A 2205-frame loop is crossed many times by one refill; "loopstart=" in
    // lower case is not a tag.
    const auto ref = DecodeOgg(Fixture("tags_short.ogg"));
    Rig rig(44100);
    UOggThread* s = rig.NewSound();
    ASSERT_TRUE(s->Open(Loose(Fixture("tags_short.ogg"))));
    s->Play(true);
    rig.Run(3000);
    std::vector<int16_t> want(ref.begin(), ref.begin() + 2 * 24254);
    while (want.size() < 2 * 44100 * 2) want.insert(want.end(), ref.begin() + 2 * 22050, ref.begin() + 2 * 24254);
    ASSERT_GE(rig.out.size(), want.size());
    EXPECT_EQ(0, memcmp(rig.out.data(), want.data(), want.size() * 2));
  }
  {
    // LOOPLENGTH=1 leaves no samples to loop: the data loops from its end to LOOPSTART.
    const auto ref = DecodeOgg(Fixture("tags_len1.ogg"));
    Rig rig(44100);
    UOggThread* s = rig.NewSound();
    ASSERT_TRUE(s->Open(Loose(Fixture("tags_len1.ogg"))));
    s->Play(true);
    rig.Run(3000);
    std::vector<int16_t> want(ref);
    want.insert(want.end(), ref.begin() + 2 * 22050, ref.end());
    ASSERT_GE(rig.out.size(), want.size());
    EXPECT_EQ(0, memcmp(rig.out.data(), want.data(), want.size() * 2));
  }
  {
    // LOOPSTART past the end: the loop seek fails, the rest is silence and the sound ends.
    const auto ref = DecodeOgg(Fixture("tags_far.ogg"));
    Rig rig(44100);
    UOggThread* s = rig.NewSound();
    ASSERT_TRUE(s->Open(Loose(Fixture("tags_far.ogg"))));
    s->Play(true);
    ASSERT_TRUE(rig.RunUntilQuiet(10000));
    EXPECT_EQ(0, memcmp(rig.out.data(), ref.data(), ref.size() * 2));
    for (size_t i = ref.size(); i < rig.out.size(); ++i) ASSERT_EQ(rig.out[i], 0);
  }
}

TEST(SoundStream, DoubleSpeedKeepsHalfOfEverySixteenKilobytes) {
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

TEST(SoundStream, LooseFilesAndArchiveMembersPlayTheSameSamples) {
  const std::string wav = Fixture("tone_44100_s16.wav"), ogg = Fixture("plain_1500ms.ogg");
  const auto wavBytes = ReadFile(wav), oggBytes = ReadFile(ogg);
  const std::string wavRegion = WriteRegion(wavBytes, "sound_region.wav.bin");
  const std::string oggRegion = WriteRegion(oggBytes, "sound_region.ogg.bin");
  struct Case {
    ResourceLocation where;
    std::vector<int16_t> want;
    bool loop;
  };
  const auto wavData = WavSamples(wav), oggData = DecodeOgg(ogg);
  std::vector<int16_t> oggTwice(oggData);
  oggTwice.insert(oggTwice.end(), oggData.begin(), oggData.end());
  const Case cases[] = {
      {Loose(wav), wavData, false},
      {Member(wavRegion, 12345, uint32_t(wavBytes.size())), wavData, false},
      // A looping Ogg member seeks inside the member to start again.
      {Member(oggRegion, 12345, uint32_t(oggBytes.size())), oggTwice, true},
  };
  for (const Case& c : cases) {
    Rig rig(44100);
    UOggThread* s = rig.NewSound();
    ASSERT_TRUE(s->Open(c.where));
    s->Play(c.loop);
    if (c.loop) {
      rig.Run(3200);
    } else {
      ASSERT_TRUE(rig.RunUntilQuiet(10000));
    }
    ASSERT_GE(rig.out.size(), c.want.size());
    EXPECT_EQ(0, memcmp(rig.out.data(), c.want.data(), c.want.size() * 2)) << c.where.path;
    for (size_t i = c.want.size(); !c.loop && i < rig.out.size(); ++i) ASSERT_EQ(rig.out[i], 0);
  }
  remove(wavRegion.c_str());
  remove(oggRegion.c_str());
}

TEST(SoundStream, WavLoopPointReturnsToTheFramePastTheDataStart) {
  const auto data = WavSamples(Fixture("tone_44100_s16.wav"));  // 2 s stereo
  Rig rig(44100);
  UOggThread* s = rig.NewSound();
  ASSERT_TRUE(s->Open(Loose(Fixture("tone_44100_s16.wav"))));
  s->PlayWithLoopPoint(1.5);  // data start + 264600 bytes
  rig.Run(3500);
  std::vector<int16_t> want(data);
  for (int pass = 0; pass < 2; ++pass) want.insert(want.end(), data.begin() + 132300, data.end());
  ASSERT_GE(rig.out.size(), want.size());
  EXPECT_EQ(0, memcmp(rig.out.data(), want.data(), want.size() * 2));
}

TEST(SoundStream, LoopsShorterThanABlockAndLoopsPastTheEnd) {
  const auto data = WavSamples(Fixture("tone_48000_m16.wav"));  // 1.5 s mono, 72000 frames
  {
    // A 50 ms loop is crossed many times by every one-second refill.
    Rig rig(48000);
    UOggThread* s = rig.NewSound();
    ASSERT_TRUE(s->Open(Loose(Fixture("tone_48000_m16.wav"))));
    s->PlayWithLoopPoint(1.45);
    rig.Run(4000);
    std::vector<int16_t> want(data);
    for (int pass = 0; pass < 40; ++pass) want.insert(want.end(), data.begin() + 69600, data.end());
    want = ToStereo(want);
    ASSERT_GE(rig.out.size(), want.size());
    EXPECT_EQ(0, memcmp(rig.out.data(), want.data(), want.size() * 2));
    EXPECT_TRUE(s->IsRunning());
  }
  {
    // A loop point past the data yields nothing: the sound ends instead of spinning.
    Rig rig(48000);
    UOggThread* s = rig.NewSound();
    ASSERT_TRUE(s->Open(Loose(Fixture("tone_48000_m16.wav"))));
    s->PlayWithLoopPoint(10.0);
    ASSERT_TRUE(rig.RunUntilQuiet(10000));
    auto want = ToStereo(data);
    EXPECT_EQ(0, memcmp(rig.out.data(), want.data(), want.size() * 2));
  }
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

TEST(SoundStream, VolumeDuringAFadeInCancelsItAndPanIsApplied) {
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
  // Pan −10000 silences the right; volume −1000 is a gain of 10^−0.5 on the left.
  const auto data = WavSamples(Fixture("tone_44100_s16.wav"));
  size_t f = rig.out.size() / 2 - 100;  // a frame well after both requests
  EXPECT_EQ(rig.out[2 * f + 1], 0);
  EXPECT_NEAR(rig.out[2 * f], data[2 * (f % 88200)] * std::pow(10.0, -0.5), 1.0);
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

TEST(SoundStream, PauseKeepsThePositionAndRequestsWaitForTheResume) {
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
}

TEST(SoundStream, PlayingAgainRestartsFromTheBeginning) {
  const auto data = WavSamples(Fixture("tone_44100_s16.wav"));
  Rig rig(44100);
  UOggThread* s = rig.NewSound();
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
