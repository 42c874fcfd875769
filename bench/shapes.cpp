// Benchmark: shapes and Bezier meshes per frame at 1280 x 720 on each
// renderer, with an empty frame measured in the same run as the baseline:
// 10,000 lines (random across the screen, and short), 1,000 triangle lists of 60 numbers (10 triangles each), and
// how many drawbeziermesh calls with n = 32 fit a 16.7 ms frame.
//
// Times are CPU time of the process (the GL driver's threads included),
// median of 9 frames.
#include <algorithm>
#include <cmath>
#include <vector>

#include "bench_devices.h"
#include "graphics/shape.h"

using namespace qor;

namespace {

constexpr int kW = 1280, kH = 720;

template <class F>
double Median(F&& frame) {
  std::vector<double> ms;
  for (int i = 0; i < 9; ++i) {
    ScreenDevice()->BeginScene();
    ScreenDevice()->Clear(nullptr, 0xFF000000);
    const double c0 = bench::CpuMs();
    frame();
    bench::Finish();
    ms.push_back(bench::CpuMs() - c0);
    ScreenDevice()->EndScene();
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

void Run(const char* renderer) {
  const double empty = Median([] {});
  printf("baseline renderer=%s what=empty_frame ms=%.2f\n", renderer, empty);
  uint32_t s = 1;
  auto rnd = [&s](int range) {
    s = s * 1664525u + 1013904223u;
    return double((s >> 8) % uint32_t(range));
  };
  // Lines across the screen (about 500 pixels each) and short ones (up to 32).
  for (int reach : {0, 32}) {
    const double lines = Median([&] {
      for (int i = 0; i < 10000; ++i) {
        double xy[4] = {rnd(kW - 32), rnd(kH - 32), rnd(kW), rnd(kH)};
        if (reach) xy[2] = xy[0] + rnd(reach), xy[3] = xy[1] + rnd(reach);
        DrawShape(PT_LINELIST, 1, xy, 2, 0xFF80C0FF);
      }
    });
    printf("shape_line renderer=%s calls=10000 length=%s frame_ms=%.2f\n", renderer, reach ? "<=45" : "random",
           lines);
  }
  const double tris = Median([&] {
    double xy[60];
    for (int i = 0; i < 1000; ++i) {
      const double cx = rnd(kW - 40), cy = rnd(kH - 40);
      for (int k = 0; k < 60; k += 2) xy[k] = cx + rnd(40), xy[k + 1] = cy + rnd(40);
      DrawShapeTable(ShapeTable::TriangleList, xy, 60, 0x80FF8040);
    }
  });
  printf("shape_trianglelist renderer=%s calls=1000 numbers=60 frame_ms=%.2f\n", renderer, tris);

  UTexture tex{};
  CreateTexture(&tex, 256, 256);
  const BezierPatch patch{{{200, 100}, {700, 140}, {680, 600}, {220, 560}},
                          {{360, 40}, {540, 180}, {760, 300}, {640, 460}, {520, 640}, {380, 500}, {160, 420}, {260, 240}}};
  const int calls = 20;
  const double mesh = Median([&] {
    for (int i = 0; i < calls; ++i) DrawBezierMesh(&tex, patch, 32, false);
  });
  printf("drawbeziermesh renderer=%s n=32 ms_per_call=%.3f calls_per_16.7ms=%d\n", renderer, mesh / calls,
         int(16.7 / (mesh / calls)));
  fflush(stdout);
  TextureRelease(&tex);
}

}  // namespace

int main() {
  bench::ForEachRenderer(kW, kH, "shapes", Run);
  return 0;
}
