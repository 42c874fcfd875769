// The pure rules of textures: movie names and bitmap compositing. (Quads are
// checked pixel by pixel on both devices in texture_draw_test.cpp.)
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "graphics/texture.h"

using namespace qor;

TEST(MovieName, PrefixesVolumeAndMalformedNames) {
  struct Case {
    const char* name;
    MovieNameKind kind;
    const char* file;
    int volume;
    bool loop, alpha;
    const char* pack;  // nullptr: no alpha pack
  } cases[] = {
      {":movie(op.mpg)", MovieNameKind::Movie, "op.mpg", 0, false, false, nullptr},
      {":movieloop(op.mpg,-500)", MovieNameKind::Movie, "op.mpg", -500, true, false, nullptr},
      {":moviealpha(a.mpg|b.dat)", MovieNameKind::Movie, "a.mpg", 0, false, true, "b.dat"},
      {":movieloopalpha(a.mpg|b.dat,-20)", MovieNameKind::Movie, "a.mpg", -20, true, true, "b.dat"},
      {":movie(a.mpg, 12x)", MovieNameKind::Movie, "a.mpg", 12, false, false, nullptr},  // read like atoi
      {":movie(a.mpg,loud)", MovieNameKind::Movie, "a.mpg", 0, false, false, nullptr},
      {":movie(a.mpg,-99999999999999999999)", MovieNameKind::Movie, "a.mpg", INT32_MIN, false, false, nullptr},
      {":movie(op.mpg", MovieNameKind::Malformed, "", 0, false, false, nullptr},
      {":movieloop(", MovieNameKind::Malformed, "", 0, false, false, nullptr},
      {"title.png", MovieNameKind::NotMovie, "", 0, false, false, nullptr},
      {":MOVIE(op.mpg)", MovieNameKind::NotMovie, "", 0, false, false, nullptr},  // case-sensitive
      {":movi", MovieNameKind::NotMovie, "", 0, false, false, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MovieName m;
    ASSERT_EQ(ParseMovieName(c.name, &m), c.kind);
    if (c.kind != MovieNameKind::Movie) continue;
    EXPECT_EQ(m.file, c.file);
    EXPECT_EQ(m.volume, c.volume);
    EXPECT_EQ(m.loop, c.loop);
    EXPECT_EQ(m.alpha, c.alpha);
    EXPECT_EQ(m.hasAlphaPack, c.pack != nullptr);
    if (c.pack) {
      EXPECT_EQ(m.alphaPack, c.pack);
    }
  }
  MovieName m;
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
