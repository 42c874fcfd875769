// Benchmark: blended textured sprites per 60 fps frame at 1280x720 for the
// OpenGL device, with the software device measured in the same run as the
// baseline. Besides wall time it reports process CPU time (every thread of
// the process, the GL driver's included), which stays meaningful on a
// machine shared with other work, where wall time mostly measures the queue.
//
//   gl_sprites [--frame-ms 16.7]
//
// One line per case:
//   sprites_per_frame renderer=gl size=32 textures=1 clock=cpu sprites=NNNN
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "graphics/device.h"

using namespace qor;

namespace {

constexpr int kW = 1280, kH = 720;

double CpuMs() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}
double WallMs() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

DeviceTexture* SpriteTexture(Device* d, int size, uint32_t tint) {
  DeviceTexture* t = nullptr;
  if (d->CreateTexture(size, size, &t) != TextureResult::Ok) return nullptr;
  d->BeginTextureAccess(t);
  for (int y = 0; y < size; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(t->pixels + y * t->pitch);
    for (int x = 0; x < size; ++x)
      row[x] = (96u + ((x * 5 + y * 3) & 127)) << 24 | ((tint ^ static_cast<uint32_t>(x * 8 << 8 | y * 8)) & 0xFFFFFF);
  }
  d->EndTextureAccess(t, 0, size);
  return t;
}

struct Cost {
  double cpu, wall;
};

// One frame of n sprites, alternating between `textures` textures; waits for
// the device to finish (a one-pixel read-back) before the clocks stop.
Cost Frame(Device* d, DeviceTexture* const* tex, int textures, int size, int n) {
  const double c0 = CpuMs(), w0 = WallMs();
  d->BeginScene();
  d->Clear(nullptr, 0xFF000000);
  uint32_t s = 12345;
  for (int i = 0; i < n; ++i) {
    s = s * 1664525u + 1013904223u;
    float x0 = float((s >> 8) % (kW - size)) - 0.5f;
    s = s * 1664525u + 1013904223u;
    float y0 = float((s >> 8) % (kH - size)) - 0.5f;
    float x1 = x0 + size, y1 = y0 + size;
    d->SetTexture(tex[i % textures]);
    Vertex q[4] = {{x0, y0, 0, 1, 0xFFFFFFFF, 0, 0}, {x1, y0, 0, 1, 0xFFFFFFFF, 1, 0},
                   {x0, y1, 0, 1, 0xFFFFFFFF, 0, 1}, {x1, y1, 0, 1, 0xFFFFFFFF, 1, 1}};
    d->Draw(PT_TRIANGLESTRIP, q, 4);
  }
  d->EndScene();
  d->Present();
  uint32_t px;
  d->ReadPixels(&px, 4, 1, 1);
  return {CpuMs() - c0, WallMs() - w0};
}

Cost Median(Device* d, DeviceTexture* const* tex, int textures, int size, int n) {
  std::vector<Cost> c;
  for (int i = 0; i < 7; ++i) c.push_back(Frame(d, tex, textures, size, n));
  std::sort(c.begin(), c.end(), [](const Cost& a, const Cost& b) { return a.cpu < b.cpu; });
  Cost m = c[3];
  std::sort(c.begin(), c.end(), [](const Cost& a, const Cost& b) { return a.wall < b.wall; });
  m.wall = c[3].wall;
  return m;
}

// Sprites that fit `budget` ms by the chosen clock, from measurements at a
// growing count (cost is close to linear in the count).
int Fit(Device* d, DeviceTexture* const* tex, int textures, int size, double budget, bool cpu) {
  int n = 256;
  for (int iter = 0; iter < 8; ++iter) {
    Cost c = Median(d, tex, textures, size, n);
    double ms = std::max(cpu ? c.cpu : c.wall, 0.01);
    int next = std::clamp(int(n * budget / ms), 1, n * 8);
    if (std::abs(next - n) <= n / 50) return next;
    n = next;
  }
  return n;
}

void Run(Device* d, const char* name, double budget) {
  DeviceTexture* none[1] = {SpriteTexture(d, 8, 0xFFFFFF)};
  Cost empty = Median(d, none, 1, 8, 0);
  printf("baseline renderer=%s what=empty_frame cpu_ms=%.3f wall_ms=%.3f\n", name, empty.cpu, empty.wall);
  d->DestroyTexture(none[0]);
  for (int size : {32, 8}) {
    for (int textures : {1, 2}) {
      DeviceTexture* tex[2] = {SpriteTexture(d, size, 0xFF8040), SpriteTexture(d, size, 0x40A0FF)};
      for (bool cpu : {true, false})
        printf("sprites_per_frame renderer=%s size=%d textures=%d clock=%s sprites=%d frame_ms=%.1f\n", name, size,
               textures, cpu ? "cpu" : "wall", Fit(d, tex, textures, size, budget, cpu), budget);
      fflush(stdout);
      d->DestroyTexture(tex[0]);
      d->DestroyTexture(tex[1]);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  double budget = 1000.0 / 60.0;
  for (int i = 1; i < argc; ++i) {
    if (!strcmp(argv[i], "--frame-ms") && i + 1 < argc) {
      budget = atof(argv[++i]);
    } else {
      fprintf(stderr, "usage: gl_sprites [--frame-ms MS]\n");
      return 2;
    }
  }
  std::string err;
  if (auto soft = CreateSoftDevice(nullptr, kW, kH, &err)) Run(soft.get(), "soft", budget);
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    printf("skipped renderer=gl reason=\"%s\"\n", SDL_GetError());
    return 0;
  }
  PrepareGLAttributes();
  SDL_Window* win = SDL_CreateWindow("gl_sprites", 0, 0, kW, kH, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  std::unique_ptr<Device> gl = win ? CreateGLDevice(win, kW, kH, &err) : nullptr;
  if (!gl) {
    printf("skipped renderer=gl reason=\"%s\"\n", win ? err.c_str() : SDL_GetError());
  } else {
    Run(gl.get(), "gl", budget);
  }
  gl.reset();
  if (win) SDL_DestroyWindow(win);
  SDL_Quit();
  return 0;
}
