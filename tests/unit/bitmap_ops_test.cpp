// Bitmap storage and editing algorithms: clamps, shapes of the re-created
// images, gradient weights, negative and tone.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "image/bitmap.h"
#include "image/bitmap_ops.h"

using namespace qor;

namespace {

struct Bmp {
  UBitmap b{};
  Bmp() = default;
  Bmp(int w, int h) { EXPECT_TRUE(BitmapCreate(&b, w, h)); }
  ~Bmp() { BitmapRelease(&b); }
  uint32_t At(int x, int y) const {
    uint32_t v;
    memcpy(&v, b.pixels + (size_t(y) * b.width + x) * 4, 4);
    return v;
  }
  void Set(int x, int y, uint32_t v) { memcpy(b.pixels + (size_t(y) * b.width + x) * 4, &v, 4); }
  // Pixel (x, y) = a value that names its position.
  void Number() {
    for (int y = 0; y < b.height; ++y)
      for (int x = 0; x < b.width; ++x) Set(x, y, 0x01000000u * (y + 1) + uint32_t(x + 1));
  }
  std::vector<uint32_t> Row(int y) const {
    std::vector<uint32_t> r;
    for (int x = 0; x < b.width; ++x) r.push_back(At(x, y));
    return r;
  }
};

using V = std::vector<uint32_t>;

}  // namespace

TEST(BitmapStore, CreateReleaseAndCopy) {
  Bmp m(2, 2);
  EXPECT_EQ(m.At(1, 1), 0u);
  BitmapRelease(&m.b);
  BitmapRelease(&m.b);  // twice is harmless
  EXPECT_TRUE(BitmapEmpty(&m.b));
  EXPECT_EQ(m.b.dc, nullptr);
  EXPECT_EQ(m.b.width, 2);  // the last size stays readable
  EXPECT_FALSE(BitmapCreate(&m.b, 1 << 20, 1 << 20));  // far past the size limit
  // CopyFrom re-creates the destination at the source's size; an empty source is refused.
  Bmp src(3, 2), dst(1, 1);
  src.Number();
  EXPECT_TRUE(BitmapCopyFrom(&dst.b, &src.b));
  EXPECT_EQ(dst.b.width, 3);
  EXPECT_EQ(dst.Row(1), src.Row(1));
  EXPECT_FALSE(BitmapCopyFrom(&dst.b, &m.b));
}

TEST(BitmapOps, FillRectClampsOnlyTheOuterEdges) {
  Bmp m(10, 3);
  BitmapFillRect(&m.b, 7, -5, 1, 100, 1);
  EXPECT_EQ(m.Row(0), V(10, 0));
  EXPECT_EQ(m.Row(1), V(10, 7));
  EXPECT_EQ(m.Row(2), V(10, 0));
  BitmapFillRect(&m.b, 9, 20, 0, 30, 2);  // starts right of the image: nothing
  BitmapFillRect(&m.b, 9, 4, 2, 3, 2);    // inverted: nothing
  BitmapFillRect(&m.b, 9, 0, 2, 0, -1);   // bottom above the top: nothing
  EXPECT_EQ(m.Row(2), V(10, 0));
  BitmapFillRect(&m.b, 9, 9, 2, 9, 2);  // a single pixel
  EXPECT_EQ(m.At(9, 2), 9u);
  EXPECT_EQ(m.At(8, 2), 0u);
  Bmp empty;
  BitmapFillRect(&empty.b, 1, 0, 0, 5, 5);
  BitmapFill(&empty.b, 1);
}

TEST(BitmapOps, ReverseMirrorsAndFlips) {
  Bmp m(3, 3);
  m.Number();
  Bmp orig(3, 3);
  orig.Number();
  ASSERT_EQ(BitmapReverse(&m.b, true, false), BitmapResult::Ok);
  EXPECT_EQ(m.At(0, 1), orig.At(2, 1));
  EXPECT_EQ(m.At(1, 1), orig.At(1, 1));
  ASSERT_EQ(BitmapReverse(&m.b, true, true), BitmapResult::Ok);  // undo the mirror, then flip
  for (int y = 0; y < 3; ++y) EXPECT_EQ(m.Row(y), orig.Row(2 - y));
  Bmp even(2, 4);
  even.Number();
  ASSERT_EQ(BitmapReverse(&even.b, false, true), BitmapResult::Ok);
  EXPECT_EQ(even.At(1, 0), 0x04000002u);
  EXPECT_EQ(even.At(0, 3), 0x01000001u);
  Bmp empty;
  EXPECT_EQ(BitmapReverse(&empty.b, false, false), BitmapResult::Ok);
  EXPECT_EQ(BitmapReverse(&empty.b, true, false), BitmapResult::Empty);
}

TEST(BitmapOps, ResizeNearestNeighbour) {
  Bmp m(2, 1);
  m.Set(0, 0, 0xAAu);
  m.Set(1, 0, 0xBBu);
  uint8_t* before = m.b.pixels;
  ASSERT_EQ(BitmapResize(&m.b, 2, 1), BitmapResult::Ok);
  EXPECT_EQ(m.b.pixels, before);  // the same size keeps the very same block
  ASSERT_EQ(BitmapResize(&m.b, 4, 2), BitmapResult::Ok);
  EXPECT_EQ(m.Row(0), (V{0xAA, 0xAA, 0xBB, 0xBB}));
  EXPECT_EQ(m.Row(1), m.Row(0));
  EXPECT_EQ(m.b.view.pitch, 16);
  EXPECT_EQ(m.b.view.pixels, m.b.pixels);

  Bmp big(5, 7);
  big.Number();
  ASSERT_EQ(BitmapResize(&big.b, 3, 2), BitmapResult::Ok);  // floor(x * 5 / 3), floor(y * 7 / 2)
  EXPECT_EQ(big.Row(0), (V{0x01000001, 0x01000002, 0x01000004}));
  EXPECT_EQ(big.Row(1), (V{0x04000001, 0x04000002, 0x04000004}));
  EXPECT_EQ(BitmapResize(&big.b, 0, 2), BitmapResult::BadSize);
  EXPECT_EQ(big.b.width, 3);  // a refused size keeps the image
  Bmp empty;
  EXPECT_EQ(BitmapResize(&empty.b, 4, 4), BitmapResult::Empty);
}

TEST(BitmapOps, TrimClampsEveryCoordinate) {
  Bmp m(4, 4);
  m.Number();
  ASSERT_EQ(BitmapTrim(&m.b, -3, -3, 1, 1), BitmapResult::Ok);
  ASSERT_EQ(m.b.width, 2);
  ASSERT_EQ(m.b.height, 2);
  EXPECT_EQ(m.Row(1), (V{0x02000001, 0x02000002}));

  Bmp n(4, 4);
  n.Number();
  ASSERT_EQ(BitmapTrim(&n.b, 2, 1, 99, 1), BitmapResult::Ok);
  EXPECT_EQ(n.Row(0), (V{0x02000003, 0x02000004}));
  EXPECT_EQ(n.b.height, 1);
  EXPECT_EQ(BitmapTrim(&n.b, 1, 0, 0, 0), BitmapResult::BadSize);  // x2 < x1
  EXPECT_EQ(n.b.width, 2);
  Bmp empty;
  EXPECT_EQ(BitmapTrim(&empty.b, 0, 0, 1, 1), BitmapResult::Empty);
}

TEST(BitmapOps, JoinShapes) {
  Bmp a(2, 1), c(1, 3);
  a.Number();
  c.Number();
  ASSERT_EQ(BitmapJoin(&a.b, &c.b, true), BitmapResult::Ok);
  ASSERT_EQ(a.b.width, 3);
  ASSERT_EQ(a.b.height, 3);
  EXPECT_EQ(a.Row(0), (V{0x01000001, 0x01000002, 0x01000001}));
  EXPECT_EQ(a.Row(1), (V{0, 0, 0x02000001}));
  EXPECT_EQ(a.Row(2), (V{0, 0, 0x03000001}));

  Bmp d(1, 1), e(3, 1);
  d.Set(0, 0, 5);
  e.Number();
  ASSERT_EQ(BitmapJoin(&d.b, &e.b, false), BitmapResult::Ok);
  ASSERT_EQ(d.b.width, 3);
  ASSERT_EQ(d.b.height, 2);
  EXPECT_EQ(d.Row(0), (V{5, 0, 0}));
  EXPECT_EQ(d.Row(1), e.Row(0));

  // Joining with itself doubles the image; an empty side is refused.
  Bmp g(2, 1);
  g.Number();
  ASSERT_EQ(BitmapJoin(&g.b, &g.b, true), BitmapResult::Ok);
  EXPECT_EQ(g.Row(0), (V{0x01000001, 0x01000002, 0x01000001, 0x01000002}));
  ASSERT_EQ(BitmapJoin(&g.b, &g.b, false), BitmapResult::Ok);
  EXPECT_EQ(g.Row(1), g.Row(0));
  Bmp empty;
  EXPECT_EQ(BitmapJoin(&g.b, &empty.b, true), BitmapResult::Empty);
  EXPECT_EQ(BitmapJoin(&empty.b, &g.b, true), BitmapResult::Empty);
  EXPECT_EQ(g.b.width, 4);
}

TEST(BitmapOps, GradationWeights) {
  Bmp m(3, 1);
  BitmapGradation(&m.b, 0x00000000u, 0xFF0000FFu, true, false, false, 0);  // t = 0, 128, 256
  EXPECT_EQ(m.Row(0), (V{0x00000000, 0x80000080, 0xFF0000FF}));

  // Falling channel: c1 + (c2 - c1) * t / 255 truncates toward zero.
  BitmapGradation(&m.b, 0x000000FFu, 0x00000000u, true, false, false, 0);
  EXPECT_EQ(m.Row(0), (V{0xFF, 0x7F, 0x00}));

  Bmp d(3, 2);  // both: t = (x + y) * 256 / 3; neither: (2 - x + y) * 256 / 3
  BitmapGradation(&d.b, 0, 0xFF, true, true, false, 0);
  EXPECT_EQ(d.Row(0), (V{0, 85, 170}));
  EXPECT_EQ(d.Row(1), (V{85, 170, 255}));
  BitmapGradation(&d.b, 0, 0xFF, false, false, false, 0);
  EXPECT_EQ(d.Row(0), (V{170, 85, 0}));
  EXPECT_EQ(d.Row(1), (V{255, 170, 85}));
}

TEST(BitmapOps, GradationOnOnePixelUsesColourOne) {
  Bmp line(1, 4);
  BitmapGradation(&line.b, 0x11223344u, 0xFFFFFFFFu, true, false, false, 0);  // one column wide
  EXPECT_EQ(line.At(0, 3), 0x11223344u);
  for (int mode = 0; mode < 4; ++mode) {
    Bmp dot(1, 1);
    BitmapGradation(&dot.b, 0x11223344u, 0xFFFFFFFFu, mode & 1, mode & 2, false, 0);
    EXPECT_EQ(dot.At(0, 0), 0x11223344u) << mode;
  }
}

TEST(BitmapOps, GradationKeyPaintsOnlyExactMatches) {
  Bmp m(4, 1);
  m.Set(0, 0, 0xFF00FF00u);
  m.Set(1, 0, 0xFE00FF00u);  // differs only in alpha
  m.Set(2, 0, 0xFF00FF00u);
  m.Set(3, 0, 0x12345678u);
  BitmapGradation(&m.b, 0xFFFFFFFFu, 0xFFFFFFFFu, true, false, true, 0xFF00FF00u);
  EXPECT_EQ(m.Row(0), (V{0xFFFFFFFF, 0xFE00FF00, 0xFFFFFFFF, 0x12345678}));
  BitmapGradation(&m.b, 0, 0, true, true, true, 0x12345678u);
  EXPECT_EQ(m.At(3, 0), 0u);
  EXPECT_EQ(m.At(0, 0), 0xFFFFFFFFu);
}

TEST(BitmapOps, NegaTwiceRestoresAndKeepsAlpha) {
  Bmp m(7, 5);
  std::mt19937 rng(3);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) m.Set(x, y, rng());
  Bmp orig(7, 5);
  BitmapCopyFrom(&orig.b, &m.b);
  BitmapNega(&m.b);
  for (int i = 0; i < 35; ++i) {
    EXPECT_EQ(m.At(i % 7, i / 7) >> 24, orig.At(i % 7, i / 7) >> 24);
    EXPECT_EQ(m.At(i % 7, i / 7) & 0xFFFFFF, ~orig.At(i % 7, i / 7) & 0xFFFFFF);
  }
  BitmapNega(&m.b);
  EXPECT_EQ(memcmp(m.b.pixels, orig.b.pixels, 35 * 4), 0);
}

TEST(BitmapOps, MonotoneFollowsTheDoubleFormulas) {
  std::mt19937 rng(11);
  // Saturated tones push channels past both ends; odd sizes leave a tail
  // after the four-pixel steps.
  for (uint32_t tone : {0x7F30C050u, 0xFFFF0000u, 0x000000FFu, 0x0000FF00u, 0x00FFFF00u}) {
    Bmp m(37, 7);
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 37; ++x) m.Set(x, y, rng());
    m.Set(0, 0, 0xFFFFFFFFu);
    m.Set(1, 0, 0x00000000u);
    Bmp orig(37, 7);
    BitmapCopyFrom(&orig.b, &m.b);
    BitmapMonotone(&m.b, tone);
    // An independent per-pixel evaluation of the same formulas.
    double R = (tone >> 16) & 255, G = (tone >> 8) & 255, B = tone & 255;
    double Cb = (0.5 * B - 0.332 * G - 0.169 * R) / 255, Cr = (0.5 * R - 0.419 * G - 0.081 * B) / 255;
    auto lim = [](double v) { return std::min(255, std::max(0, int(v))); };
    for (int i = 0; i < 37 * 7; ++i) {
      uint32_t p = orig.At(i % 37, i / 37);
      double r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
      double Y = (0.299 * r + 0.587 * g + 0.114 * b) / 255;
      uint32_t want = (p & 0xFF000000u) | uint32_t(lim((Y + 1.402 * Cr) * 255)) << 16 |
                      uint32_t(lim((Y - 0.344 * Cb - 0.714 * Cr) * 255)) << 8 |
                      uint32_t(lim((Y + 1.772 * Cb) * 255));
      ASSERT_EQ(m.At(i % 37, i / 37), want) << std::hex << tone << " pixel " << std::dec << i;
    }
  }
}
