// Textured drawing on the software and the OpenGL device, checked pixel by
// pixel: scripts draw into a screen-sized texture through texture:beginscene,
// and the result must be exactly the source texels at the expected places.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "gl_test_video.h"
#include "graphics/screen.h"
#include "graphics/texture.h"
#include "fake_screen_lua.h"

using namespace qor;

namespace {

constexpr int kW = 64, kH = 48;

// The 4 x 4 source: every texel a different opaque colour.
uint32_t Texel(int i, int j) { return 0xFF000000u | uint32_t(40 + i * 50) << 16 | uint32_t(40 + j * 50) << 8 | 0x11u; }

class TextureDraw : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    std::string error;
    std::unique_ptr<Device> device;
    if (std::string(GetParam()) == "gl") {
      if (!StartHeadlessGLVideo()) GTEST_SKIP() << "no SDL video: " << SDL_GetError();
      PrepareGLAttributes();
      window = SDL_CreateWindow("texture test", 0, 0, kW, kH, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
      if (!window) GTEST_SKIP() << "no OpenGL window: " << SDL_GetError();
      device = CreateGLDevice(window, kW, kH, &error);
      if (!device) GTEST_SKIP() << "no OpenGL 3.3 device: " << error;
    } else {
      device = CreateSoftDevice(nullptr, kW, kH, &error);
    }
    ASSERT_TRUE(device) << error;
    UseScreenDevice(std::move(device), kW, kH);
    L = test::NewTextureLua();
    Run("src = texture.create(4, 4); out = texture.create(64, 48)");
    UTexture* src = Global("src");
    uint8_t* px = TextureBeginAccess(src);
    for (int j = 0; j < 4; ++j)
      for (int i = 0; i < 4; ++i) reinterpret_cast<uint32_t*>(px + j * src->surface->pitch)[i] = Texel(i, j);
    TextureEndAccess(src, 0, 4);
  }
  void TearDown() override {
    if (L) lua_close(L);
    UseScreenDevice(nullptr, 0, 0);
    if (window) SDL_DestroyWindow(window);
  }
  void Run(const char* code) { test::ExpectLuaOk(L, code); }
  UTexture* Global(const char* name) { return test::GlobalObject(L, name); }
  uint32_t At(int x, int y) { return test::TexelAt(Global("out"), x, y); }
  // Draws `code` into the screen-sized texture; the picture starts black.
  void Scene(const char* code) {
    std::string s = std::string("out:beginscene(); ") + code + "; out:endscene()";
    Run(s.c_str());
  }
  // Every pixel is `expect(x, y)`; reports the first few differences.
  template <class F>
  void ExpectPicture(F&& expect) {
    int bad = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        uint32_t want = expect(x, y), got = At(x, y);
        if (want != got && ++bad <= 5) ADD_FAILURE() << "pixel " << x << "," << y << std::hex << " got " << got << " want " << want;
      }
    EXPECT_EQ(bad, 0);
  }
  // The source placed unscaled with texel (i0, j0) at (x0, y0), w x h texels.
  auto Placed(int x0, int y0, int i0, int j0, int w, int h) {
    return [=](int x, int y) {
      int i = x - x0 + i0, j = y - y0 + j0;
      if (x >= x0 && x < x0 + w && y >= y0 && y < y0 + h) return Texel(i, j);
      return 0xFF000000u;
    };
  }

  lua_State* L = nullptr;
  SDL_Window* window = nullptr;
};

// Every unscaled path puts each texel on its own pixel: draw, drawrect with
// a source cut by a negative start or by the storage's edge, and drawrectlt's
// untransformed path with its integer halves.
TEST_P(TextureDraw, UnscaledDrawsPlaceTexelsOnPixels) {
  Scene("src:draw(10, 5, 255)");
  ExpectPicture(Placed(10, 5, 0, 0, 4, 4));
  Scene("src:draw(10, 5, 256)");  // alpha 0: nothing shows
  ExpectPicture([](int, int) { return 0xFF000000u; });
  Scene("src:draw(-2, 46, -1)");  // cut by the screen's edges
  ExpectPicture(Placed(-2, 46, 0, 0, 4, 4));
  Scene("src:drawrect(20, 20, 4, 4, -2, -1, 255)");
  ExpectPicture(Placed(22, 21, 0, 0, 2, 3));
  Scene("src:drawrect(20, 20, 10, 10, 1, 2, 255)");
  ExpectPicture(Placed(20, 20, 1, 2, 3, 2));
  Scene("src:drawrectlt(30, 30, 1, 0, 3, 4, 1, 1, 0, 255)");  // 3 / 2 truncates to 1
  ExpectPicture(Placed(29, 28, 1, 0, 3, 4));
}

TEST_P(TextureDraw, DrawRectLTScalesAndTurnsClockwise) {
  Scene("src:drawrectlt(30, 30, 0, 0, 4, 4, 2, 2, 0, 255)");
  ExpectPicture([](int x, int y) {
    if (x >= 26 && x < 34 && y >= 26 && y < 34) return Texel((x - 26) / 2, (y - 26) / 2);
    return 0xFF000000u;
  });
  Scene("src:drawrectlt(30, 30, 0, 0, 4, 4, 1, 1, math.pi / 2, 255)");
  // A quarter turn clockwise: texel (i, j) lands on pixel (31 - j, 28 + i).
  ExpectPicture([](int x, int y) {
    if (x >= 28 && x < 32 && y >= 28 && y < 32) return Texel(y - 28, 31 - x);
    return 0xFF000000u;
  });
}

TEST_P(TextureDraw, DrawTriangleMapsTexelPositions) {
  Scene("src:drawtriangle({{10,40,0,0,-1},{14,40,4,0,-1},{10,44,0,4,-1},"
        "{14,40,4,0,-1},{14,44,4,4,-1},{10,44,0,4,-1}})");
  ExpectPicture(Placed(10, 40, 0, 0, 4, 4));
  // The vertex colour multiplies: black vertices give a black quad.
  Scene("src:drawtriangle({{10,40,0,0,0xFF000000},{14,40,4,0,0xFF000000},{10,44,0,4,0xFF000000}})");
  ExpectPicture([](int, int) { return 0xFF000000u; });
}

TEST_P(TextureDraw, TextureWritesKeepDrawOrder) {
  // The first draw must show the old texels although the fill comes before
  // the scene ends; the second draw shows the filled texture.
  Scene("src:draw(0, 0, 255); src:fill(0xFF0000FF); src:draw(8, 0, 255)");
  ExpectPicture([&](int x, int y) {
    if (y < 4 && x < 4) return Texel(x, y);
    if (y < 4 && x >= 8 && x < 12) return 0xFF0000FFu;
    return 0xFF000000u;
  });
  // Pixels written through a lock appear in later draws once unlocked.
  Run("src:lock(1, 1, 1, 1)");
  UTexture* src = Global("src");
  *static_cast<uint32_t*>(src->locked.bits) = 0xFF00FF00u;
  Scene("src:unlock(); src:draw(0, 0, 255)");
  EXPECT_EQ(At(1, 1), 0xFF00FF00u);
  EXPECT_EQ(At(0, 0), 0xFF0000FFu);
  // A texture deleted after a draw in the same scene still shows in it.
  Scene("src:draw(4, 4, 255); src:delete()");
  EXPECT_EQ(At(5, 5), 0xFF00FF00u);
}

// Texture and bitmap scenes copy the screen-sized target with alpha 255, and
// the copies draw like any texture.
TEST_P(TextureDraw, OffscreenScenesMakeOpaqueDrawableCopies) {
  Run("bm = bitmap.create(10, 10); bm:beginscene(); src:draw(1, 2, 255); bm:endscene()");
  auto* b = test::GlobalObject<UBitmap>(L, "bm");
  ASSERT_EQ(b->width, kW);  // made again at the screen's size
  ASSERT_EQ(b->height, kH);
  EXPECT_FALSE(g_screen.renderTargetActive);
  Run("back = texture.frombitmap(bm); out:beginscene(); back:draw(0, 0, 255); out:endscene()");
  ExpectPicture(Placed(1, 2, 0, 0, 4, 4));
  // Half-transparent texels are blended over black; the copy has alpha 255.
  Run("src:fill(0x80FF0000)");
  Scene("src:draw(0, 0, 255)");
  uint32_t blended = At(0, 0);
  EXPECT_EQ(blended & 0xFF00FFFFu, 0xFF000000u);
  EXPECT_NEAR(int(blended >> 16 & 0xFF), 128, 1);
  Run("small = texture.create(8, 8); small:beginscene(); out:drawrect(0, 0, 8, 8, 0, 0, 255); small:endscene()");
  UTexture* small = Global("small");
  EXPECT_EQ(test::TexelAt(small, 0, 0), blended);
}

INSTANTIATE_TEST_SUITE_P(Devices, TextureDraw, ::testing::Values("soft", "gl"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
