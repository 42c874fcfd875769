// Benchmark: one frame of transition.universal at 1280 x 720 on each
// renderer, against a floor measured in the same run: one pass that reads
// two 1280 x 720 BGRA pictures and a rule plane and writes one, plus the
// upload and the one full-screen quad that shows it.
//
// One line per case: universal renderer=soft what=... ms=N (median of 61 frames taken in turn, CPU time of the process)
#include <algorithm>
#include <vector>

#include "bench_devices.h"
#include "graphics/transition.h"

using namespace qor;

namespace {

constexpr int kW = 1280, kH = 720;

void Fill(UTexture* t, uint32_t seed) {
  uint8_t* p = TextureBeginAccess(t);
  for (int y = 0; y < kH; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(p + size_t(y) * t->surface->pitch);
    for (int x = 0; x < kW; ++x) row[x] = 0xFF000000u | ((x * 7 + y * 3 + seed) * 2654435761u >> 8 & 0xFFFFFF);
  }
  TextureEndAccess(t, 0, kH);
}

// One frame of `frame`, CPU time of the process until the device is done.
template <class F>
double FrameMs(F&& frame, int i) {
  ScreenDevice()->BeginScene();
  const double c0 = bench::CpuMs();
  frame(i);
  bench::Finish();
  const double ms = bench::CpuMs() - c0;
  ScreenDevice()->EndScene();
  return ms;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}
void Run(const char* renderer) {
  UTexture from{}, to{}, work{};
  CreateTexture(&from, kW, kH);
  CreateTexture(&to, kW, kH);
  CreateTexture(&work, kW, kH);
  Fill(&from, 1);
  Fill(&to, 2);
  UBitmap rule{};
  BitmapCreate(&rule, kW, kH);  // a screen-sized diagonal ramp: every rule value in use
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) std::fill_n(rule.pixels + (size_t(y) * kW + x) * 4, 4, uint8_t((x + y) * 255 / (kW + kH)));

  // The floor: select `from` or `to` by the rule byte, written into a texture, uploaded and drawn.
  auto floorFrame = [&](int) {
    const uint8_t* f = TextureBeginAccess(&from);
    const uint8_t* t = TextureBeginAccess(&to);
    uint8_t* o = TextureBeginAccess(&work);
    for (int y = 0; y < kH; ++y) {
      auto* out = reinterpret_cast<uint32_t*>(o + size_t(y) * work.surface->pitch);
      auto* a = reinterpret_cast<const uint32_t*>(f + size_t(y) * from.surface->pitch);
      auto* b = reinterpret_cast<const uint32_t*>(t + size_t(y) * to.surface->pitch);
      const uint8_t* r = rule.pixels + size_t(y) * kW * 4;
      for (int x = 0; x < kW; ++x) out[x] = r[x * 4] < 128 ? a[x] : b[x];
    }
    TextureEndAccess(&from, 0, 0);
    TextureEndAccess(&to, 0, 0);
    TextureEndAccess(&work, 0, kH);
    DrawTextureRect(&work, 0, 0, kW, kH, 0, 0, 255);
  };
  auto softFrame = [&](int i) { DrawUniversalTransition(&from, &to, 0.2 + 0.02 * (i % 30), &rule, 64); };
  auto hardFrame = [&](int i) { DrawUniversalTransition(&from, &to, 0.2 + 0.02 * (i % 30), &rule, 0); };
  // The three cases take turns, so a busy moment on a shared machine costs all of them alike.
  std::vector<double> f, s64, s0;
  for (int i = 0; i < 61; ++i) {
    f.push_back(FrameMs(floorFrame, i));
    s64.push_back(FrameMs(softFrame, i));
    s0.push_back(FrameMs(hardFrame, i));
  }
  const double floor = Median(f), soft = Median(s64), hard = Median(s0);
  printf("baseline renderer=%s what=floor_pass_upload_quad ms=%.2f\n", renderer, floor);
  printf("universal renderer=%s vague=64 ms=%.2f ratio_to_floor=%.2f\n", renderer, soft, soft / floor);
  printf("universal renderer=%s vague=0 ms=%.2f ratio_to_floor=%.2f\n", renderer, hard, hard / floor);
  fflush(stdout);
  TextureRelease(&from);
  TextureRelease(&to);
  TextureRelease(&work);
  ReleaseTransitionWork();
  BitmapRelease(&rule);
}

}  // namespace

int main() {
  bench::ForEachRenderer(kW, kH, "transition_universal", Run);
  return 0;
}
