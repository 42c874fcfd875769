// texture.load: movie names and image files decoded straight into a texture.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "graphics/movie_player.h"
#include "graphics/screen.h"
#include "graphics/screen_internal.h"
#include "graphics/texture.h"
#include "host/resource.h"
#include "image/image_io.h"

namespace qor {

namespace {

// Decodes straight into the texture: Allocate creates storage of the image's
// size and opens CPU access over all of it.
class TextureImageTarget : public ImageTarget {
 public:
  explicit TextureImageTarget(UTexture* t) : t_(t) {}
  ~TextureImageTarget() override { CloseAccess(); }  // a decoder that threw left it open
  uint8_t* Allocate(int width, int height, int* pitch) override {
    CloseAccess();
    created = TextureCreateStatus(TextureCreateStorage(t_, width, height), width, height);
    if (!created.ok()) return nullptr;
    uint8_t* px = TextureBeginAccess(t_);
    open_ = true;
    *pitch = t_->surface->pitch;
    return px;
  }
  void Finish() override { CloseAccess(); }
  void CloseAccess() {
    if (open_ && t_->surface) TextureEndAccess(t_, 0, t_->allocHeight);
    open_ = false;
  }
  GfxResult created;

 private:
  UTexture* t_;
  bool open_ = false;
};

}  // namespace

MovieNameKind ParseMovieName(const char* name, MovieName* out) {
  static const struct {
    const char* prefix;
    bool loop, alpha;
  } kPrefixes[] = {
      {":movie(", false, false},
      {":movieloop(", true, false},
      {":movieloopalpha(", true, true},
      {":moviealpha(", false, true},
  };
  size_t len = strlen(name);
  size_t plen = 0;
  for (const auto& p : kPrefixes) {
    size_t n = strlen(p.prefix);
    if (len >= n && memcmp(name, p.prefix, n) == 0) {
      plen = n;
      out->loop = p.loop;
      out->alpha = p.alpha;
      break;
    }
  }
  if (plen == 0) return MovieNameKind::NotMovie;
  if (name[len - 1] != ')' || len == plen) return MovieNameKind::Malformed;
  std::string body(name + plen, len - plen - 1);
  std::string file = body;
  out->volume = 0;
  size_t comma = body.find(',');
  if (comma != std::string::npos) {
    file = body.substr(0, comma);
    // atoi's reading: blanks, sign, digits; stops at the first other character.
    // Clamped so a long run of digits cannot overflow.
    long v = strtol(body.c_str() + comma + 1, nullptr, 10);
    out->volume = int(std::clamp<long>(v, INT_MIN, INT_MAX));
  }
  out->hasAlphaPack = false;
  out->alphaPack.clear();
  size_t bar = file.find('|');
  if (bar != std::string::npos) {
    out->hasAlphaPack = true;
    out->alphaPack = file.substr(bar + 1);
    file.resize(bar);
  }
  if (file.size() > 255) file.resize(255);
  out->file = file;
  return MovieNameKind::Movie;
}

// A movie name: the texture is emptied (closing a movie it was fed by) and
// the movie opened into it; its first picture is copied at once.
static GfxResult LoadMovieTexture(UTexture* t, const MovieName& movie) {
  TextureRelease(t);
  g_movie.loopFlag = movie.loop;
  MovieOutcome opened = OpenMovieTexture(movie.file, t, movie.volume, movie.alpha,
                                         movie.hasAlphaPack ? &movie.alphaPack : nullptr);
  if (opened.result == MovieResult::TextureFailed) return opened.gfx;
  if (!opened.ok()) return {GfxStatus::MovieFailed, int(opened.result)};
  g_movieTexture = t;
  g_movie.lastFrameTime = 0;
  MovieResult first = UpdateMovieFrame();
  if (first != MovieResult::Ok) {
    StopMovieTexture();
    return {GfxStatus::MovieFailed, int(first)};
  }
  return GfxStatus::Ok;
}

GfxResult LoadTexture(UTexture* t, const char* name) {
  MovieName movie;
  switch (ParseMovieName(name, &movie)) {
    case MovieNameKind::Malformed:
      return GfxStatus::BadMovieName;
    case MovieNameKind::Movie:
      return LoadMovieTexture(t, movie);
    case MovieNameKind::NotMovie:
      break;
  }
  ResourceLocation loc;
  if (!FindResource(name, &loc)) return GfxStatus::ImageNotFound;
  TextureImageTarget target(t);
  ImageStatus st = LoadImage(name, loc, &target);
  target.CloseAccess();
  if (!target.created.ok()) return target.created;
  if (st == ImageStatus::NotFullColourPng) return GfxStatus::ImageNotFullColour;
  if (st != ImageStatus::Ok || !t->surface) return GfxStatus::ImageNotFound;
  return GfxStatus::Ok;
}

}  // namespace qor
