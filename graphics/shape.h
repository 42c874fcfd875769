// Untextured shapes (points, lines, triangles and their list, strip and fan
// forms, Bezier polylines) and the textured Bezier mesh. Lua-free: statuses only.
#pragma once
#include <cstdint>

#include "graphics/device.h"
#include "graphics/status.h"
#include "graphics/texture.h"

namespace qor {

// The coordinate-table forms of the shape module.
enum class ShapeTable { PointList, LineList, LineStrip, TriangleList, TriangleStrip, TriangleFan };

// The primitive a table form draws, and how many for n numbers (x, y pairs);
// -1 when n does not fit the form.
PrimitiveType ShapeTableType(ShapeTable kind);
int ShapeTablePrimitives(ShapeTable kind, int n);

// Draws `pairs` points (xy holds x0, y0, x1, y1, ...) as `count` primitives
// of `type`, untextured in `colour` (0xAARRGGBB), with no half-pixel shift.
GfxStatus DrawShape(PrimitiveType type, int count, const double* xy, int pairs, uint32_t colour);

// A table form: BadShapeCount when n does not fit it.
GfxStatus DrawShapeTable(ShapeTable kind, const double* xy, int n, uint32_t colour);

// The cubic Bezier curve through q = x0, y0, ..., x3, y3 at t (not clamped).
void BezierPoint(const double q[8], double t, double* x, double* y);

// The curve as a line strip of `segments` lines. BadSegmentCount for a
// negative count; 0 gives the one-point strip's BadShapeCount.
GfxStatus DrawBezierCurve(const double q[8], int segments, uint32_t colour);

// A patch bounded by four cubic curves: corners p[0..3] (x, y each) and
// control points c[0..7] (C1..C8): top P0 C1 C2 P1, right P1 C3 C4 P2,
// bottom P2 C5 C6 P3, left P3 C7 C8 P0.
struct BezierPatch {
  double p[4][2];
  double c[8][2];
};

// The (n + 1) x (n + 1) grid points, row by row (x, y pairs); n > 0.
// May throw std::bad_alloc.
void BezierMeshGrid(const BezierPatch& patch, int n, double* xy);

// Warps the whole texture into the patch as 2 n^2 triangles (BadSegmentCount
// for n <= 0); with `wire`, the grid points, the four boundary curves and
// the control lines are drawn over it.
GfxStatus DrawBezierMesh(UTexture* t, const BezierPatch& patch, int n, bool wire);

}  // namespace qor
