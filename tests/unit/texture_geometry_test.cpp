// Texture quads, movie names and bitmap compositing: the pure parts of textures.
#include <gtest/gtest.h>

#include <cmath>

#include "graphics/texture.h"

using namespace qor;

namespace {

void ExpectCorner(const Vertex& v, float x, float y, float u, float tv) {
  EXPECT_FLOAT_EQ(v.x, x);
  EXPECT_FLOAT_EQ(v.y, y);
  EXPECT_FLOAT_EQ(v.u, u);
  EXPECT_FLOAT_EQ(v.v, tv);
  EXPECT_EQ(v.z, 0.0f);
  EXPECT_EQ(v.rhw, 1.0f);
}

}  // namespace

TEST(TextureQuad, WholeTextureMapsLogicalSizeAgainstAllocatedSize) {
  // A 100 x 60 texture stored as 128 x 64.
  Vertex v[4];
  ASSERT_TRUE(BuildRectQuad(128, 64, 10, 20, 100, 60, 0, 0, 255, v));
  ExpectCorner(v[0], 9.5f, 19.5f, 0, 0);
  ExpectCorner(v[1], 109.5f, 19.5f, 100.0f / 128, 0);
  ExpectCorner(v[2], 9.5f, 79.5f, 0, 60.0f / 64);
  ExpectCorner(v[3], 109.5f, 79.5f, 100.0f / 128, 60.0f / 64);
}

TEST(TextureQuad, NegativeSourceMovesPictureAndDropsColumns) {
  Vertex v[4];
  ASSERT_TRUE(BuildRectQuad(64, 64, 0, 0, 32, 32, -10, -4, 255, v));
  ExpectCorner(v[0], 9.5f, 3.5f, 0, 0);
  ExpectCorner(v[3], 9.5f + 22, 3.5f + 28, 22.0f / 64, 28.0f / 64);
}

TEST(TextureQuad, SourceIsCutAtAllocatedEdge) {
  Vertex v[4];
  ASSERT_TRUE(BuildRectQuad(64, 32, 0, 0, 100, 100, 40, 8, 255, v));
  ExpectCorner(v[3], -0.5f + 24, -0.5f + 24, 1.0f, 1.0f);
  // Empty after clipping: nothing; exactly zero still draws a degenerate quad.
  EXPECT_FALSE(BuildRectQuad(64, 32, 0, 0, 5, 5, -6, 0, 255, v));
  EXPECT_FALSE(BuildRectQuad(64, 32, 0, 0, 5, 5, 70, 0, 255, v));
  EXPECT_TRUE(BuildRectQuad(64, 32, 0, 0, 5, 5, -5, 0, 255, v));
  EXPECT_FLOAT_EQ(v[0].x, v[1].x);
}

TEST(TextureQuad, OnePixelDimensionsUseZeroCoordinates) {
  Vertex v[4];
  ASSERT_TRUE(BuildRectQuad(1, 1, 0, 0, 1, 1, 0, 0, 255, v));
  for (const Vertex& c : v) {
    EXPECT_EQ(c.u, 0.0f);
    EXPECT_EQ(c.v, 0.0f);
  }
}

TEST(TextureQuad, VertexColourKeepsOnlyLowAlphaBits) {
  EXPECT_EQ(TextureVertexColor(255), 0xFFFFFFFFu);
  EXPECT_EQ(TextureVertexColor(256), 0x00FFFFFFu);
  EXPECT_EQ(TextureVertexColor(-1), 0xFFFFFFFFu);
  EXPECT_EQ(TextureVertexColor(128), 0x80FFFFFFu);
  Vertex v[4];
  ASSERT_TRUE(BuildRectQuad(8, 8, 0, 0, 8, 8, 0, 0, 0x1234, v));
  for (const Vertex& c : v) EXPECT_EQ(c.diffuse, 0x34FFFFFFu);
}

TEST(TextureQuadTransformed, ExactIdentityTakesUntransformedPathWithIntegerHalves) {
  Vertex v[4];
  ASSERT_EQ(BuildTransformedQuad(64, 64, 100, 100, 0, 0, 31, 31, 1, 1, 0, 255, v), QuadResult::Draw);
  ExpectCorner(v[0], 84.5f, 84.5f, 0, 0);
  ExpectCorner(v[3], 115.5f, 115.5f, 31.0f / 64, 31.0f / 64);
  // Negative source is clipped there, not refused.
  EXPECT_EQ(BuildTransformedQuad(64, 64, 100, 100, -3, 0, 31, 31, 1, 1, 0, 255, v), QuadResult::Draw);
  EXPECT_FLOAT_EQ(v[0].x, 87.5f);
  // Halves truncate toward zero for negative sizes as well.
  EXPECT_EQ(BuildTransformedQuad(64, 64, 100, 100, 0, 0, -3, 4, 1, 1, 0, 255, v), QuadResult::Nothing);
}

TEST(TextureQuadTransformed, AnyScaleTakesTransformedPath) {
  Vertex v[4];
  ASSERT_EQ(BuildTransformedQuad(64, 64, 100, 100, 0, 0, 31, 31, 1.0000001, 1, 0, 255, v), QuadResult::Draw);
  EXPECT_NEAR(v[0].x, 84.0f, 1e-4);
  EXPECT_NEAR(v[0].y, 84.0f, 1e-4);
  EXPECT_NEAR(v[3].x, 115.0f, 1e-4);
  EXPECT_EQ(BuildTransformedQuad(64, 64, 100, 100, -1, 0, 31, 31, 2, 2, 0, 255, v), QuadResult::BadSource);
  EXPECT_EQ(BuildTransformedQuad(64, 64, 100, 100, 0, -1, 31, 31, 1, 1, 0.5, 255, v), QuadResult::BadSource);
  EXPECT_EQ(BuildTransformedQuad(64, 64, 100, 100, 70, 0, 31, 31, 2, 2, 0, 255, v), QuadResult::Nothing);
}

TEST(TextureQuadTransformed, RotationTurnsClockwiseInCornerOrder) {
  Vertex v[4];
  // 10 x 20 source, scale 2 x 1, quarter turn: the top-left corner (-5,-10)
  // scaled to (-10,-10) turns to (10,-10) around (49.5, 49.5).
  ASSERT_EQ(BuildTransformedQuad(64, 64, 50, 50, 0, 0, 10, 20, 2, 1, M_PI / 2, 255, v), QuadResult::Draw);
  EXPECT_NEAR(v[0].x, 59.5f, 1e-4);
  EXPECT_NEAR(v[0].y, 39.5f, 1e-4);
  EXPECT_NEAR(v[1].x, 59.5f, 1e-4);  // top-right (10,-10) -> (10,10)
  EXPECT_NEAR(v[1].y, 59.5f, 1e-4);
  EXPECT_NEAR(v[2].x, 39.5f, 1e-4);  // bottom-left (-10,10) -> (-10,-10)
  EXPECT_NEAR(v[2].y, 39.5f, 1e-4);
  EXPECT_FLOAT_EQ(v[1].u, 10.0f / 64);
  EXPECT_FLOAT_EQ(v[2].v, 20.0f / 64);
}

TEST(MovieName, PrefixesSelectLoopAndAlpha) {
  MovieName m;
  ASSERT_EQ(ParseMovieName(":movie(op.mpg)", &m), MovieNameKind::Movie);
  EXPECT_EQ(m.file, "op.mpg");
  EXPECT_EQ(m.volume, 0);
  EXPECT_FALSE(m.loop);
  EXPECT_FALSE(m.alpha);
  EXPECT_FALSE(m.hasAlphaPack);

  ASSERT_EQ(ParseMovieName(":movieloop(op.mpg,-500)", &m), MovieNameKind::Movie);
  EXPECT_EQ(m.file, "op.mpg");
  EXPECT_EQ(m.volume, -500);
  EXPECT_TRUE(m.loop);
  EXPECT_FALSE(m.alpha);

  ASSERT_EQ(ParseMovieName(":moviealpha(a.mpg|b.dat)", &m), MovieNameKind::Movie);
  EXPECT_EQ(m.file, "a.mpg");
  EXPECT_TRUE(m.hasAlphaPack);
  EXPECT_EQ(m.alphaPack, "b.dat");
  EXPECT_TRUE(m.alpha);
  EXPECT_FALSE(m.loop);

  ASSERT_EQ(ParseMovieName(":movieloopalpha(a.mpg|b.dat,-20)", &m), MovieNameKind::Movie);
  EXPECT_EQ(m.file, "a.mpg");
  EXPECT_EQ(m.alphaPack, "b.dat");
  EXPECT_EQ(m.volume, -20);
  EXPECT_TRUE(m.loop);
  EXPECT_TRUE(m.alpha);
}

TEST(MovieName, MalformedAndOrdinaryNames) {
  MovieName m;
  EXPECT_EQ(ParseMovieName(":movie(op.mpg", &m), MovieNameKind::Malformed);
  EXPECT_EQ(ParseMovieName(":movieloop(", &m), MovieNameKind::Malformed);
  EXPECT_EQ(ParseMovieName("title.png", &m), MovieNameKind::NotMovie);
  EXPECT_EQ(ParseMovieName(":MOVIE(op.mpg)", &m), MovieNameKind::NotMovie);  // case-sensitive
  EXPECT_EQ(ParseMovieName(":movi", &m), MovieNameKind::NotMovie);
}

TEST(MovieName, VolumeReadLikeAtoiAndFileLimited) {
  MovieName m;
  ASSERT_EQ(ParseMovieName(":movie(a.mpg, 12x)", &m), MovieNameKind::Movie);
  EXPECT_EQ(m.volume, 12);
  ASSERT_EQ(ParseMovieName(":movie(a.mpg,loud)", &m), MovieNameKind::Movie);
  EXPECT_EQ(m.volume, 0);
  ASSERT_EQ(ParseMovieName(":movie(a.mpg,-99999999999999999999)", &m), MovieNameKind::Movie);
  EXPECT_EQ(m.volume, INT32_MIN);
  std::string longName = ":movie(" + std::string(300, 'x') + ".mpg)";
  ASSERT_EQ(ParseMovieName(longName.c_str(), &m), MovieNameKind::Movie);
  EXPECT_EQ(m.file.size(), 255u);
}

TEST(CompositeRow, BlendModeFollowsSourceAlpha) {
  // dst pixels B,G,R,A; src pixels with alpha 0, 255 and 128.
  uint8_t dst[12] = {10, 20, 30, 200, 10, 20, 30, 40, 200, 100, 0, 90};
  const uint8_t src[12] = {250, 250, 250, 0, 1, 2, 3, 255, 0, 255, 101, 128};
  CompositeRow(dst, src, 3, 0);
  const uint8_t want[12] = {10, 20, 30, 200,  // alpha 0: unchanged, alpha kept
                            1, 2, 3, 255,     // alpha 255: colour copied
                            // 200 + trunc(-200*128/255) = 200 - 100; 100 + trunc(155*128/255) = 177;
                            // 0 + trunc(101*128/255) = 50; alpha max(90,128)
                            100, 177, 50, 128};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(dst[i], want[i]) << i;
}

TEST(CompositeRow, AddSaturatesCopyCopiesOthersDoNothing) {
  uint8_t dst[8] = {250, 10, 0, 200, 1, 2, 3, 4};
  const uint8_t src[8] = {100, 100, 255, 100, 9, 8, 7, 6};
  uint8_t d1[8];
  memcpy(d1, dst, 8);
  CompositeRow(d1, src, 2, 1);
  // 250 + 100*100/255 (39) saturates; 10 + 39; 0 + 255*100/255; alpha never drops.
  const uint8_t want1[8] = {255, 49, 100, 200, 1, 2, 3, 6};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(d1[i], want1[i]) << i;
  uint8_t d2[8];
  memcpy(d2, dst, 8);
  CompositeRow(d2, src, 2, 2);
  EXPECT_EQ(memcmp(d2, src, 8), 0);
  uint8_t d3[8];
  memcpy(d3, dst, 8);
  CompositeRow(d3, src, 2, 3);
  CompositeRow(d3, src, 2, -1);
  EXPECT_EQ(memcmp(d3, dst, 8), 0);
}
