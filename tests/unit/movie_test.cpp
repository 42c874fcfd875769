// The movie module over real ffmpeg-made files whose frame k shows its index
// in red (8·k) and, in the alpha movie, in alpha (255 − 8·k): which frame
// each render copies by the clock, the 16 ms rule, looping, alpha from the
// stream and from packs, the messages, and closing on reset and release.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "graphics/movie_player.h"
#include "graphics/screen.h"
#include "graphics/screen_internal.h"
#include "host/binding.h"
#include "host/modules.h"
#include "image/arl.h"
#include "lua_harness.h"
#include "media/mixer.h"
#include "media/movie_lua.h"
#include "media/sound_clock.h"
#include "platform/paths.h"
#include "scratch_dir.h"
#include "texture_fake_device.h"

using namespace qor;

namespace {

class MovieLua : public test::InScratchDir {
 protected:
  void SetUp() override {
    InScratchDir::SetUp();
    auto dev = std::make_unique<test::FakeDevice>();
    fake = dev.get();
    UseScreenDevice(std::move(dev), 64, 48);
    SetMovieBackend(nullptr, &clock);
    L = luaL_newstate();
    luaL_openlibs(L);
    RegisterClass(L, "texture", kTextureMethods, kTextureCtors);
    InstallMoviePlayer();
    RegisterModule(L, "movie", kMovieFuncs);
    for (const char* f : {"count.mp4", "sound.mp4", "alpha.mov", "alpha.webm", "damaged.mp4", "truncated.mp4"}) {
      std::filesystem::copy_file(std::string(QOR_FIXTURES "/movie/") + f, f);
    }
  }
  void TearDown() override {
    lua_close(L);  // the texture's release closes a movie still playing
    EXPECT_FALSE(g_movie.source) << "a movie outlived its texture";
    EXPECT_EQ(fake->textures, 0);
    ReleaseAlphaPack();
    g_movie.loopFlag = false;
    SetMovieBackend(nullptr, nullptr);
    UseScreenDevice(nullptr, 0, 0);
    InScratchDir::TearDown();
  }
  void Ok(const char* code) { test::ExpectLuaOk(L, code); }
  void Fails(const char* code, const std::string& message) { test::ExpectLuaFails(L, code, message); }
  // Lets the decoder thread fill its queue, then moves the clock on.
  void Step(uint32_t ms) {
    usleep(40000);
    clock.Advance(ms);
  }
  void Render(uint32_t ms) {
    Step(ms);
    Ok("movie.render()");
  }
  uint32_t Pixel(int x = 10, int y = 10) {
    const UTexture* t = g_movieTexture;
    return reinterpret_cast<const uint32_t*>(t->surface->pixels + size_t(y) * t->surface->pitch)[x];
  }
  int Shown() { return int(std::lround(((Pixel() >> 16) & 0xFF) / 8.0)); }
  int Alpha() { return int(Pixel() >> 24); }

  lua_State* L = nullptr;
  test::FakeDevice* fake = nullptr;
  ManualClock clock;
};

TEST_F(MovieLua, RenderCopiesTheFrameDueByTheClockAtMostEvery16Ms) {
  Ok("t = movie.open('count.mp4', 0)");
  Ok("assert(movie.isplaying())");  // not started yet
  Step(17);
  Ok("assert(movie.render() == true)");
  EXPECT_EQ(Shown(), 0);
  EXPECT_EQ(Alpha(), 255);
  ASSERT_NE(g_movieTexture, nullptr);  // made at the movie's own size
  EXPECT_EQ(g_movieTexture->width, 64);
  EXPECT_EQ(g_movieTexture->height, 48);
  Step(250);
  Ok("assert(movie.render() == true)");
  EXPECT_EQ(Shown(), 2);
  Step(10);
  Ok("assert(select('#', movie.render()) == 0)");  // within 16 ms of the last copy
  EXPECT_EQ(Shown(), 2);
  Step(100);  // 360 ms
  Ok("assert(movie.render())");
  EXPECT_EQ(Shown(), 3);
  for (int i = 0; i < 6; ++i) Render(300);
  EXPECT_EQ(Shown(), 19);
  Ok("assert(not movie.isplaying())");
  Ok("movie.reset(); assert(movie.isplaying())");
  Render(17);
  EXPECT_EQ(Shown(), 0);
  Ok("movie.close(); movie.close(); t = nil; collectgarbage()");
  EXPECT_EQ(g_movieTexture, nullptr);
}

TEST_F(MovieLua, LoopingTextureRewindsAFinishedMovie) {
  Ok("t = texture.load(':movieloop(count.mp4,-500)')");
  EXPECT_EQ(Shown(), 0);  // the loader copies the first frame
  int last = 0;
  bool wrapped = false;
  for (int i = 0; i < 12 && !wrapped; ++i) {
    Render(250);
    wrapped = Shown() < last;
    last = Shown();
  }
  EXPECT_TRUE(wrapped);
  EXPECT_EQ(Shown(), 0);
  Ok("assert(movie.isplaying())");
}

TEST_F(MovieLua, AlphaComesFromTheStreamOrIsOpaque) {
  auto frame3Alpha = [&](const char* open) {
    Ok(open);
    Render(17);
    Render(350);
    EXPECT_EQ(Shown(), 3) << open;
    const int a = Alpha();
    Ok("movie.close()");
    return a;
  };
  EXPECT_EQ(frame3Alpha("t = movie.open('alpha.mov', 0, true)"), 255 - 24);
  EXPECT_NEAR(frame3Alpha("t = movie.open('alpha.webm', 0, true)"), 255 - 24, 2);  // VP9's alpha plane
  EXPECT_EQ(frame3Alpha("t = movie.open('alpha.mov', 0)"), 255);  // without the flag: opaque
  EXPECT_EQ(frame3Alpha("t = movie.open('count.mp4', 0, true)"), 255);  // a stream without alpha
}

// Writes one .arl file per frame, frame k holding alpha `value(k)` everywhere.
template <class F>
void WriteArlFrames(int n, F value) {
  for (int k = 0; k < n; ++k) {
    std::vector<uint8_t> a(64 * 48, uint8_t(value(k)));
    std::vector<uint8_t> arl = ArlEncode(a.data(), a.size());
    std::string name = "f" + std::to_string(k) + ".arl";
    ASSERT_TRUE(platform::WriteFileAtomic(name, arl.data(), arl.size()));
  }
}

TEST_F(MovieLua, PackAlphaFollowsThePicturesOwnFrameIndexClampedToThePack) {
  WriteArlFrames(20, [](int k) { return 10 * k + 5; });
  Ok("local l = {} for k = 0, 19 do l[#l + 1] = 'f' .. k .. '.arl' end movie.packalpha(l, 'all.pak')"
     "  movie.packalpha({'f0.arl', 'f1.arl', 'f2.arl'}, 'three.pak')");
  Ok("t = texture.load(':moviealpha(count.mp4|all.pak)')");
  EXPECT_EQ(Alpha(), 5);
  for (int i = 0; i < 6; ++i) {
    Render(300);
    EXPECT_EQ(Alpha(), 10 * Shown() + 5) << "frame " << Shown();
  }
  Ok("t:delete(); t = texture.load(':moviealpha(count.mp4|three.pak)')");
  Render(17);
  Render(250);
  Render(250);
  EXPECT_EQ(Shown(), 5);
  EXPECT_EQ(Alpha(), 25);  // the pack's last entry
}

TEST_F(MovieLua, PackAlphaWritesTheLayoutByteForByte) {
  Write("a.arl", "0123456789");
  Write("b.arl", "abcdefg");
  Ok("movie.packalpha({'a.arl', 'b.arl', 'missing.arl'}, 'out.pak')");
  std::vector<uint8_t> got;
  ASSERT_TRUE(platform::ReadWholeFile("out.pak", &got));
  std::vector<uint8_t> want = {3, 0, 0, 0, 16, 0, 0, 0, 26, 0, 0, 0, 33, 0, 0, 0};
  for (char c : std::string("0123456789abcdefg")) want.push_back(uint8_t(c));
  EXPECT_EQ(got, want);
  Fails("movie.packalpha('a.arl', 'x.pak')", "movie.packalphaの第一引数はファイル名リストです。");
  Fails("movie.packalpha({'a.arl', {}}, 'x.pak')", "2番目がファイル名ではありません。");
  Fails("movie.packalpha({'a.arl'}, 'nodir/x.pak')", "ファイル\"nodir/x.pak\"が作成できません。");
  // A pack that cannot be read, or with no frame, refuses the open; the next open works.
  Write("empty.pak", "");
  Ok("movie.packalpha({}, 'none.pak')");
  Fails("texture.load(':moviealpha(count.mp4|nothere.pak)')", "αパック\"nothere.pak\"が読めません。");
  Fails("texture.load(':moviealpha(count.mp4|none.pak)')", "αパック\"none.pak\"が読めません。");
  WriteArlFrames(1, [](int) { return 7; });
  Ok("movie.packalpha({'f0.arl'}, 'one.pak'); t = texture.load(':moviealpha(count.mp4|one.pak)')");
  EXPECT_EQ(Alpha(), 7);
}

TEST_F(MovieLua, MessagesAndOneMovieAtATime) {
  const char* none = "ムービーテクスチャを指定していません。";
  Fails("movie.isplaying()", none);
  Fails("movie.reset()", none);
  Ok("assert(select('#', movie.render()) == 0); movie.close()");
  Fails("movie.open('nothere.mp4', 0)", "ファイル\"nothere.mp4\"が見つかりません。");
  Fails("movie.open('damaged.mp4', 0)", "ムービーファイルが再生できませんでした。");
  Fails("texture.load(':movie(damaged.mp4)')", "ムービーファイルが再生できませんでした。");
  // Failed opens leave nothing behind: this one succeeds.
  Ok("t = movie.open('COUNT.MP4', 0)");
  Fails("movie.open('count.mp4', 0)", "他のムービーテクスチャを処理中なので開けません。");
  Fails("texture.load(':movie(count.mp4)')", "他のムービーテクスチャを処理中なので開けません。");
  Fails("movie.play('nothere.mp4', true, 0)", "ムービーテクスチャを処理中なので再生できません。");
  Ok("movie.close(); u = movie.open('truncated.mp4', 0)");  // what can be decoded plays
}

// A source whose first picture never comes.
class StalledSource : public MovieSource {
 public:
  int Width() const override { return 8; }
  int Height() const override { return 8; }
  MovieResult Start() override { return MovieResult::StartTimeout; }
  bool Advance() override { return false; }
  const uint8_t* Pixels() const override { return nullptr; }
  int64_t FrameIndex() const override { return -1; }
  bool Finished() override { return false; }
  MovieResult Rewind() override { return MovieResult::StartTimeout; }
};

TEST_F(MovieLua, AMovieThatNeverStartsRaisesInsteadOfWaiting) {
  SetMovieSourceOpener([](const std::string&, bool, int32_t, MovieResult*) -> std::unique_ptr<MovieSource> {
    return std::make_unique<StalledSource>();
  });
  Ok("t = movie.open('count.mp4', 0)");
  Step(17);
  Fails("movie.render()", "ムービーの再生を開始できませんでした。");
  Ok("movie.close(); t = movie.open('count.mp4', 0)");
}

TEST_F(MovieLua, DeviceResetReopensTheMovieFromItsStart) {
  Ok("t = texture.load(':movie(count.mp4)')");
  UTexture* t = g_movieTexture;
  for (int i = 0; i < 2; ++i) Render(300);
  EXPECT_EQ(Shown(), 6);
  EXPECT_EQ(ResetDevice(), GfxStatus::Ok);
  EXPECT_EQ(g_movieTexture, t);
  Step(17);
  Ok("assert(movie.isplaying()); movie.render()");
  EXPECT_EQ(Shown(), 0);
  Render(300);
  EXPECT_EQ(Shown(), 3);
  // Re-creating the fed texture closes the movie; another can open.
  Ok("t:delete(); t = movie.open('count.mp4', 0)");
}

TEST_F(MovieLua, SoundPlaysIntoTheMixerAndClocksThePictures) {
  UMixer mixer(44100);
  SetMovieBackend(&mixer, &clock);
  Ok("t = movie.open('sound.mp4', 0)");
  Render(17);
  EXPECT_EQ(Shown(), 0);
  usleep(50000);
  std::vector<int16_t> out(2 * 441);
  int peak = 0;
  for (int i = 0; i < 25; ++i) {  // 250 ms of sound in steps the decoder thread keeps up with
    mixer.Mix(out.data(), 441);
    for (int16_t s : out) peak = std::max(peak, std::abs(int(s)));
    usleep(8000);
  }
  EXPECT_GT(peak, 1000);
  usleep(20000);
  clock.Advance(17);  // the engine clock only opens the 16 ms gate
  Ok("movie.render()");
  EXPECT_EQ(Shown(), 2);
  Ok("movie.close()");
  EXPECT_EQ(mixer.BufferCount(), 0u);
}

}  // namespace
