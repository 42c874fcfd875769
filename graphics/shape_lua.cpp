// The shape module and texture:drawbeziermesh: argument checks, coordinate
// tables and messages around the graphics core's shapes.
#include "graphics/graphics_lua.h"
#include "graphics/shape.h"
#include "host/binding.h"
#include "host/modules.h"

namespace qor {

namespace {

const char* const kTableNames[] = {"pointlist", "linelist", "linestrip", "trianglelist", "trianglestrip", "trianglefan"};

// Raises the shape messages the graphics core's statuses stand for.
void CheckShape(lua_State* L, GfxStatus st, const char* name) {
  if (st == GfxStatus::BadShapeCount) RaiseMessage(L, "%sに渡した頂点データ配列がおかしいです", name);
  if (st == GfxStatus::BadSegmentCount) RaiseMessage(L, "分割数には1以上を指定して下さい。");
  CheckGfx(L, st);
}

int Fixed(lua_State* L, PrimitiveType type, int pairs) {
  double xy[6];
  for (int i = 0; i < 2 * pairs; ++i) xy[i] = luaL_checknumber(L, i + 1);
  uint32_t colour = CheckColor(L, 2 * pairs + 1);
  ClearStack(L);
  CheckShape(L, DrawShape(type, 1, xy, pairs, colour), "");
  return 0;
}

int ShapePoint(lua_State* L) { return Fixed(L, PT_POINTLIST, 1); }
int ShapeLine(lua_State* L) { return Fixed(L, PT_LINELIST, 2); }
int ShapeTriangle(lua_State* L) { return Fixed(L, PT_TRIANGLELIST, 3); }

int Table(lua_State* L, ShapeTable kind) {
  const char* name = kTableNames[int(kind)];
  if (!lua_istable(L, 1)) RaiseMessage(L, "shape.%sの第一引数は頂点座標のテーブルです", name);
  uint32_t colour = CheckColor(L, 2);
  lua_settop(L, 1);
  const size_t n = lua_objlen(L, 1);
  if (n > size_t(1) << 26) RaiseGfxStatus(L, GfxStatus::OutOfMemory);
  // Scratch space owned by Lua, so an error below leaks nothing.
  double* xy = static_cast<double*>(lua_newuserdata(L, sizeof(double) * (n > 0 ? n : 1)));
  for (size_t i = 0; i < n; ++i) {
    lua_rawgeti(L, 1, int(i + 1));
    xy[i] = lua_tonumber(L, -1);  // anything but a number reads as 0
    lua_pop(L, 1);
  }
  GfxStatus st = DrawShapeTable(kind, xy, int(n), colour);
  ClearStack(L);
  CheckShape(L, st, name);
  return 0;
}

int ShapePointList(lua_State* L) { return Table(L, ShapeTable::PointList); }
int ShapeLineList(lua_State* L) { return Table(L, ShapeTable::LineList); }
int ShapeLineStrip(lua_State* L) { return Table(L, ShapeTable::LineStrip); }
int ShapeTriangleList(lua_State* L) { return Table(L, ShapeTable::TriangleList); }
int ShapeTriangleStrip(lua_State* L) { return Table(L, ShapeTable::TriangleStrip); }
int ShapeTriangleFan(lua_State* L) { return Table(L, ShapeTable::TriangleFan); }

int ShapeBezier(lua_State* L) {
  double q[8];
  for (int i = 0; i < 8; ++i) q[i] = luaL_checknumber(L, i + 1);
  int segments = CheckInt(L, 9);
  uint32_t colour = CheckColor(L, 10);
  ClearStack(L);
  CheckShape(L, DrawBezierCurve(q, segments, colour), "linestrip");
  return 0;
}

}  // namespace

int TextureDrawBezierMesh(lua_State* L) {
  UTexture* t = CheckRecord<UTexture>(L, 1, "texture");
  BezierPatch patch;
  for (int k = 0; k < 4; ++k)
    for (int c = 0; c < 2; ++c) patch.p[k][c] = luaL_checknumber(L, 2 + 2 * k + c);
  for (int k = 0; k < 8; ++k)
    for (int c = 0; c < 2; ++c) patch.c[k][c] = luaL_checknumber(L, 10 + 2 * k + c);
  CheckInt(L, 26);  // checked, then unused
  int n = CheckInt(L, 27);
  bool wire = lua_type(L, 28) == LUA_TBOOLEAN && lua_toboolean(L, 28);
  ClearStack(L);
  CheckShape(L, DrawBezierMesh(t, patch, n, wire), "linestrip");
  return 0;
}

const luaL_Reg kShapeFuncs[] = {
    {"point", ShapePoint},
    {"line", ShapeLine},
    {"triangle", ShapeTriangle},
    {"pointlist", ShapePointList},
    {"linelist", ShapeLineList},
    {"linestrip", ShapeLineStrip},
    {"trianglelist", ShapeTriangleList},
    {"trianglestrip", ShapeTriangleStrip},
    {"trianglefan", ShapeTriangleFan},
    {"bezier", ShapeBezier},
    {nullptr, nullptr},
};

}  // namespace qor
