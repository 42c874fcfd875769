// Benchmark: a 1280x720 30 fps movie (H.264, VP9, QuickTime Animation with
// alpha) played as a movie texture, against the same decode and BGRA
// conversion done by FFmpeg's API alone in the same run; movie.render's copy
// against a memcpy of the frame; the A/V sync error of a movie with sound;
// the memory one open movie takes.
//
// usage: movie_decode [seconds]   (the movies are made here with ffmpeg)
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "graphics/movie_player.h"
#include "graphics/screen.h"
#include "graphics/screen_internal.h"
#include "media/mixer.h"
#include "media/movie_decoder.h"
#include "media/movie_lua.h"
#include "host/binding.h"
#include "media/sound_clock.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

using namespace qor;

namespace {

double CpuSeconds() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

long RssKb() {
  long pages = 0, rss = 0;
  if (FILE* f = fopen("/proc/self/statm", "r")) {
    if (fscanf(f, "%ld %ld", &pages, &rss) != 2) rss = 0;
    fclose(f);
  }
  return rss * (sysconf(_SC_PAGESIZE) / 1024);
}

// Bare FFmpeg: every frame decoded and converted to BGRA, nothing else.
// Returns the frames decoded.
int BareDecode(const std::string& path) {
  AVFormatContext* fmt = nullptr;
  if (avformat_open_input(&fmt, path.c_str(), nullptr, nullptr) < 0) return 0;
  avformat_find_stream_info(fmt, nullptr);
  int vi = av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  const AVCodec* codec = avcodec_find_decoder(fmt->streams[vi]->codecpar->codec_id);
  AVCodecContext* c = avcodec_alloc_context3(codec);
  avcodec_parameters_to_context(c, fmt->streams[vi]->codecpar);
  c->thread_count = 0;
  avcodec_open2(c, codec, nullptr);
  AVPacket* pkt = av_packet_alloc();
  AVFrame* f = av_frame_alloc();
  SwsContext* sws = nullptr;
  std::vector<uint8_t> out(size_t(c->width) * c->height * 4);
  int frames = 0;
  auto drain = [&] {
    while (avcodec_receive_frame(c, f) == 0) {
      sws = sws_getCachedContext(sws, f->width, f->height, AVPixelFormat(f->format), c->width, c->height,
                                 AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
      uint8_t* dst[4] = {out.data()};
      int pitch[4] = {c->width * 4};
      sws_scale(sws, f->data, f->linesize, 0, f->height, dst, pitch);
      ++frames;
    }
  };
  while (av_read_frame(fmt, pkt) >= 0) {
    if (pkt->stream_index == vi && avcodec_send_packet(c, pkt) >= 0) drain();
    av_packet_unref(pkt);
  }
  avcodec_send_packet(c, nullptr);
  drain();
  sws_freeContext(sws);
  av_frame_free(&f);
  av_packet_free(&pkt);
  avcodec_free_context(&c);
  avformat_close_input(&fmt);
  return frames;
}

struct TextureRun {
  int frames = 0;
  double copySeconds = 0;  // inside the frame copies
};

// The movie texture path: the player opens the movie into a texture and a
// hand-driven clock moves one frame (1/30 s) at a time; each step waits for
// the decoder and copies the frame as movie.render does.
TextureRun PlayAsTexture(const std::string& path, bool alpha, ManualClock& clock) {
  TextureRun run;
  static UTexture texture{};
  if (!OpenMovieTexture(path, &texture, 0, alpha, nullptr).ok()) return run;
  g_movieTexture = &texture;
  UpdateMovieFrame();
  int64_t shown = g_movie.shownIndex;
  for (int step = 1; step < 100000; ++step) {
    // Exactly to frame `step`'s time, rounded up as the stream's times are.
    clock.Advance(uint32_t((step * 1000 + 29) / 30 - ((step - 1) * 1000 + 29) / 30));
    bool playing = true;
    IsMoviePlaying(&playing);
    if (!playing) break;
    for (int tries = 0; tries < 5000 && g_movie.shownIndex == shown; ++tries) {
      double t0 = WallSeconds();
      UpdateMovieFrame();
      if (g_movie.shownIndex != shown) run.copySeconds += WallSeconds() - t0;
      else usleep(100);
      IsMoviePlaying(&playing);
      if (!playing) break;
    }
    if (g_movie.shownIndex != shown) ++run.frames;
    shown = g_movie.shownIndex;
  }
  ReleaseAlphaPack();
  CloseMovie();
  g_movieTexture = nullptr;
  TextureRelease(&texture);
  return run;
}

bool Make(const std::string& out, const std::string& args) {
  struct stat st;
  if (stat(out.c_str(), &st) == 0) return true;
  std::string cmd = "ffmpeg -v error -y " + args + " '" + out + "'";
  return system(cmd.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = argc > 1 ? atoi(argv[1]) : 4;
  std::string dir = "/tmp/qor_movie_bench_" + std::to_string(seconds) + "/";
  mkdir(dir.c_str(), 0755);
  std::string src = "-f lavfi -i testsrc2=s=1280x720:r=30:d=" + std::to_string(seconds);
  struct Case {
    const char* name;
    std::string file, args;
    bool alpha;
  } cases[] = {
      {"h264", dir + "h264.mp4", src + " -c:v libx264 -preset fast -pix_fmt yuv420p", false},
      {"vp9", dir + "vp9.webm", src + " -c:v libvpx-vp9 -deadline realtime -cpu-used 8 -b:v 2M", false},
      {"qtrle_alpha", dir + "qtrle.mov",
       "-f lavfi -i testsrc2=s=1280x720:r=30:d=" + std::to_string(seconds) +
           ",format=argb,colorchannelmixer=aa=0.5 -c:v qtrle",
       true},
  };
  std::string soundFile = dir + "sound.mp4";
  bool madeSound = Make(soundFile, "-f lavfi -i testsrc2=s=320x240:r=30:d=" + std::to_string(seconds) +
                                       " -f lavfi -i sine=frequency=440:duration=" + std::to_string(seconds) +
                                       " -c:v libx264 -pix_fmt yuv420p -c:a aac -shortest");

  std::string error;
  std::unique_ptr<Device> device = CreateSoftDevice(nullptr, 1280, 720, &error);
  if (!device) {
    fprintf(stderr, "no software device: %s\n", error.c_str());
    return 1;
  }
  UseScreenDevice(std::move(device), 1280, 720);
  ManualClock clock;
  InstallMoviePlayer();
  SetMovieBackend(nullptr, &clock);

  for (const Case& c : cases) {
    if (!Make(c.file, c.args)) {
      fprintf(stderr, "cannot make %s with ffmpeg\n", c.file.c_str());
      continue;
    }
    double cpu0 = CpuSeconds();
    int bareFrames = BareDecode(c.file);
    double bareCpu = CpuSeconds() - cpu0;
    cpu0 = CpuSeconds();
    TextureRun run = PlayAsTexture(c.file, c.alpha, clock);
    double texCpu = CpuSeconds() - cpu0;
    double movieSeconds = bareFrames / 30.0;
    printf("movie_texture_cpu_%s %.3f s/s bare_decode %.3f s/s ratio %.2f (frames %d/%d)\n", c.name,
           texCpu / movieSeconds, bareCpu / movieSeconds, texCpu / bareCpu, run.frames, bareFrames);
    // The copy against a memcpy of as many frames.
    // The sources rotate through more memory than the caches hold, as the
    // decoder's frames do.
    std::vector<std::vector<uint8_t>> a(8, std::vector<uint8_t>(1280 * 720 * 4, 1));
    std::vector<uint8_t> b(a[0].size());
    double t0 = WallSeconds();
    for (int i = 0; i < std::max(run.frames, 1); ++i) memcpy(b.data(), a[size_t(i) % a.size()].data(), b.size());
    double memcpySeconds = WallSeconds() - t0;
    printf("movie_render_copy_%s %.3f ms/frame memcpy %.3f ms/frame ratio %.2f\n", c.name,
           1000 * run.copySeconds / std::max(run.frames, 1), 1000 * memcpySeconds / std::max(run.frames, 1),
           run.copySeconds / memcpySeconds);
  }

  // Memory of one open 720p movie with its queue filled.
  {
    long before = RssKb();
    MovieDecoder d;
    MovieOptions o;
    o.clock = &clock;
    if (d.Open(cases[0].file, o) == MovieStatus::Ok && d.Start() == MovieStatus::Ok) {
      usleep(300000);
      printf("movie_memory_720p %.1f MB\n", (RssKb() - before) / 1024.0);
    }
  }

  // A/V sync: the sound clock is the mixer's play cursor, driven in 10 ms
  // steps at about real time; the picture shown should be the one due.
  if (madeSound) {
    UMixer mixer(48000);
    MovieDecoder d;
    MovieOptions o;
    o.mixer = &mixer;
    o.clock = &clock;
    if (d.Open(soundFile, o) == MovieStatus::Ok && d.Start() == MovieStatus::Ok) {
      std::vector<int16_t> out(2 * 480);
      double worst = 0, sum = 0;
      int n = 0;
      while (!d.Finished() && n < seconds * 200) {
        mixer.Mix(out.data(), 480);
        usleep(10000);
        d.Advance();
        if (d.ClockMs() > seconds * 1000 - 100) continue;  // past the last picture
        double err = double(d.ClockMs() - d.Current().ptsMs);
        worst = std::max(worst, std::abs(err));
        sum += std::abs(err);
        ++n;
      }
      printf("movie_av_sync_error max %.1f ms mean %.1f ms (one frame %.1f ms)\n", worst, sum / std::max(n, 1),
             1000 / 30.0);
    }
  }
  SetMovieBackend(nullptr, nullptr);
  UseScreenDevice(nullptr, 0, 0);
  return 0;
}
