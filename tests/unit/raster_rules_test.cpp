// The point and line pixel rules both devices draw with: clipping to the
// target, joints of strips, boundary ties and colour rounding.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "graphics/raster_rules.h"

using namespace qor;
using namespace qor::raster;

namespace {

Vertex At(float x, float y, uint32_t colour = 0xFFFFFFFFu) { return Vertex{x, y, 0, 1, colour, 0, 0}; }

struct Lit {
  int x, y;
  double f;
};

std::vector<Lit> Line(const Vertex& a, const Vertex& b, int w, int h) {
  std::vector<Lit> out;
  ForEachLinePixel(a, b, w, h, [&](int x, int y, double f) { out.push_back({x, y, f}); });
  return out;
}

TEST(RasterRules, ClippingOnlyDropsStepsOffTheTarget) {
  // A small target must see exactly those pixels of a very large one whose
  // major coordinate lies on it, with the same cross coordinate and factor.
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> pos(-20.f, 40.f);
  for (int i = 0; i < 2000; ++i) {
    const Vertex a = At(pos(rng), pos(rng)), b = At(pos(rng), pos(rng));
    int64_t x0, y0, x1, y1;
    ASSERT_TRUE(Snap(a.x, &x0) && Snap(a.y, &y0) && Snap(b.x, &x1) && Snap(b.y, &y1));
    const bool xMajor = std::llabs(x1 - x0) >= std::llabs(y1 - y0);
    std::vector<Lit> want;
    for (const Lit& p : Line(a, b, 1 << 22, 1 << 22))
      if ((xMajor ? p.x : p.y) < 16) want.push_back(p);
    const std::vector<Lit> got = Line(a, b, 16, 16);
    ASSERT_EQ(got.size(), want.size()) << i;
    for (size_t k = 0; k < got.size(); ++k) {
      EXPECT_EQ(got[k].x, want[k].x) << i;
      EXPECT_EQ(got[k].y, want[k].y) << i;
      EXPECT_EQ(got[k].f, want[k].f) << i;
    }
  }
}

TEST(RasterRules, StripSegmentsMeetWithoutDrawingJointsTwice) {
  const Vertex pts[] = {At(0, 0), At(10, 0), At(10, 7), At(2.3f, 3.6f), At(2.3f, 9.8f)};
  std::set<std::pair<int, int>> seen;
  for (int s = 0; s + 1 < 5; ++s) {
    for (const Lit& p : Line(pts[s], pts[s + 1], 64, 64))
      EXPECT_TRUE(seen.insert({p.x, p.y}).second) << "pixel " << p.x << "," << p.y << " again in segment " << s;
  }
  EXPECT_EQ(seen.count({0, 0}), 1u);    // the start pixel is drawn
  EXPECT_EQ(seen.count({10, 0}), 1u);   // a joint, by the second segment
  EXPECT_EQ(seen.count({2, 10}), 0u);   // the end pixel is left out
  EXPECT_TRUE(Line(At(3, 3), At(3.001f, 3), 64, 64).empty());  // shorter than a 1/256 step
}

TEST(RasterRules, PointsLightThePixelCentredWithinHalfAPixelTiesLeftAndUp) {
  int x = -1, y = -1;
  ASSERT_TRUE(PointPixel(At(10.5f, 3), &x, &y));  // centres 10 and 11 both 0.5 away: the left one
  EXPECT_EQ(x, 10);
  ASSERT_TRUE(PointPixel(At(0.4981f, -0.51f), &x, &y));  // x snaps up to .5
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, -1);
  EXPECT_FALSE(PointPixel(At(std::numeric_limits<float>::quiet_NaN(), 0), &x, &y));
  ASSERT_TRUE(PointPixel(At(1e30f, -1e30f), &x, &y));  // clamped, not overflowed
  EXPECT_EQ(x, 1 << 20);
  EXPECT_EQ(y, -(1 << 20));
}

TEST(RasterRules, LineColoursRoundToNearestPerChannel) {
  EXPECT_EQ(LerpDiffuse(0x00000000u, 0xFFFFFFFFu, 0.5), 0x80808080u);  // 127.5 rounds up
  EXPECT_EQ(LerpDiffuse(0xFF0000FFu, 0x00FF0001u, 0.25), 0xBF4000C0u);
  EXPECT_EQ(RoundChannel(-3.0), 0);
  EXPECT_EQ(RoundChannel(300.0), 255);
}

}  // namespace
