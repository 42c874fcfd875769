// The pure rules of textures: movie names and bitmap compositing. (Quads are
// checked pixel by pixel on both devices in texture_draw_test.cpp.)
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "graphics/texture.h"

using namespace qor;

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

TEST(CompositeRow, BlendAddCopyAndUnknownModes) {
  // Blend: dst pixels B,G,R,A; src pixels with alpha 0, 255 and 128.
  uint8_t dst[12] = {10, 20, 30, 200, 10, 20, 30, 40, 200, 100, 0, 90};
  const uint8_t src[12] = {250, 250, 250, 0, 1, 2, 3, 255, 0, 255, 101, 128};
  CompositeRow(dst, src, 3, 0);
  const uint8_t want[12] = {10, 20, 30, 200,  // alpha 0: unchanged, alpha kept
                            1, 2, 3, 255,     // alpha 255: colour copied
                            // 200 + trunc(-200*128/255) = 200 - 100; 100 + trunc(155*128/255) = 177;
                            // 0 + trunc(101*128/255) = 50; alpha max(90,128)
                            100, 177, 50, 128};
  EXPECT_EQ(memcmp(dst, want, 12), 0);
  // Add: 250 + 100*100/255 (39) saturates; 10 + 39; 0 + 255*100/255; alpha never drops.
  const uint8_t base[8] = {250, 10, 0, 200, 1, 2, 3, 4};
  const uint8_t add[8] = {100, 100, 255, 100, 9, 8, 7, 6};
  uint8_t d[8];
  memcpy(d, base, 8);
  CompositeRow(d, add, 2, 1);
  const uint8_t wantAdd[8] = {255, 49, 100, 200, 1, 2, 3, 6};
  EXPECT_EQ(memcmp(d, wantAdd, 8), 0);
  memcpy(d, base, 8);
  CompositeRow(d, add, 2, 2);
  EXPECT_EQ(memcmp(d, add, 8), 0);
  memcpy(d, base, 8);
  CompositeRow(d, add, 2, 3);
  CompositeRow(d, add, 2, -1);
  EXPECT_EQ(memcmp(d, base, 8), 0);
}
