// Untextured shapes: the vertex arrays of the table forms and Bezier
// polylines, submitted through the screen's single drawing path.
#include "graphics/shape.h"

#include <new>
#include <vector>

#include "graphics/screen.h"

namespace qor {

PrimitiveType ShapeTableType(ShapeTable kind) {
  switch (kind) {
    case ShapeTable::PointList: return PT_POINTLIST;
    case ShapeTable::LineList: return PT_LINELIST;
    case ShapeTable::LineStrip: return PT_LINESTRIP;
    case ShapeTable::TriangleList: return PT_TRIANGLELIST;
    case ShapeTable::TriangleStrip: return PT_TRIANGLESTRIP;
    case ShapeTable::TriangleFan: return PT_TRIANGLEFAN;
  }
  return PT_POINTLIST;
}

int ShapeTablePrimitives(ShapeTable kind, int n) {
  if (n < 0) return -1;
  const bool even = n % 2 == 0;
  switch (kind) {
    case ShapeTable::PointList: return even ? n / 2 : -1;
    case ShapeTable::LineList: return n % 4 == 0 ? n / 4 : -1;
    case ShapeTable::LineStrip: return even && n >= 4 ? n / 2 - 1 : -1;
    case ShapeTable::TriangleList: return n % 6 == 0 ? n / 6 : -1;
    case ShapeTable::TriangleStrip:
    case ShapeTable::TriangleFan: return even && n >= 6 ? n / 2 - 2 : -1;
  }
  return -1;
}

GfxStatus DrawShape(PrimitiveType type, int count, const double* xy, int pairs, uint32_t colour) {
  if (!ScreenDevice()) return GfxStatus::NoDevice;
  UnbindTexture();
  try {
    std::vector<Vertex> v(size_t(pairs > 0 ? pairs : 1));
    for (int i = 0; i < pairs; ++i)
      v[i] = Vertex{float(xy[2 * i]), float(xy[2 * i + 1]), 0.0f, 1.0f, colour, 0.0f, 0.0f};
    return DrawPrimitives(type, count, v.data());
  } catch (const std::bad_alloc&) {
    return GfxStatus::OutOfMemory;
  }
}

GfxStatus DrawShapeTable(ShapeTable kind, const double* xy, int n, uint32_t colour) {
  if (!ScreenDevice()) return GfxStatus::NoDevice;
  const int count = ShapeTablePrimitives(kind, n);
  if (count < 0) return GfxStatus::BadShapeCount;
  return DrawShape(ShapeTableType(kind), count, xy, n / 2, colour);
}

void BezierPoint(const double q[8], double t, double* x, double* y) {
  const double s = 1.0 - t;
  const double b0 = s * s * s, b1 = 3.0 * t * s * s, b2 = 3.0 * t * t * s, b3 = t * t * t;
  *x = b0 * q[0] + b1 * q[2] + b2 * q[4] + b3 * q[6];
  *y = b0 * q[1] + b1 * q[3] + b2 * q[5] + b3 * q[7];
}

// Beyond this many vertices a draw is refused as out of memory: the vertex
// count must stay well inside an int and the arrays inside memory.
constexpr int64_t kMaxVertices = int64_t(1) << 26;

GfxStatus DrawBezierCurve(const double q[8], int segments, uint32_t colour) {
  if (!ScreenDevice()) return GfxStatus::NoDevice;
  if (segments < 0) return GfxStatus::BadSegmentCount;
  if (segments == 0) return GfxStatus::BadShapeCount;  // one point is no line strip
  if (segments >= kMaxVertices) return GfxStatus::OutOfMemory;
  try {
    std::vector<double> xy(2 * size_t(segments + 1));
    for (int k = 0; k <= segments; ++k) BezierPoint(q, double(k) / double(segments), &xy[2 * k], &xy[2 * k + 1]);
    return DrawShapeTable(ShapeTable::LineStrip, xy.data(), int(xy.size()), colour);
  } catch (const std::bad_alloc&) {
    return GfxStatus::OutOfMemory;
  }
}

}  // namespace qor
