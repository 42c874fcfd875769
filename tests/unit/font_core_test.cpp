// The font core: the integer blends and gradient weights, golden coverage of
// glyphs from a pinned font file (which pins the 3 x 3 coverage filter too),
// the one-glyph cache, and face selection through the alias table and the
// folder catalog (the Windows face finder).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "image/font.h"
#include "image/font_face.h"
#include "image/font_folder_catalog.h"

using namespace qor;

namespace {

const std::string kSubset = std::string(QOR_FIXTURES) + "/font/noto_subset.otf";

// A font set up on the pinned subset; released at the end of the test.
struct TestFont {
  UFont f{};
  TestFont(int w, int h) { EXPECT_EQ(FontSetUp(&f, w, h, 0, kSubset.c_str(), "subset"), FontStatus::Ok); }
  ~TestFont() { FontRelease(&f); }
};

// The cached coverage as one hex digit per pixel (level / 17), a row per line.
std::vector<std::string> Levels(const UFont& f) {
  std::vector<std::string> rows;
  for (int y = 0; y < f.height; ++y) {
    std::string r;
    for (int x = 0; x < f.width; ++x) r += "0123456789abcdef"[f.coverage[y * f.width + x] / 17];
    rows.push_back(r);
  }
  return rows;
}

}  // namespace

// The formula as written, one pixel: what the fast cell loops must equal.
static void ReferenceBlend(uint8_t* px, const int text[3], int alpha, int c) {
  if (c == 0) return;
  const int a = c * alpha / 255;
  if (px[3] == 0) {
    for (int i = 0; i < 3; ++i) px[i] = uint8_t(text[i]);
    px[3] = uint8_t(a);
    return;
  }
  for (int i = 0; i < 3; ++i) px[i] = uint8_t(px[i] + (text[i] - px[i]) * a / 255);
  px[3] = uint8_t(std::max<int>(px[3], a));
}

TEST(FontBlend, CellLoopsEqualTheFormulaForEveryValue) {
  // The two cases games see most: a transparent pixel takes the colour and
  // alpha c x A / 255; black at full coverage on opaque white gives opaque black.
  uint8_t clear[4] = {9, 9, 9, 0}, white[4] = {255, 255, 255, 255};
  BlendPixel(clear, 0x30, 0x20, 0x10, 0x80, 102);
  BlendPixel(white, 0, 0, 0, 255, 255);
  EXPECT_EQ(std::vector<int>(clear, clear + 4), (std::vector<int>{0x30, 0x20, 0x10, 51}));
  EXPECT_EQ(std::vector<int>(white, white + 4), (std::vector<int>{0, 0, 0, 255}));

  // 256 pixels: every channel value against every coverage level, target
  // alphas from 0 up; every text value for several text alphas.
  UFont f{};
  f.width = 17;  // odd: the last column takes the one-pixel path
  f.height = 16;
  std::vector<uint8_t> cov(17 * 16);
  for (size_t i = 0; i < cov.size(); ++i) cov[i] = uint8_t((i % 16) * 17);
  f.coverage = cov.data();
  for (int alpha : {0, 1, 17, 128, 254, 255})
    for (int t = 0; t < 256; ++t) {
      std::vector<uint8_t> got(17 * 16 * 4), want;
      for (size_t i = 0; i < cov.size(); ++i) {
        got[4 * i] = uint8_t(i);
        got[4 * i + 1] = uint8_t(255 - i);
        got[4 * i + 2] = uint8_t(i * 37);
        got[4 * i + 3] = uint8_t((i / 16) * 17 + (i % 3 == 0 ? 0 : 5));
      }
      want = got;
      const int text[3] = {t, 255 - t, (t * 7) & 255};
      for (size_t i = 0; i < cov.size(); ++i) ReferenceBlend(&want[4 * i], text, alpha, cov[i]);
      FontBlend(&f, got.data(), 17 * 4, uint32_t(alpha) << 24 | uint32_t(text[2]) << 16 | uint32_t(text[1]) << 8 | uint32_t(t));
      ASSERT_EQ(got, want) << "text " << t << " alpha " << alpha;
      for (size_t i = 0; i < cov.size(); ++i) {
        uint8_t one[4] = {uint8_t(i), 0, 255, uint8_t(i & 1 ? 0 : 200)}, ref[4];
        memcpy(ref, one, 4);
        BlendPixel(one, text[0], text[1], text[2], alpha, cov[i] ? cov[i] : 17);
        ReferenceBlend(ref, text, alpha, cov[i] ? cov[i] : 17);
        ASSERT_EQ(memcmp(one, ref, 4), 0) << i;
      }
    }
}

TEST(FontBlend, CoverageZeroNeverChangesAPixel) {
  TestFont t(8, 8);
  FontPrepare(&t.f, u'A');
  std::vector<uint32_t> px(64, 0x00123456u), before = px;
  FontBlend(&t.f, reinterpret_cast<uint8_t*>(px.data()), 32, 0xFFFF0000u);
  FontBlendGradation(&t.f, reinterpret_cast<uint8_t*>(px.data()), 32, 0xFF00FF00u, 0xFF0000FFu, true, true);
  int changed = 0;
  for (int i = 0; i < 64; ++i) {
    if (t.f.coverage[i] == 0) {
      EXPECT_EQ(px[i], before[i]) << i;
    }
    changed += px[i] != before[i];
  }
  EXPECT_GT(changed, 0);
}

TEST(FontBlend, GradientWeightsAtTheCorners) {
  // {x, y, w, h, horizontal, vertical, weight}: colour1 (0) and colour2 (256) at
  // the ends of each direction; the anti-diagonal runs from the top right.
  const int corners[][7] = {{0, 5, 16, 16, 1, 0, 0},   {15, 5, 16, 16, 1, 0, 256}, {7, 0, 16, 10, 0, 1, 0},
                            {7, 9, 16, 10, 0, 1, 256}, {0, 0, 16, 10, 1, 1, 0},   {15, 9, 16, 10, 1, 1, 256},
                            {15, 0, 16, 10, 0, 0, 0},  {0, 9, 16, 10, 0, 0, 256},
                            // no extent along the gradient: colour1 instead of a division by zero
                            {0, 3, 1, 8, 1, 0, 0},     {0, 0, 1, 1, 0, 0, 0}};
  for (const auto& c : corners) EXPECT_EQ(GradationWeight(c[0], c[1], c[2], c[3], c[4], c[5]), c[6]) << c[0] << "," << c[1];

  // At weight 256 the channels equal colour2's (limited to 0..255); alpha is colour1's.
  UFont f{};
  f.width = 16;
  f.height = 1;
  uint8_t cov[16];
  memset(cov, 255, sizeof cov);
  f.coverage = cov;
  std::vector<uint32_t> px(16, 0);
  FontBlendGradation(&f, reinterpret_cast<uint8_t*>(px.data()), 64, 0x80102030u, 0x00F0E0D0u, true, false);
  EXPECT_EQ(px[0], 0x80102030u);
  EXPECT_EQ(px[15], 0x80F0E0D0u);
  EXPECT_EQ(px[5], 0x805A6065u);  // t = 85: R 0x10 + 0xE0 * 85 / 255 = 0x5A, G 0x60, B 0x65
}

// Golden coverage of the pinned subset in a 16 x 16 cell: the rendering at
// three times the size, GDI-like sizing and placement, emboldening and the
// filter together. A change here changes every game's text.
TEST(FontGlyphs, GoldenCoverageFromThePinnedFace) {
  TestFont t(16, 16);
  EXPECT_TRUE(t.f.face->SyntheticBold());  // the subset is a Regular face
  const std::pair<char16_t, std::vector<std::string>> golden[] = {
      {u'A',
       {
        "0000000000000000", "0000000000000000", "0000000000000000", "0000000000000000",
        "0000000b90000000", "0000003ff1000000", "0000009bf6000000", "000000f6bc000000",
        "000004f14f100000", "00000bffff600000", "00000f600bc00000", "00004f1006f10000",
        "00008b0001b30000", "0000000000000000", "0000000000000000", "0000000000000000",
       }},
      {u'あ',
       {
        "0000000000000000", "0000000000000000", "0000000000000000", "0000003b00000000",
        "0000447d44980000", "0000fffffeb80000", "000000bc4cc00000", "000005efbffa0000",
        "00005fe45e1e9000", "0001f6bce60bb000", "0004e0bfc00cb000", "0004e9ef109f3000",
        "0001bbbcbfe50000", "0000000014000000", "0000000000000000", "0000000000000000",
       }},
      {u'漢',
       {
        "0000000000000000", "0000000000000000", "0000000000000000", "0009c30bb0f40000",
        "0001affffffff400", "0000033cc4f73000", "001d60becfbeb000", "0006e7bc7f4cb000",
        "0000108bcfbb8000", "00004cfffffff000", "0000ccbbcfbbb300", "0003f449fcd54100",
        "000cc5cf50afb100", "000533910003b000", "0000000000000000", "0000000000000000",
       }},
  };
  for (const auto& [unit, want] : golden) {
    FontPrepare(&t.f, uint16_t(unit));
    std::vector<std::string> got = Levels(t.f);
    std::string dump;
    for (const std::string& r : got) dump += "\"" + r + "\",\n";
    EXPECT_EQ(got, want) << "U+" << std::hex << int(unit) << "\n" << dump;
  }
}

TEST(FontGlyphs, LoneSurrogatesAndSpacesDrawNothing) {
  TestFont t(12, 12);
  for (char16_t unit : {char16_t(0xD800), char16_t(0xDFFF), u' '}) {
    FontPrepare(&t.f, uint16_t(unit));
    for (int i = 0; i < 144; ++i) ASSERT_EQ(t.f.coverage[i], 0) << int(unit);
  }
}

TEST(FontCache, RendersOnlyWhenTheCharacterChanges) {
  TestFont t(24, 24);
  uint64_t start = FontRenderCount();
  FontPrepare(&t.f, u'A');
  FontPrepare(&t.f, u'A');
  EXPECT_EQ(FontRenderCount() - start, 1u);
  start = FontRenderCount();
  FontPrepare(&t.f, u'B');
  FontPrepare(&t.f, u'A');
  EXPECT_EQ(FontRenderCount() - start, 2u);  // A, B, A: three renders in all

  // Code unit 0 is a character like any other: a new font has nothing cached.
  TestFont z(8, 8);
  start = FontRenderCount();
  FontPrepare(&z.f, 0);
  EXPECT_EQ(FontRenderCount() - start, 1u);
}

TEST(FontFaces, AliasTableResolvesToInstalledLookAlikes) {
  // One row per spelling rule (full width, case and spaces); the rest of the table is data.
  const std::pair<const char*, const char*> cases[] = {
      {"ＭＳ ゴシック", "IPAGothic"}, {"ms  gothic", "IPAGothic"}, {"ＭＳ Ｐ明朝", "IPAPMincho"},
      {"メイリオ", "Noto Sans CJK JP"}, {"Arial", "Liberation Sans"},
  };
  for (const auto& [name, family] : cases) {
    FaceChoice c;
    ASSERT_TRUE(ChooseFace(name, &c)) << name;
    EXPECT_EQ(c.family, family) << name;
    EXPECT_FALSE(c.substituted) << name;
  }
  // Latin faces with a real bold use it; the IPA faces have none and are emboldened.
  FaceChoice c;
  ASSERT_TRUE(ChooseFace("Arial", &c));
  EXPECT_TRUE(c.bold);
  ASSERT_TRUE(ChooseFace("", &c));  // the fixed-pitch Japanese face
  EXPECT_EQ(c.family, "IPAGothic");
  EXPECT_FALSE(c.bold);
  EXPECT_TRUE(FaceAliases("No Such Face").empty());
}

// A missing face's one stderr line is the font_files scenario's check.
TEST(FontFaces, ACharacterTheFaceLacksComesFromOneThatHasIt) {
  std::unique_ptr<FontFace> latin;
  ASSERT_EQ(OpenFontFace("Liberation Sans", 48, &latin), FontFaceStatus::Ok);
  std::vector<uint8_t> work(48 * 48);
  latin->Draw(u'漢', GlyphSurface{work.data(), 48, 48, 48});
  int ink = 0;
  for (uint8_t v : work) ink += v;
  EXPECT_GT(ink, 100);
}

TEST(FontFaces, FolderCatalogMatchesEveryFamilyNameAndFallsBack) {
  FolderCatalog cat;
  cat.AddFile(std::string(QOR_FIXTURES) + "/font/truncated.otf");  // unreadable: skipped
  cat.AddFile(kSubset);
  ASSERT_EQ(cat.Size(), 1u);
  FaceChoice c;
  EXPECT_TRUE(cat.FindFamily("ｎｏｔｏ sans CJK jp", &c));  // width, case and spaces folded
  EXPECT_EQ(c.file, kSubset);
  EXPECT_FALSE(cat.FindFamily("MS Gothic", &c));
  ASSERT_TRUE(cat.BestMatch("MS Gothic", &c));
  EXPECT_TRUE(c.substituted);
  EXPECT_EQ(c.family, "Noto Sans CJK JP");
  EXPECT_TRUE(cat.FaceWithChar("MS Gothic", U'漢', &c));
  EXPECT_FALSE(cat.FaceWithChar("MS Gothic", U'Z', &c));  // not in the subset

  // A face found by its Japanese-language name, as games spell it.
  const std::string ipa = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
  cat.AddFile(ipa);
  if (cat.Size() == 1) GTEST_SKIP() << ipa << " is not installed";
  ASSERT_TRUE(cat.FindFamily("IPAゴシック", &c));
  EXPECT_EQ(c.file, ipa);
  ASSERT_TRUE(cat.BestMatch("", &c));  // fixed-pitch Japanese beats the proportional subset
  EXPECT_EQ(c.family, "IPAGothic");
}
