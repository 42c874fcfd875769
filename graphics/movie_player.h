// UMovie: the one movie player. It feeds a texture from a movie source (the
// decoder is plugged in from above, since graphics cannot see media/), keeps
// the alpha pack, and restores the movie after a device reset. Lua-free:
// every operation returns a MovieResult for the binding to raise.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "graphics/status.h"
#include "graphics/texture.h"

namespace qor {

enum class MovieResult {
  Ok,
  NotFound,          // the file does not exist
  Busy,              // a movie texture is open: a second open
  BusyForPlay,       // a movie texture is open: movie.play
  NoMovieTexture,    // no texture is being fed
  Unplayable,        // the decoder cannot open or decode it
  StartTimeout,      // no picture within the start time-out
  AlphaPackFailed,   // the alpha pack cannot be read or holds no frame
  AlphaOverflow,     // an alpha frame is shorter than the picture (fatal)
  TextureFailed,     // the texture storage could not be made (see `gfx`)
};

struct MovieOutcome {
  MovieResult result = MovieResult::Ok;
  GfxResult gfx;  // TextureFailed: the texture's own status
  MovieOutcome() = default;
  MovieOutcome(MovieResult r) : result(r) {}  // NOLINT: results convert
  bool ok() const { return result == MovieResult::Ok; }
};

// A decoded movie as the player reads it (implemented over FFmpeg above).
class MovieSource {
 public:
  virtual ~MovieSource() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Waits for the first picture and starts the clock.
  virtual MovieResult Start() = 0;
  // Moves to the newest picture due; true when it changed.
  virtual bool Advance() = 0;
  virtual const uint8_t* Pixels() const = 0;  // BGRA, top row first, width × 4 apart
  virtual int64_t FrameIndex() const = 0;     // the current picture's index
  virtual bool Finished() = 0;
  virtual MovieResult Rewind() = 0;
};

// Opens `path` (a real file name); null with `*why` set when it cannot.
using MovieSourceOpener = std::unique_ptr<MovieSource> (*)(const std::string& path, bool keepAlpha,
                                                           int32_t volume, MovieResult* why);
void SetMovieSourceOpener(MovieSourceOpener opener);

// The open alpha pack: per frame, its stream's offset and size in `file`.
struct UAlphaPack {
  FILE* file = nullptr;
  std::vector<uint32_t> offsets, sizes;
  int32_t frameCount = 0;
};

struct UMovie {
  std::unique_ptr<MovieSource> source;  // non-null while a movie is open
  UTexture* openTexture = nullptr;      // for RestoreMovie
  std::string moviePath, alphaPackPath;
  int32_t movieVolume = 0;
  bool alphaFlag = false;
  bool loopFlag = false;
  bool pendingStart = false;
  bool completed = false;
  uint32_t lastFrameTime = 0;
  int64_t shownIndex = -1;  // the picture last copied into the texture
};

extern UMovie g_movie;
extern UAlphaPack g_alphaPack;

// The engine clock the player times frame copies with (tests swap it).
uint32_t MovieNow();
void SetMovieClock(uint32_t (*now)());  // null = the engine's millisecond clock

// The movie's file under the path rule; NotFound when it does not exist.
MovieResult ResolveMoviePath(const std::string& path, std::string* real);

MovieOutcome OpenMovieTexture(const std::string& path, UTexture* t, int32_t volume, bool alpha,
                              const std::string* packPath);
// Starts the movie on its first call after an open, then copies the newest
// picture into the texture being fed (nothing when none is).
MovieResult UpdateMovieFrame();
// `*playing` as movie.isplaying reports it.
MovieResult IsMoviePlaying(bool* playing);
MovieResult RewindMovie();
void CloseMovie();
// Closes the movie feeding a texture and its alpha pack; the texture keeps
// its storage and last picture.
void StopMovieTexture();
bool LoadAlphaPack(const std::string& path);
void ReleaseAlphaPack();
MovieOutcome RestoreMovie();
// movie.render: rewinds a finished looping movie, then copies a frame when
// more than 16 ms passed since the last copy. `*copied` is true when it did either.
MovieResult RenderMovie(bool* copied);

// The alpha pack file for the given streams, in order (a missing stream counts
// as empty).
std::vector<uint8_t> BuildAlphaPack(const std::vector<std::vector<uint8_t>>& streams);

// Full-window playback: a source of its own, drawn scaled to the screen.
MovieResult OpenWindowMovie(const std::string& path, int32_t volume);
// Draws the newest picture when it changed; `*presented` when a frame reached
// the screen. `*finished` when the movie ended.
MovieResult StepWindowMovie(bool* presented, bool* finished);
void CloseWindowMovie();

}  // namespace qor
