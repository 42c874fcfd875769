// The Bezier mesh: a texture warped into a patch bounded by four cubic
// curves, as a grid of textured triangles with an optional wire overlay.
#include <new>
#include <vector>

#include "graphics/screen.h"
#include "graphics/shape.h"

namespace qor {

namespace {

void Curve(const double a[2], const double b[2], const double c[2], const double d[2], double q[8]) {
  const double* pts[4] = {a, b, c, d};
  for (int k = 0; k < 4; ++k) q[2 * k] = pts[k][0], q[2 * k + 1] = pts[k][1];
}

}  // namespace

void BezierMeshGrid(const BezierPatch& patch, int n, double* xy) {
  const auto& P = patch.p;
  const auto& C = patch.c;
  double left[8], right[8];
  Curve(P[3], C[6], C[7], P[0], left);  // runs from P3 up to P0
  Curve(P[1], C[2], C[3], P[2], right);
  for (int i = 0; i <= n; ++i) {
    const double b = double(i) / n, a = double(n - i) / n;
    double L[2], R[2];
    BezierPoint(left, a, &L[0], &L[1]);
    BezierPoint(right, b, &R[0], &R[1]);
    // Inner controls: the top curve's near the top, the bottom curve's near
    // the bottom, carried along with the side points.
    double row[8];
    for (int k = 0; k < 2; ++k) {
      row[k] = L[k];
      row[2 + k] = L[k] + a * (C[0][k] - P[0][k]) + (1 - a) * (C[5][k] - P[3][k]);
      row[4 + k] = R[k] + a * (C[1][k] - P[1][k]) + (1 - a) * (C[4][k] - P[2][k]);
      row[6 + k] = R[k];
    }
    for (int j = 0; j <= n; ++j) {
      double* g = xy + 2 * (size_t(i) * (n + 1) + j);
      BezierPoint(row, double(j) / n, &g[0], &g[1]);
    }
  }
}

static GfxStatus DrawWire(const BezierPatch& patch, int n, const double* grid) {
  const auto& P = patch.p;
  const auto& C = patch.c;
  const int points = (n + 1) * (n + 1);
  GfxStatus st = DrawShape(PT_POINTLIST, points, grid, points, 0xFF00FFFFu);
  double q[8];
  const double* curves[4][4] = {{P[0], C[0], C[1], P[1]}, {P[1], C[2], C[3], P[2]},
                                {P[2], C[4], C[5], P[3]}, {P[3], C[6], C[7], P[0]}};
  for (int k = 0; k < 4 && st == GfxStatus::Ok; ++k) {
    Curve(curves[k][0], curves[k][1], curves[k][2], curves[k][3], q);
    st = DrawBezierCurve(q, n, 0xFFFF88FFu);
  }
  if (st != GfxStatus::Ok) return st;
  // Each corner to its neighbouring control points.
  const double* ends[8][2] = {{P[0], C[0]}, {P[1], C[1]}, {P[1], C[2]}, {P[2], C[3]},
                              {P[2], C[4]}, {P[3], C[5]}, {P[3], C[6]}, {P[0], C[7]}};
  double lines[32];
  for (int k = 0; k < 8; ++k) {
    lines[4 * k] = ends[k][0][0], lines[4 * k + 1] = ends[k][0][1];
    lines[4 * k + 2] = ends[k][1][0], lines[4 * k + 3] = ends[k][1][1];
  }
  return DrawShape(PT_LINELIST, 8, lines, 16, 0xFFFFFF88u);
}

GfxStatus DrawBezierMesh(UTexture* t, const BezierPatch& patch, int n, bool wire) {
  if (!ScreenDevice()) return GfxStatus::NoDevice;
  if (n <= 0) return GfxStatus::BadSegmentCount;
  if (int64_t(6) * n * n > (int64_t(1) << 26)) return GfxStatus::OutOfMemory;
  try {
    std::vector<double> grid(2 * size_t(n + 1) * size_t(n + 1));
    BezierMeshGrid(patch, n, grid.data());
    // The texture coordinates run over the allocated texture, 0 to 1.
    auto at = [&](int i, int j) {
      const double* g = &grid[2 * (size_t(i) * (n + 1) + j)];
      return Vertex{float(g[0]), float(g[1]), 0.0f, 1.0f, 0xFFFFFFFFu, float(double(j) / n), float(double(i) / n)};
    };
    std::vector<Vertex> v;
    v.reserve(6 * size_t(n) * n);
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) {
        v.push_back(at(i, j)), v.push_back(at(i, j + 1)), v.push_back(at(i + 1, j));
        v.push_back(at(i, j + 1)), v.push_back(at(i + 1, j + 1)), v.push_back(at(i + 1, j));
      }
    // The mesh draws with the states the scene's previous 2D draw left.
    GfxStatus st = DrawTexturedPrimitives(t, PT_TRIANGLELIST, 2 * n * n, v.data());
    if (st == GfxStatus::Ok && wire) st = DrawWire(patch, n, grid.data());
    return st;
  } catch (const std::bad_alloc&) {
    return GfxStatus::OutOfMemory;
  }
}

}  // namespace qor
