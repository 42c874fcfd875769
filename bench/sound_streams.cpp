// Sound benchmark: CPU per streaming Ogg sound, the mixer's cost for 32 sounds,
// memory per playing sound, and the bare decode loop on the same file as the
// baseline. Prints "name value unit" lines.
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>
#include <vorbis/vorbisfile.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "media/mixer.h"
#include "media/ogg_thread.h"
#include "media/sound_clock.h"

using namespace qor;

namespace {

double Seconds(clockid_t id) {
  timespec ts;
  clock_gettime(id, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double ProcessCpu() { return Seconds(CLOCK_PROCESS_CPUTIME_ID); }
double ThreadCpu() { return Seconds(CLOCK_THREAD_CPUTIME_ID); }

long ResidentKb() {
  long pages = 0, resident = 0;
  FILE* f = fopen("/proc/self/statm", "r");
  if (f) {
    if (fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Decodes the file over and over for about `wall` seconds: audio seconds per CPU second.
double DecodeSpeed(const std::string& path, double wall) {
  double audio = 0, start = ThreadCpu();
  char buf[16384];
  while (ThreadCpu() - start < wall) {
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0) return 0;
    vorbis_info* vi = ov_info(&vf, -1);
    double bytesPerSec = 2.0 * vi->channels * vi->rate;
    int section;
    long n;
    while ((n = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section)) > 0) audio += double(n) / bytesPerSec;
    ov_clear(&vf);
  }
  return audio / (ThreadCpu() - start);
}

}  // namespace

int main(int argc, char** argv) {
  // Fixtures beside this source file unless a folder is given.
  std::string here = __FILE__;
  std::string dir = argc > 1 ? argv[1] : here.substr(0, here.rfind('/')) + "/../tests/fixtures/sound";
  std::string ogg = dir + "/loop_44100.ogg";

  if (FILE* f = fopen(ogg.c_str(), "rb")) {
    fclose(f);
  } else {
    fprintf(stderr, "sound_streams: cannot open %s (give the fixture folder as the argument)\n", ogg.c_str());
    return 1;
  }
  double speed = DecodeSpeed(ogg, 2.0);
  printf("decode_speed_x_realtime %.1f x\n", speed);
  printf("decode_cpu_per_stream %.3f %%core\n", 100.0 / speed);

  // Streaming sounds in real time, the main thread pulling the mixer every
  // 10 ms like the audio callback. Measured in the steady state (after the
  // first two seconds, which include the initial buffer fill). Worker CPU =
  // process CPU − this thread's CPU.
  const int kStreams = 8;
  {
    UMixer mixer(44100);
    std::vector<std::unique_ptr<UOggThread>> sounds;
    for (int i = 0; i < kStreams; ++i) {
      sounds.push_back(std::make_unique<UOggThread>());
      sounds.back()->SetBackend(&mixer, RealSoundClock());
      sounds.back()->Open(ResourceLocation{ogg, 0, 0, false});
      sounds.back()->Play(true);
    }
    std::vector<int16_t> out(441 * 2);
    auto wall = [] { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); };
    double start = wall(), p0 = 0, t0 = 0, w0 = 0;
    bool measuring = false;
    for (double next = start; wall() - start < 10.0; next += 0.01) {
      while (wall() < next) usleep(1000);
      mixer.Mix(out.data(), 441);
      if (!measuring && wall() - start >= 2.0) {
        measuring = true;
        p0 = ProcessCpu();
        t0 = ThreadCpu();
        w0 = wall();
      }
    }
    double workers = (ProcessCpu() - p0) - (ThreadCpu() - t0);
    printf("stream_cpu_per_ogg_stream %.3f %%core\n", 100.0 * workers / kStreams / (wall() - w0));
    for (auto& s : sounds) s->StopAndReset();
  }

  // 32 playing buffers of 44.1 kHz stereo mixed to 48 kHz.
  {
    UMixer mixer(48000);
    PcmFormat f{2, 44100, 16, 4, 176400};
    std::vector<MixBuffer*> bufs;
    for (int i = 0; i < 32; ++i) {
      MixBuffer* b = mixer.CreateBuffer(f, 3 * 176400);
      void *p1, *p2;
      uint32_t n1, n2;
      b->Lock(0, b->Size(), &p1, &n1, &p2, &n2);
      auto* s = static_cast<int16_t*>(p1);
      for (uint32_t k = 0; k < n1 / 2; ++k) s[k] = int16_t((k * 37 + i * 101) % 20000 - 10000);
      b->Unlock(p1, n1, p2, n2);
      b->SetVolume(-600);
      b->SetPan(i * 500 - 8000);
      b->Play();
      bufs.push_back(b);
    }
    std::vector<int16_t> out(1024 * 2);
    const int kAudioSeconds = 20;
    double t0 = ThreadCpu();
    for (int i = 0; i < kAudioSeconds * 48000 / 1024; ++i) mixer.Mix(out.data(), 1024);
    double cpu = ThreadCpu() - t0;
    printf("mixer_cpu_32_sounds %.3f %%core\n", 100.0 * cpu / kAudioSeconds);
    printf("mixer_cpu_per_sound %.4f %%core\n", 100.0 * cpu / kAudioSeconds / 32);
  }

  // Resident memory of 32 playing Ogg streams (buffers filled, decoders open).
  {
    UMixer mixer(44100);
    ManualClock clock;
    long before = ResidentKb();
    std::vector<std::unique_ptr<UOggThread>> sounds;
    for (int i = 0; i < 32; ++i) {
      sounds.push_back(std::make_unique<UOggThread>());
      sounds.back()->SetBackend(&mixer, &clock);
      sounds.back()->Open(ResourceLocation{ogg, 0, 0, false});
      sounds.back()->Play(true);
    }
    auto running = [&] {
      int n = 0;
      for (auto& s : sounds) n += s->IsRunning();
      return n;
    };
    std::vector<int16_t> out(441 * 2);
    for (int step = 0; step < 300; ++step) {
      clock.WaitIdle(running);
      mixer.Mix(out.data(), 441);
      clock.Advance(10);
    }
    clock.WaitIdle(running);
    long after = ResidentKb();
    printf("memory_per_playing_sound %.0f KiB\n", double(after - before) / 32);
    for (auto& s : sounds) s->StopAndReset();
  }
  return 0;
}
