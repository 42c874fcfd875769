// PNG and JPEG decoding of real files, PNG writing, the extension rule.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "image/bitmap.h"
#include "image/image_io.h"
#include "image/jpeg_codec.h"
#include "image/png_codec.h"
#include "platform/paths.h"

using namespace qor;

namespace {

std::string Fixture(const char* name) { return std::string(QOR_FIXTURES) + "/bitmap/" + name; }

// A bitmap that releases itself.
struct Bmp {
  UBitmap b{};
  ~Bmp() { BitmapRelease(&b); }
  uint32_t At(int x, int y) const {
    uint32_t v;
    memcpy(&v, b.pixels + (size_t(y) * b.width + x) * 4, 4);
    return v;
  }
  void Set(int x, int y, uint32_t v) { memcpy(b.pixels + (size_t(y) * b.width + x) * 4, &v, 4); }
};

ImageStatus LoadFile(const std::string& path, UBitmap* b, const char* name = nullptr) {
  ResourceLocation loc{path, 0, 0, false};
  return LoadImageToBitmap(name ? name : path.c_str(), loc, b);
}

std::string TempName(const char* base) {
  return testing::TempDir() + "qor_bitmap_" + std::to_string(getpid()) + "_" + base;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::vector<uint8_t> out;
  platform::ReadWholeFile(path, &out);
  return out;
}

// Reads a PNG with plain libpng (no engine code): colour type and R, G, B(, A) bytes.
struct RawPng {
  int colour = -1;
  int width = 0, height = 0;
  std::vector<uint8_t> bytes;
};
RawPng ReadRawPng(const std::string& path) {
  RawPng r;
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  std::vector<uint8_t> file = ReadAll(path);
  if (file.size() < 26) return r;
  r.colour = file[25];
  if (!png_image_begin_read_from_memory(&img, file.data(), file.size())) return r;
  r.width = int(img.width);
  r.height = int(img.height);
  img.format = r.colour == 0 ? PNG_FORMAT_GRAY : r.colour == 2 ? PNG_FORMAT_RGB : PNG_FORMAT_RGBA;
  r.bytes.resize(PNG_IMAGE_SIZE(img));
  if (!png_image_finish_read(&img, nullptr, r.bytes.data(), 0, nullptr)) r.bytes.clear();
  return r;
}

}  // namespace

TEST(BitmapCodec, ExtensionRule) {
  char ext[5];
  EXPECT_TRUE(ImageExtension("dir.v2/pic.Jpg", ext));
  EXPECT_STREQ(ext, "jpg");
  EXPECT_FALSE(ImageExtension(".png", ext));  // the only dot is the first character
  EXPECT_FALSE(ImageExtension("png", ext));
}

// What each kind of file decodes to is checked pixel by pixel against
// ImageMagick in texture_lua_test (EveryImageKindLoadsAsImageMagickDecodesIt).

TEST(BitmapCodec, DamagedPngsLeaveTheBitmapEmpty) {
  for (const char* file : {"truncated.png", "bitflip.png", "missing-file.png"}) {
    Bmp m;
    ASSERT_TRUE(BitmapCreate(&m.b, 2, 2));  // an old image must not survive a failed load
    EXPECT_EQ(LoadFile(Fixture(file), &m.b), ImageStatus::Failed) << file;
    EXPECT_TRUE(BitmapEmpty(&m.b)) << file;
    EXPECT_EQ(m.b.width, 0) << file;
  }
}

TEST(BitmapCodec, TypeComesFromTheNameNotTheContents) {
  Bmp m;
  EXPECT_EQ(LoadFile(Fixture("rgb.png"), &m.b, "picture.jpg"), ImageStatus::Failed);  // a corrupt JPEG
  EXPECT_TRUE(BitmapEmpty(&m.b));
  EXPECT_EQ(LoadFile(Fixture("rgb.png"), &m.b, "picture.bmp"), ImageStatus::Failed);
  EXPECT_EQ(LoadFile(Fixture("rgb.png"), &m.b, "PICTURE.PnG"), ImageStatus::Ok);
  EXPECT_EQ(LoadFile(Fixture("block.jpg"), &m.b, "photo.jpegx"), ImageStatus::Ok);
}

TEST(BitmapCodec, PngRoundTripOfRandomPixels) {
  Bmp src;
  ASSERT_TRUE(BitmapCreate(&src.b, 37, 11));
  std::mt19937 rng(7);
  for (size_t i = 0; i < size_t(37 * 11 * 4); ++i) src.b.pixels[i] = uint8_t(rng());
  std::string file = TempName("round.png");
  std::string err;
  ASSERT_TRUE(SavePng(src.b, file.c_str(), false, &err)) << err;

  RawPng raw = ReadRawPng(file);  // the file holds R, G, B, A in colour type 6
  EXPECT_EQ(raw.colour, 6);
  ASSERT_EQ(raw.bytes.size(), size_t(37 * 11 * 4));
  for (size_t i = 0; i < size_t(37 * 11); ++i) {
    ASSERT_EQ(raw.bytes[i * 4 + 0], src.b.pixels[i * 4 + 2]);
    ASSERT_EQ(raw.bytes[i * 4 + 1], src.b.pixels[i * 4 + 1]);
    ASSERT_EQ(raw.bytes[i * 4 + 2], src.b.pixels[i * 4 + 0]);
    ASSERT_EQ(raw.bytes[i * 4 + 3], src.b.pixels[i * 4 + 3]);
  }
  Bmp back;
  ASSERT_EQ(LoadFile(file, &back.b), ImageStatus::Ok);
  EXPECT_EQ(memcmp(back.b.pixels, src.b.pixels, 37 * 11 * 4), 0);

  // Alpha dropped: colour type 2, and loading it back gives alpha 255.
  ASSERT_TRUE(SavePng(src.b, file.c_str(), true, &err)) << err;
  EXPECT_EQ(ReadRawPng(file).colour, 2);
  ASSERT_EQ(LoadFile(file, &back.b), ImageStatus::Ok);
  for (size_t i = 0; i < size_t(37 * 11); ++i) {
    ASSERT_EQ(memcmp(back.b.pixels + i * 4, src.b.pixels + i * 4, 3), 0);
    ASSERT_EQ(back.b.pixels[i * 4 + 3], 255);
  }
  remove(file.c_str());
}

// Failed saves and their messages are checked by the bitmap_methods scenario.
TEST(BitmapCodec, SaveWritesPngWhateverTheExtensionOverTheOldFile) {
  Bmp src;
  ASSERT_TRUE(BitmapCreate(&src.b, 2, 2));
  std::string file = TempName("photo.jpg");
  FILE* f = fopen(file.c_str(), "wb");
  fputs("old contents", f);
  fclose(f);
  ASSERT_TRUE(SavePng(src.b, file.c_str(), false, nullptr));
  std::vector<uint8_t> bytes = ReadAll(file);
  ASSERT_GE(bytes.size(), 8u);
  EXPECT_EQ(memcmp(bytes.data(), "\x89PNG\r\n\x1a\n", 8), 0);
  remove(file.c_str());
}

TEST(BitmapCodec, AlphaAsGreyPng) {
  Bmp src;
  ASSERT_TRUE(BitmapCreate(&src.b, 3, 2));
  for (int i = 0; i < 6; ++i) src.Set(i % 3, i / 3, 0x00FFFFFFu | (uint32_t(i * 40) << 24));
  std::string file = TempName("alpha.PNG");
  ASSERT_EQ(SaveAlpha(src.b, file.c_str(), nullptr), AlphaSaveStatus::Ok);
  RawPng raw = ReadRawPng(file);
  EXPECT_EQ(raw.colour, 0);
  ASSERT_EQ(raw.bytes.size(), 6u);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(raw.bytes[i], i * 40);
  remove(file.c_str());
}

TEST(BitmapCodec, PngFromMemoryStopsAtTheEndOfTheData) {
  std::vector<uint8_t> bytes = ReadAll(Fixture("big.png"));
  struct Target : ImageTarget {
    std::vector<uint8_t> px;
    int finished = 0;
    uint8_t* Allocate(int w, int h, int* pitch) override {
      *pitch = w * 4 + 12;  // a pitch wider than the row, as a texture may have
      px.assign(size_t(*pitch) * h, 0xEE);
      return px.data();
    }
    void Finish() override { ++finished; }
  } t;
  EXPECT_EQ(DecodePngMemory(bytes.data(), bytes.size(), &t), ImageStatus::Ok);
  EXPECT_EQ(t.finished, 1);
  EXPECT_EQ(t.px[32 * 4], 0xEE);  // padding past each row is not touched
  EXPECT_EQ(t.px[3], 0xFF);
  for (size_t cut : {size_t(0), size_t(8), size_t(33), bytes.size() - 13}) {
    Target u;
    EXPECT_EQ(DecodePngMemory(bytes.data(), cut, &u), ImageStatus::Failed) << cut;
  }
}

// Damaged files of every kind end in a clean Ok or Failed, never a crash or a
// leak (this runs under the sanitizers too).
TEST(BitmapCodec, MutatedFilesNeverCrash) {
  std::mt19937 rng(99);
  for (const char* name : {"big.png", "rgba.png", "block.jpg", "../kinds/adam7_palette.png", "../kinds/greya16.png",
                           "../kinds/grey_trns.png", "../kinds/ycck.jpg", "../kinds/progressive.jpg"}) {
    const std::vector<uint8_t> orig = ReadAll(Fixture(name));
    ASSERT_FALSE(orig.empty());
    const bool png = strstr(name, ".png") != nullptr;
    for (int trial = 0; trial < 400; ++trial) {
      std::vector<uint8_t> bytes = orig;
      int flips = 1 + int(rng() % 4);
      for (int i = 0; i < flips; ++i) bytes[rng() % bytes.size()] ^= uint8_t(1 + rng() % 255);
      if (trial % 5 == 0) bytes.resize(rng() % bytes.size());
      struct Target : ImageTarget {
        std::vector<uint8_t> px;
        int allocs = 0, finishes = 0;
        uint8_t* Allocate(int w, int h, int* pitch) override {
          ++allocs;
          *pitch = w * 4;
          px.assign(size_t(w) * h * 4, 0);
          return px.data();
        }
        void Finish() override { ++finishes; }
      } t;
      ImageStatus s = png ? DecodePngMemory(bytes.data(), bytes.size(), &t)
                          : DecodeJpegMemory(bytes.data(), bytes.size(), &t);
      EXPECT_TRUE(s == ImageStatus::Ok || s == ImageStatus::Failed);
      EXPECT_EQ(t.allocs, t.finishes) << name << " trial " << trial;
    }
  }
}
