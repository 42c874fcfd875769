// The movie module: movie textures, full-window playback and alpha packs,
// over the FFmpeg decoder.
#include "graphics/movie_player.h"
#include "media/movie_lua.h"
#include "host/binding.h"

#include <memory>
#include <string>
#include <vector>

#include "graphics/graphics_lua.h"
#include "graphics/screen_internal.h"
#include "host/engine.h"
#include "host/modules.h"
#include "host/window.h"
#include "image/arl.h"
#include "media/audio.h"
#include "media/movie_decoder.h"
#include "media/sound_clock.h"
#include "platform/paths.h"
#include "platform/timer.h"

namespace qor {
namespace {

UMixer* g_testMixer = nullptr;
SoundClock* g_testClock = nullptr;

MovieResult FromDecoder(MovieStatus s) {
  switch (s) {
    case MovieStatus::Ok: return MovieResult::Ok;
    case MovieStatus::StartTimeout: return MovieResult::StartTimeout;
    default: return MovieResult::Unplayable;
  }
}

// The player's view of one decoder. While one exists a movie is open, which
// the exit clean-up reads from g_movieOpen.
class DecoderSource : public MovieSource {
 public:
  ~DecoderSource() override { g_movieOpen = false; }
  int Width() const override { return decoder.Width(); }
  int Height() const override { return decoder.Height(); }
  MovieResult Start() override { return FromDecoder(decoder.Start()); }
  bool Advance() override { return decoder.Advance(); }
  const uint8_t* Pixels() const override { return decoder.Current().bgra.data(); }
  int64_t FrameIndex() const override { return decoder.Current().index; }
  bool Finished() override { return decoder.Finished(); }
  MovieResult Rewind() override { return FromDecoder(decoder.Rewind()); }
  MovieDecoder decoder;
};

std::unique_ptr<MovieSource> OpenDecoder(const std::string& path, bool keepAlpha, int32_t volume,
                                         MovieResult* why) {
  *why = MovieResult::Unplayable;
  try {
    auto s = std::make_unique<DecoderSource>();
    MovieOptions o;
    o.keepAlpha = keepAlpha;
    o.volume = volume;
    o.mixer = g_testMixer ? g_testMixer : DeviceMixer();
    o.clock = g_testClock;
    if (s->decoder.Open(path, o) != MovieStatus::Ok) return nullptr;
    g_movieOpen = true;
    return s;
  } catch (...) {
    return nullptr;  // no memory or no thread: the movie cannot play
  }
}

uint32_t MovieClockNow() { return g_testClock ? g_testClock->Now() : platform::TimeMs(); }

void CloseForExit() {
  CloseMovie();
  CloseWindowMovie();
}

// --- movie textures

int MovieOpen(lua_State* L) {
  const char* path = luaL_checkstring(L, 1);
  int volume = CheckInt(L, 2);
  bool alpha = lua_toboolean(L, 3);
  UTexture* t = NewRecord<UTexture>(L, "texture");
  RunGuarded(L, [&](Outcome& out) {
    MovieOutcome r = OpenMovieTexture(path, t, volume, alpha, nullptr);
    if (!r.ok()) return FailWithMovie(out, r, path);
    g_movieTexture = t;
    g_movie.lastFrameTime = 0;
  });
  return ReturnResults(L, 1);
}

int MovieRender(lua_State* L) {
  ClearStack(L);
  bool copied = false;
  RunGuarded(L, [&](Outcome& out) {
    MovieResult r = RenderMovie(&copied);
    if (r != MovieResult::Ok) FailWithMovie(out, r, g_movie.moviePath.c_str(), g_movie.alphaPackPath.c_str());
  });
  if (!copied) return 0;
  lua_pushboolean(L, 1);
  return 1;
}

int MovieReset(lua_State* L) {
  RunGuarded(L, [&](Outcome& out) {
    MovieResult r = RewindMovie();
    if (r != MovieResult::Ok) FailWithMovie(out, r, g_movie.moviePath.c_str());
  });
  ClearStack(L);
  return 0;
}

int MovieClose(lua_State* L) {
  ClearStack(L);
  if (g_movieTexture) StopMovieTexture();
  return 0;
}

int MovieIsPlaying(lua_State* L) {
  bool playing = false;
  RunGuarded(L, [&](Outcome& out) {
    MovieResult r = IsMoviePlaying(&playing);
    if (r != MovieResult::Ok) FailWithMovie(out, r, g_movie.moviePath.c_str());
  });
  ClearStack(L);
  lua_pushboolean(L, playing);
  return 1;
}

// --- alpha packs

int MoviePackAlpha(lua_State* L) {
  if (!lua_istable(L, 1)) RaiseMessage(L, "movie.packalphaの第一引数はファイル名リストです。");
  const char* outName = luaL_checkstring(L, 2);
  lua_settop(L, 2);
  int n = int(lua_objlen(L, 1));
  luaL_checkstack(L, n, "movie.packalpha");
  // The names are left on the stack as strings so the work below touches no Lua that can fail.
  for (int i = 1; i <= n; ++i) {
    lua_rawgeti(L, 1, i);
    if (!lua_isstring(L, -1)) RaiseMessage(L, "movie.packalphaのファイル名リストの%d番目がファイル名ではありません。", i);
    lua_tostring(L, -1);
  }
  RunGuarded(L, [&](Outcome& out) {
    std::vector<std::vector<uint8_t>> streams(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      // A file that cannot be read adds nothing.
      std::string real = platform::ResolvePath(lua_tostring(L, 3 + i));
      if (!platform::ReadWholeFile(real, &streams[i])) streams[i].clear();
    }
    std::vector<uint8_t> pack = BuildAlphaPack(streams);
    if (!platform::WriteFileAtomic(platform::ResolvePath(outName), pack.data(), pack.size()))
      out.Fail("ファイル\"%s\"が作成できません。", outName);
  });
  ClearStack(L);
  return 0;
}

// --- full-window playback

bool KeyDown(int vk) { return vk != kVkNone && MainWindowActive() && VirtualKeyDown(vk); }

int PumpOnce(lua_State* L) {
  PumpMessages(L);
  return 0;
}

// Pumps messages; a script hook's error closes the movie before it is raised.
void PumpDuringMovie(lua_State* L) {
  if (lua_cpcall(L, PumpOnce, nullptr) != 0) {
    CloseWindowMovie();
    lua_error(L);
  }
}

int MoviePlay(lua_State* L) {
  const char* path = luaL_checkstring(L, 1);
  bool skippable = lua_toboolean(L, 2);
  int volume = CheckInt(L, 3);
  RunGuarded(L, [&](Outcome& out) {
    MovieResult r = OpenWindowMovie(path, volume);
    if (r != MovieResult::Ok) FailWithMovie(out, r, path);
  });
  const int keys[3] = {KeyNameToVirtualKey(" ", 1), KeyNameToVirtualKey("RETURN", 6), KeyNameToVirtualKey("ESC", 3)};
  const int ctrl = KeyNameToVirtualKey("CTRL", 4);
  // A key held when the movie starts skips only after it was released and pressed again.
  bool armed[3] = {false, false, false};
  PumpDuringMovie(L);
  for (;;) {
    for (int k = 0; k < 3; ++k)
      if (!armed[k] && !KeyDown(keys[k])) armed[k] = true;
    if (skippable) {
      bool skip = false;
      for (int k = 0; k < 3; ++k) skip = skip || (armed[k] && KeyDown(keys[k]));
      if (skip) break;
      if (KeyDown(ctrl) || g_input.leftUp || g_input.rightUp) {
        g_input.leftUp = false;  // the right-button latch stays for the script
        break;
      }
    }
    bool presented = false, finished = false;
    StepWindowMovie(&presented, &finished);
    if (presented) NoteFramePresented();
    if (finished) break;
    platform::SleepMs(2);
    PumpDuringMovie(L);
  }
  CloseWindowMovie();
  ClearStack(L);
  lua_pushboolean(L, g_input.quit);
  return 1;
}

}  // namespace

void FailWithMovie(Outcome& out, const MovieOutcome& r, const char* path, const char* packPath) {
  switch (r.result) {
    case MovieResult::Ok: return;
    case MovieResult::NotFound: return out.Fail("ファイル\"%s\"が見つかりません。", path);
    case MovieResult::Busy: return out.Fail("他のムービーテクスチャを処理中なので開けません。");
    case MovieResult::BusyForPlay: return out.Fail("ムービーテクスチャを処理中なので再生できません。");
    case MovieResult::NoMovieTexture: return out.Fail("ムービーテクスチャを指定していません。");
    case MovieResult::StartTimeout: return out.Fail("ムービーの再生を開始できませんでした。");
    case MovieResult::AlphaPackFailed: return out.Fail("αパック\"%s\"が読めません。", packPath);
    case MovieResult::AlphaOverflow: FatalError("%s", kArlOverflowMessage);
    case MovieResult::TextureFailed: return FailWith(out, r.gfx);
    case MovieResult::Unplayable: break;
  }
  out.Fail("ムービーファイルが再生できませんでした。");
}

void InstallMoviePlayer() {
  SetMovieSourceOpener(&OpenDecoder);
  SetMovieClock(&MovieClockNow);
  SetMovieCloser(&CloseForExit);
}

void SetMovieBackend(UMixer* mixer, SoundClock* clock) {
  g_testMixer = mixer;
  g_testClock = clock;
}

const luaL_Reg kMovieFuncs[] = {
    {"play", MoviePlay},       {"open", MovieOpen},           {"reset", MovieReset},
    {"render", MovieRender},   {"close", MovieClose},         {"isplaying", MovieIsPlaying},
    {"packalpha", MoviePackAlpha}, {nullptr, nullptr},
};

}  // namespace qor
