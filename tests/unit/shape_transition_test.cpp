// Shapes, Bezier meshes and transitions in the graphics core, through a
// device that records every primitive submitted: the primitive counts, the
// mesh grid and its texture coordinates, the rule-image wipe's arithmetic
// against a plain reference, and the work texture's life. Messages, the
// stretched-mode refusal and the pictures are the scenario games' part.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "graphics/screen.h"
#include "graphics/shape.h"
#include "graphics/transition.h"
#include "texture_fake_device.h"

using namespace qor;

namespace {

struct Submitted {
  PrimitiveType type;
  std::vector<Vertex> v;
};

class CountingDevice : public test::FakeDevice {
 public:
  std::vector<Submitted> draws;

 protected:
  void Submit(PrimitiveType type, const Vertex* v, int count) override {
    draws.push_back({type, std::vector<Vertex>(v, v + count)});
    FakeDevice::Submit(type, v, count);
  }
};

class Shapes : public ::testing::Test {
 protected:
  CountingDevice* dev = nullptr;
  void SetUp() override {
    auto d = std::make_unique<CountingDevice>();
    dev = d.get();
    UseScreenDevice(std::move(d), 64, 48);
    dev->BeginScene();
  }
  void TearDown() override { UseScreenDevice(nullptr, 0, 0); }
};

// Refused counts and their messages are the transition_shape_messages scenario's part.
TEST_F(Shapes, TableFormsSubmitOneVertexPerPair) {
  const struct {
    ShapeTable kind;
    int values, primitives;
  } cases[] = {
      {ShapeTable::PointList, 6, 3},     {ShapeTable::LineList, 8, 2},      {ShapeTable::LineStrip, 4, 1},
      {ShapeTable::TriangleList, 12, 2}, {ShapeTable::TriangleStrip, 10, 3}, {ShapeTable::TriangleFan, 6, 1},
  };
  double xy[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  for (const auto& c : cases) {
    EXPECT_EQ(ShapeTablePrimitives(c.kind, c.values), c.primitives);
    dev->draws.clear();
    ASSERT_EQ(DrawShapeTable(c.kind, xy, c.values, 0x80112233), GfxStatus::Ok);
    ASSERT_EQ(dev->draws.size(), 1u);
    EXPECT_EQ(dev->draws[0].type, ShapeTableType(c.kind));
    EXPECT_EQ(int(dev->draws[0].v.size()), c.values / 2);
  }
  dev->draws.clear();  // an empty table draws nothing
  EXPECT_EQ(DrawShapeTable(ShapeTable::TriangleList, xy, 0, 0), GfxStatus::Ok);
  EXPECT_TRUE(dev->draws.empty());
}

// Where the points of curves and meshes land is the "shapes" golden frame's part.
TEST_F(Shapes, BezierCurvesAreStripsThroughEvenSteps) {
  const double q[8] = {0, 0, 0, 10, 10, 10, 10, 0};
  ASSERT_EQ(DrawBezierCurve(q, 4, 0xFFFFFFFF), GfxStatus::Ok);
  ASSERT_EQ(dev->draws.size(), 1u);
  EXPECT_EQ(dev->draws[0].type, PT_LINESTRIP);
  EXPECT_EQ(dev->draws[0].v.size(), 5u);  // 4 lines
}

BezierPatch Square() {
  const double a = 100.0 / 3, b = 200.0 / 3;
  return BezierPatch{{{0, 0}, {100, 0}, {100, 100}, {0, 100}},
                     {{a, 0}, {b, 0}, {100, a}, {100, b}, {b, 100}, {a, 100}, {0, b}, {0, a}}};
}

TEST_F(Shapes, MeshTextureCoordinatesSpanTheAllocatedTexture) {
  const int n = 5;
  // Texture coordinates run over the allocated size (here 128 x 64 for 100 x 50).
  dev->powerOfTwo = true;
  UTexture t{};
  ASSERT_TRUE(CreateTexture(&t, 100, 50).ok());
  ASSERT_EQ(DrawBezierMesh(&t, Square(), n, false), GfxStatus::Ok);
  ASSERT_EQ(dev->draws.size(), 1u);
  const std::vector<Vertex>& v = dev->draws[0].v;
  ASSERT_EQ(v.size(), size_t(6 * n * n));  // 2n^2 triangles
  EXPECT_EQ(v.back().u, float(double(n - 1) / n));  // the last triangle ends at G(n, n - 1)
  EXPECT_EQ(v.back().v, 1.0f);  // 1, not 50 / 64: the allocated texture
  TextureRelease(&t);
}

TEST_F(Shapes, MeshWireOverlayDrawsPointsCurvesAndControlLines) {
  UTexture t{};
  ASSERT_TRUE(CreateTexture(&t, 8, 8).ok());
  ASSERT_EQ(DrawBezierMesh(&t, Square(), 1, true), GfxStatus::Ok);
  const auto& d = dev->draws;
  ASSERT_EQ(d.size(), 7u);
  EXPECT_EQ(d[0].type, PT_TRIANGLELIST);
  EXPECT_EQ(d[0].v.size(), 6u);
  EXPECT_EQ(d[1].type, PT_POINTLIST);
  EXPECT_EQ(d[1].v.size(), 4u);
  EXPECT_EQ(d[1].v[0].diffuse, 0xFF00FFFFu);
  for (int k = 2; k < 6; ++k) EXPECT_TRUE(d[k].type == PT_LINESTRIP && d[k].v.size() == 2u && d[k].v[0].diffuse == 0xFFFF88FFu);
  EXPECT_EQ(d[6].type, PT_LINELIST);
  EXPECT_EQ(d[6].v.size(), 16u);  // 8 lines
  EXPECT_EQ(d[6].v[0].diffuse, 0xFFFFFF88u);
  TextureRelease(&t);
}

// The wipe's per-pixel rule, written out plainly.
uint8_t Reference(int f, int t, int r, int T, int vague) {
  int d = T - r;
  if (d <= 0) return uint8_t(f);
  if (d > vague) return uint8_t(t);
  return uint8_t(f + (t - f) * d / vague);
}

TEST(Universal, PassMatchesThePlainRuleForEveryVagueAndTilesTheRule) {
  constexpr int W = 37, H = 9, RW = 5, RH = 4;
  std::mt19937 rng(7);
  std::vector<uint8_t> from(W * H * 4 + 12), to(W * H * 4 + 8), rule(RW * RH * 4), out(W * H * 4 + 4);
  for (auto& b : from) b = uint8_t(rng());
  for (auto& b : to) b = uint8_t(rng());
  for (auto& b : rule) b = uint8_t(rng());
  rule[0] = 0;
  for (int vague = 0; vague <= 255; vague += (vague < 70 ? 1 : 37)) {
    for (int T : {0, 51, 200, 300, 509}) {
      // Rows of different pitches, so a pitch mix-up shows.
      UniversalPass(out.data(), W * 4 + 4, from.data(), W * 4 + 12, to.data(), W * 4 + 8, rule.data(), RW, RH, W,
                    H - 1, T, vague);
      for (int y = 0; y < H - 1; ++y)
        for (int x = 0; x < W; ++x) {
          const uint8_t* o = &out[y * (W * 4 + 4) + x * 4];
          const int r = rule[((y % RH) * RW + x % RW) * 4];
          for (int c = 0; c < 3; ++c)
            ASSERT_EQ(o[c], Reference(from[y * (W * 4 + 12) + x * 4 + c], to[y * (W * 4 + 8) + x * 4 + c], r, T, vague))
                << "vague " << vague << " T " << T << " at " << x << "," << y;
          ASSERT_EQ(o[3], 255);
        }
    }
  }
}

// The size checks are the transition_shape_messages scenario's part.
TEST_F(Shapes, TransitionsTakeTheirShortcutsAndMakeTheWorkTextureOnce) {
  UTexture from{}, to{};
  ASSERT_TRUE(CreateTexture(&from, 64, 48).ok());
  ASSERT_TRUE(CreateTexture(&to, 64, 48).ok());
  UBitmap rule{};
  ASSERT_TRUE(BitmapCreate(&rule, 64, 64));

  // slideright: only `from` at 0, only `to` (at 0) at 1.
  ASSERT_EQ(DrawTransition(TransitionKind::SlideRight, &from, &to, 0), GfxStatus::Ok);
  ASSERT_EQ(DrawTransition(TransitionKind::SlideRight, &from, &to, 1), GfxStatus::Ok);
  ASSERT_EQ(dev->draws.size(), 2u);
  EXPECT_EQ(dev->draws[1].v[0].x, -0.5f);

  // The work texture is made once, on the first wipe, whatever t is.
  const int before = dev->textures;
  for (double t : {0.0, 0.5, 1.0, 0.7}) ASSERT_TRUE(DrawUniversalTransition(&from, &to, t, &rule, 64).ok());
  EXPECT_EQ(dev->textures, before + 1);
  ReleaseTransitionWork();
  EXPECT_EQ(dev->textures, before);
  ASSERT_TRUE(DrawUniversalTransition(&from, &to, 0.5, &rule, 64).ok());
  EXPECT_EQ(dev->textures, before + 1);  // made again; the device change in TearDown releases it
  TextureRelease(&from);
  TextureRelease(&to);
  BitmapRelease(&rule);
}

}  // namespace
