// A mixed texture scene (plain, clipped, rotated and scaled sprites, coloured
// triangles, alpha) on the software device, compared with its golden frame.
// QOR_UPDATE_GOLDEN=1 rewrites the golden file instead of comparing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "graphics/screen.h"
#include "graphics/texture.h"
#include "host/binding.h"
#include "host/modules.h"
#include "image/image_io.h"
#include "image/text.h"

using namespace qor;

namespace {

constexpr int kW = 96, kH = 64;

const char kSetup[] = "src = texture.create(16, 16); out = texture.create(96, 64)";
const char kDraw[] = R"(
  out:beginscene()
  src:draw(2, 2, 255)
  src:drawrect(24, 2, 16, 16, -6, -3, 255)
  src:drawrectlt(60, 18, 0, 0, 16, 16, 1.5, 1.25, 0.5, 200)
  src:drawrectlt(20, 44, 4, 4, 12, 12, 1, 1, -0.3, 255)
  src:drawtriangle({{44, 40, 0, 0, 0xFFFFFFFF}, {90, 44, 16, 0, 0xFF80FF80}, {52, 62, 8, 16, 0x80FFFFFF}})
  src:draw(80, 50, 128)
  out:endscene()
)";

class TextureGolden : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    g_screen.device = CreateSoftDevice(nullptr, kW, kH, &error);
    ASSERT_TRUE(g_screen.device) << error;
    g_screen.width = kW;
    g_screen.height = kH;
    g_screen.renderTargetActive = false;
    L = luaL_newstate();
    luaL_openlibs(L);
    RegisterClass(L, "texture", kTextureMethods, kTextureCtors);
    RegisterClass(L, "bitmap", kBitmapMethods, kBitmapCtors);
  }
  void TearDown() override {
    lua_close(L);
    g_screen.device.reset();
  }
  lua_State* L = nullptr;
};

// The source: a checker of four colours with an alpha ramp along x.
void PaintSource(UTexture* t) {
  uint8_t* px = TextureBeginAccess(t);
  static const uint32_t kRgb[4] = {0xFF4020, 0x20C040, 0x3060FF, 0xF0E020};
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      reinterpret_cast<uint32_t*>(px + y * t->surface->pitch)[x] =
          uint32_t(120 + x * 9) << 24 | kRgb[(x / 4 + y / 4) % 4];
  TextureEndAccess(t, 0, 16);
}

TEST_F(TextureGolden, MixedSceneMatchesGoldenFrame) {
  ASSERT_EQ(luaL_dostring(L, kSetup), 0) << lua_tostring(L, -1);
  lua_getglobal(L, "src");
  PaintSource(static_cast<UTexture*>(lua_touserdata(L, -1)));
  lua_pop(L, 1);
  ASSERT_EQ(luaL_dostring(L, kDraw), 0) << lua_tostring(L, -1);
  lua_getglobal(L, "out");
  UTexture* out = static_cast<UTexture*>(lua_touserdata(L, -1));
  lua_pop(L, 1);
  if (reinterpret_cast<uint32_t*>(out->surface->pixels + 2 * out->surface->pitch)[2] == 0xFF000000u)
    GTEST_SKIP() << "drawing submission not in this build";

  std::string golden = std::string(QOR_GOLDEN) + "/texture/mixed_scene.png";
  if (getenv("QOR_UPDATE_GOLDEN")) {
    UBitmap b{};
    BitmapFromTexture(L, &b, out);
    std::string error;
    ASSERT_TRUE(SavePng(b, golden.c_str(), false, &error)) << error;
    BitmapRelease(&b);
    GTEST_SKIP() << "golden frame rewritten";
  }
  struct Target : ImageTarget {
    std::vector<uint32_t> px;
    int w = 0, h = 0;
    uint8_t* Allocate(int width, int height, int* pitch) override {
      w = width, h = height;
      px.assign(size_t(width) * height, 0);
      *pitch = width * 4;
      return reinterpret_cast<uint8_t*>(px.data());
    }
  } want;
  ResourceLocation loc{golden, 0, 0, false};
  ASSERT_EQ(LoadImage(golden.c_str(), loc, &want), ImageStatus::Ok) << golden;
  ASSERT_EQ(want.w, kW);
  ASSERT_EQ(want.h, kH);
  int bad = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      uint32_t got = reinterpret_cast<uint32_t*>(out->surface->pixels + y * out->surface->pitch)[x];
      if (got != want.px[size_t(y) * kW + x] && ++bad <= 5)
        ADD_FAILURE() << "pixel " << x << "," << y << std::hex << " got " << got << " want " << want.px[size_t(y) * kW + x];
    }
  EXPECT_EQ(bad, 0);
}

}  // namespace
