// The movie player: opening a movie into a texture, copying its pictures with
// the stream's alpha or an alpha pack's, rewinding, closing, restoring after a
// device reset, and the full-window player's drawing.
#include "graphics/movie_player.h"

#include <algorithm>
#include <cstring>

#include "graphics/screen.h"
#include "graphics/screen_internal.h"
#include "image/arl.h"
#include "platform/paths.h"
#include "platform/timer.h"

namespace qor {

UMovie g_movie;
UAlphaPack g_alphaPack;

namespace {

MovieSourceOpener g_opener = nullptr;
uint32_t (*g_clock)() = nullptr;

// The full-window movie and the texture it is drawn through.
std::unique_ptr<MovieSource> g_windowSource;
UTexture g_windowTexture{};
int64_t g_windowShown = -1;

// Copies the source's picture into `t` (same size). With a pack, A comes from
// the pack entry of the picture's own frame index, clamped to the pack.
MovieResult CopyPicture(MovieSource* src, UTexture* t, bool packAlpha) {
  if (!t->surface) return MovieResult::Ok;
  int w = std::min(src->Width(), t->width), h = std::min(src->Height(), t->height);
  const uint8_t* in = src->Pixels();
  uint8_t* px = TextureBeginAccess(t);
  int pitch = t->surface->pitch;
  int srcPitch = src->Width() * 4;
  bool overflow = false;
  if (packAlpha) {
    int64_t frame = std::clamp<int64_t>(src->FrameIndex(), 0, g_alphaPack.frameCount - 1);
    UArlReader alpha;
    if (fseek(g_alphaPack.file, long(g_alphaPack.offsets[frame]), SEEK_SET) != 0 ||
        !alpha.Open(g_alphaPack.file, g_alphaPack.sizes[frame]))
      overflow = true;
    for (int y = 0; y < h && !overflow; ++y) {
      const uint8_t* s = in + size_t(y) * srcPitch;
      uint8_t* d = px + size_t(y) * pitch;
      for (int x = 0; x < w; ++x) {
        d[4 * x] = s[4 * x];
        d[4 * x + 1] = s[4 * x + 1];
        d[4 * x + 2] = s[4 * x + 2];
        d[4 * x + 3] = alpha.Next();
      }
      overflow = alpha.overflowed();
    }
  } else {
    for (int y = 0; y < h; ++y) memcpy(px + size_t(y) * pitch, in + size_t(y) * srcPitch, size_t(w) * 4);
  }
  TextureEndAccess(t, 0, h);
  return overflow ? MovieResult::AlphaOverflow : MovieResult::Ok;
}

}  // namespace

void SetMovieSourceOpener(MovieSourceOpener opener) { g_opener = opener; }

uint32_t MovieNow() { return g_clock ? g_clock() : platform::TimeMs(); }
void SetMovieClock(uint32_t (*now)()) { g_clock = now; }

MovieResult ResolveMoviePath(const std::string& path, std::string* real) {
  if (path.empty() || !platform::FileExists(path.c_str())) return MovieResult::NotFound;
  *real = platform::ResolvePath(path.c_str());
  return MovieResult::Ok;
}

static std::unique_ptr<MovieSource> OpenSource(const std::string& path, bool keepAlpha, int32_t volume,
                                               MovieResult* why) {
  std::string real;
  *why = ResolveMoviePath(path, &real);
  if (*why != MovieResult::Ok) return nullptr;
  *why = MovieResult::Unplayable;
  return g_opener ? g_opener(real, keepAlpha, volume, why) : nullptr;
}

MovieOutcome OpenMovieTexture(const std::string& path, UTexture* t, int32_t volume, bool alpha,
                              const std::string* packPath) {
  g_movie.moviePath = path;
  g_movie.movieVolume = volume;
  g_movie.alphaFlag = alpha;
  g_movie.openTexture = t;
  g_movie.alphaPackPath = packPath ? *packPath : std::string();
  if (g_movie.source || g_windowSource) return MovieResult::Busy;
  // Everything obtained below is released again when a later step fails, so
  // a failed open never blocks the next one.
  MovieResult why;
  std::unique_ptr<MovieSource> src = OpenSource(path, alpha && !packPath, volume, &why);
  if (!src) return why;
  if (packPath && !LoadAlphaPack(*packPath)) return MovieResult::AlphaPackFailed;
  GfxResult made = CreateTexture(t, src->Width(), src->Height());
  if (!made.ok()) {
    ReleaseAlphaPack();
    MovieOutcome out(MovieResult::TextureFailed);
    out.gfx = made;
    return out;
  }
  g_movie.source = std::move(src);
  g_movie.completed = false;
  g_movie.pendingStart = true;
  g_movie.shownIndex = -1;
  return MovieResult::Ok;
}

MovieResult UpdateMovieFrame() {
  UTexture* t = g_movieTexture;
  MovieSource* src = g_movie.source.get();
  if (!t || !src) return MovieResult::Ok;
  if (g_movie.pendingStart) {
    g_movie.pendingStart = false;
    MovieResult st = src->Start();
    if (st != MovieResult::Ok) return st;
  }
  src->Advance();
  int64_t index = src->FrameIndex();
  if (index < 0 || index == g_movie.shownIndex) return MovieResult::Ok;
  g_movie.shownIndex = index;
  return CopyPicture(src, t, g_movie.alphaFlag && g_alphaPack.file);
}

MovieResult IsMoviePlaying(bool* playing) {
  if (!g_movieTexture) return MovieResult::NoMovieTexture;
  if (!g_movie.source || g_movie.completed) {
    *playing = false;
  } else if (g_movie.pendingStart) {
    *playing = true;
  } else {
    g_movie.completed = g_movie.source->Finished();
    *playing = !g_movie.completed;
  }
  return MovieResult::Ok;
}

MovieResult RewindMovie() {
  if (!g_movieTexture) return MovieResult::NoMovieTexture;
  if (!g_movie.source) return MovieResult::Ok;
  g_movie.completed = false;
  g_movie.shownIndex = -1;
  // Not started yet: the start is at the beginning anyway.
  return g_movie.pendingStart ? MovieResult::Ok : g_movie.source->Rewind();
}

void CloseMovie() {
  g_movie.source.reset();  // joins the decoder thread
  g_movie.pendingStart = false;
}

void StopMovieTexture() {
  ReleaseAlphaPack();
  CloseMovie();
  g_movieTexture = nullptr;
}

MovieResult RenderMovie(bool* copied) {
  *copied = false;
  if (!g_movieTexture) return MovieResult::Ok;
  if (g_movie.loopFlag) {
    bool playing = true;
    IsMoviePlaying(&playing);
    if (!playing) {
      MovieResult st = RewindMovie();
      if (st != MovieResult::Ok) return st;
      *copied = true;
    }
  }
  uint32_t now = MovieNow();
  if (now - g_movie.lastFrameTime > 16 || now < g_movie.lastFrameTime) {
    MovieResult st = UpdateMovieFrame();
    g_movie.lastFrameTime = now;
    if (st != MovieResult::Ok) return st;
    *copied = true;
  }
  return MovieResult::Ok;
}

bool LoadAlphaPack(const std::string& path) {
  ReleaseAlphaPack();
  FILE* f = platform::OpenFile(path.c_str(), "rb");
  if (!f) return false;
  long length = -1;
  if (fseek(f, 0, SEEK_END) == 0) length = ftell(f);
  int32_t n = 0;
  bool ok = length >= 4 && fseek(f, 0, SEEK_SET) == 0 && fread(&n, 4, 1, f) == 1 && n > 0 &&
            int64_t(n) * 4 + 4 <= length;
  std::vector<uint32_t> offsets(ok ? size_t(n) : 0);
  ok = ok && fread(offsets.data(), 4, offsets.size(), f) == offsets.size();
  // Offsets must rise and stay inside the file: sizes are taken from them.
  for (int32_t i = 0; ok && i < n; ++i)
    ok = offsets[i] >= uint32_t(4 + 4 * int64_t(n)) && offsets[i] <= uint32_t(length) &&
         (i == 0 || offsets[i] >= offsets[i - 1]);
  if (!ok) {
    fclose(f);
    return false;
  }
  g_alphaPack.sizes.resize(size_t(n));
  for (int32_t i = 0; i < n; ++i)
    g_alphaPack.sizes[i] = (i + 1 < n ? offsets[i + 1] : uint32_t(length)) - offsets[i];
  g_alphaPack.offsets = std::move(offsets);
  g_alphaPack.frameCount = n;
  g_alphaPack.file = f;
  return true;
}

void ReleaseAlphaPack() {
  if (g_alphaPack.file) fclose(g_alphaPack.file);
  g_alphaPack.file = nullptr;
  g_alphaPack.offsets.clear();
  g_alphaPack.sizes.clear();
  g_alphaPack.frameCount = 0;
}

MovieOutcome RestoreMovie() {
  std::string path = g_movie.moviePath, pack = g_movie.alphaPackPath;
  MovieOutcome out = OpenMovieTexture(path, g_movie.openTexture, g_movie.movieVolume, g_movie.alphaFlag,
                                      pack.empty() ? nullptr : &pack);
  if (out.ok()) {
    g_movieTexture = g_movie.openTexture;
    g_movie.lastFrameTime = 0;
  }
  return out;
}

std::vector<uint8_t> BuildAlphaPack(const std::vector<std::vector<uint8_t>>& streams) {
  std::vector<uint8_t> out;
  auto put32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
  };
  put32(uint32_t(streams.size()));
  uint32_t offset = uint32_t(4 + 4 * streams.size());
  for (const auto& s : streams) {
    put32(offset);
    offset += uint32_t(s.size());
  }
  for (const auto& s : streams) out.insert(out.end(), s.begin(), s.end());
  return out;
}

MovieResult OpenWindowMovie(const std::string& path, int32_t volume) {
  if (g_movie.source || g_windowSource) return MovieResult::BusyForPlay;
  MovieResult why;
  std::unique_ptr<MovieSource> src = OpenSource(path, false, volume, &why);
  if (!src) return why;
  // Without a device the movie still runs (and is heard); nothing is drawn.
  if (ScreenDevice()) CreateTexture(&g_windowTexture, src->Width(), src->Height());
  MovieResult st = src->Start();
  if (st != MovieResult::Ok) {
    TextureRelease(&g_windowTexture);
    return st;
  }
  g_windowSource = std::move(src);
  g_windowShown = -1;
  return MovieResult::Ok;
}

MovieResult StepWindowMovie(bool* presented, bool* finished) {
  *presented = false;
  *finished = true;
  MovieSource* src = g_windowSource.get();
  if (!src) return MovieResult::Ok;
  src->Advance();
  *finished = src->Finished();
  int64_t index = src->FrameIndex();
  if (index == g_windowShown || !g_windowTexture.surface || !ScreenDevice()) return MovieResult::Ok;
  g_windowShown = index;
  CopyPicture(src, &g_windowTexture, false);
  // Drawn over the whole game screen; the submission path maps it into the
  // letterbox in stretched full screen.
  Vertex v[4];
  double sx = double(g_screen.width) / src->Width(), sy = double(g_screen.height) / src->Height();
  if (BeginScreenScene(0, 0, 0, 0) != GfxStatus::Ok) return MovieResult::Ok;
  if (BuildRectQuad(g_windowTexture.allocWidth, g_windowTexture.allocHeight, 0, 0, src->Width(), src->Height(), 0,
                    0, 255, v)) {
    for (Vertex& p : v) {  // corners sit half a pixel before the pixel edges
      p.x = float((p.x + 0.5) * sx - 0.5);
      p.y = float((p.y + 0.5) * sy - 0.5);
    }
    DrawTexturedPrimitives(&g_windowTexture, PT_TRIANGLESTRIP, 2, v);
  }
  *presented = EndScreenScene() == GfxStatus::Ok;
  return MovieResult::Ok;
}

void CloseWindowMovie() {
  g_windowSource.reset();
  TextureRelease(&g_windowTexture);
}

}  // namespace qor
