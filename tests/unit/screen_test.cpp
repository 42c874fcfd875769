// UScreen through a real Lua state: gui.create on the software device, the
// draw module's arguments and messages, the scene clear, the letterbox
// transform of stretched full screen, mode switches and device-loss recovery
// (also with an off-screen scene open, or its flag left by a failed begin).
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/screen.h"
#include "graphics/texture.h"
#include "host/engine.h"
#include "host/modules.h"
#include "host/options.h"
#include "host/window.h"
#include "image/bitmap.h"
#include "image/image_io.h"
#include "platform/text.h"
#include "fake_screen_lua.h"

using namespace qor;

namespace {

class Screen : public ::testing::Test {
 protected:
  static lua_State* L;

  static void SetUpTestSuite() {
    g_options.headless = true;
    g_options.renderer = "soft";
    g_options.desktopWidth = 1920;
    g_options.desktopHeight = 1080;
    g_logEnabled = false;
    NoScreen();  // other suites may have made a window
    L = luaL_newstate();
    luaL_openlibs(L);
    RegisterModules(L);
  }
  static void TearDownTestSuite() {
    lua_close(L);
    L = nullptr;
    NoScreen();
  }
  // Back to the state before gui.create: no device, no window.
  static void NoScreen() {
    g_screen.device.reset();
    DestroyMainWindow();
    g_screen = UScreen();
  }

  static std::string Try(const char* lua) { return test::RunLua(L, lua); }
  static void Run(const char* lua) { test::ExpectLuaOk(L, lua); }
  static void Create() {
    if (!g_screen.device) Run("gui.create(640, 480)");
    ASSERT_TRUE(g_screen.device);
    if (g_screen.mode != 0) Run("gui.setscreenmode(0)");
  }
  static std::vector<uint32_t> Read() {
    Device* d = g_screen.device.get();
    std::vector<uint32_t> px(static_cast<size_t>(d->BackWidth()) * d->BackHeight());
    d->ReadPixels(px.data(), d->BackWidth() * 4, d->BackWidth(), d->BackHeight());
    return px;
  }
};
lua_State* Screen::L = nullptr;

Vertex V(float x, float y, uint32_t c = 0xFFFFFFFF) { return Vertex{x, y, 0, 1, c, 0, 0}; }

// An untextured rectangle over pixels [x0, x1) x [y0, y1) of the game screen.
void Rect(float x0, float y0, float x1, float y1, uint32_t c = 0xFFFFFFFF) {
  x0 -= 0.5f, y0 -= 0.5f, x1 -= 0.5f, y1 -= 0.5f;  // pixel edges
  Vertex q[4] = {V(x0, y0, c), V(x1, y0, c), V(x0, y1, c), V(x1, y1, c)};
  UnbindTexture();
  DrawPrimitives(PT_TRIANGLESTRIP, 2, q);
}

}  // namespace

// The draw messages before gui.create are checked by tests/lua/screen_messages.
TEST_F(Screen, BeforeCreateOnlyBlendAndEndSceneWork) {
  NoScreen();
  Run("gui.setscreenmode(0)");  // already windowed: nothing to do
  EXPECT_NE(Try("gui.setscreenmode(1)").find("gui.createの前"), std::string::npos);
}

TEST_F(Screen, CreateMakesABlackScreen) {
  Create();
  Run("assert(gui.isenable() == true and gui.getscreenmode() == 0)");
  EXPECT_STREQ(g_screen.device->Name(), "soft");
  EXPECT_EQ(g_screen.device->BackWidth(), 640);
  EXPECT_EQ(g_screen.device->BackHeight(), 480);
  EXPECT_EQ(g_screen.desktopWidth, 1920);
  for (uint32_t p : Read()) ASSERT_EQ(p, 0xFF000000u);
  // A second creation is refused: the screen_create_twice scenario.
}

TEST_F(Screen, BeginSceneArguments) {
  Create();
  Run("draw.beginscene(nil) draw.endscene()");
  EXPECT_FALSE(g_screen.partialUpdate);
  EXPECT_EQ(g_screen.updateRect.right, 639);
  EXPECT_EQ(g_screen.updateRect.bottom, 479);
  Run("draw.beginscene(1, 2, 3, 4)");
  EXPECT_TRUE(g_screen.partialUpdate);
  Run("draw.endscene()");
  EXPECT_FALSE(g_screen.partialUpdate);
}

TEST_F(Screen, WindowedClearLeavesTheLastColumnAndRow) {
  Create();
  g_screen.device->Clear(nullptr, 0xFFFFFFFF);
  Run("draw.beginscene()");
  auto px = Read();
  EXPECT_EQ(px[0], 0xFF000000u);
  EXPECT_EQ(px[638 + 478 * 640], 0xFF000000u);
  EXPECT_EQ(px[639], 0xFFFFFFFFu);             // right-most column keeps its old contents
  EXPECT_EQ(px[479 * 640 + 5], 0xFFFFFFFFu);   // and so does the bottom row
  Run("draw.endscene()");
  g_screen.device->Clear(nullptr, 0xFFFFFFFF);
  Run("draw.beginscene(0, 0, 0, 0)");  // all zero: everything
  for (uint32_t p : Read()) ASSERT_EQ(p, 0xFF000000u);
  Run("draw.endscene()");
  g_screen.device->Clear(nullptr, 0xFFFFFFFF);
  Run("draw.beginscene(10, 20, 12, 21)");  // a D3DRECT: 2 x 1 pixels
  px = Read();
  EXPECT_EQ(px[20 * 640 + 10], 0xFF000000u);
  EXPECT_EQ(px[20 * 640 + 11], 0xFF000000u);
  EXPECT_EQ(px[20 * 640 + 12], 0xFFFFFFFFu);
  EXPECT_EQ(px[21 * 640 + 10], 0xFFFFFFFFu);
  Run("draw.endscene()");
}

TEST_F(Screen, BeginSceneRestoresNormalBlendAndUntexturedDraws) {
  Create();
  auto halfQuad = [] { Rect(0, 0, 4, 4, 0x80FF0000); };
  Run("draw.beginscene() draw.blend(1)");
  EXPECT_EQ(g_screen.blend, BLEND_ADD);
  halfQuad();
  halfQuad();
  EXPECT_EQ(Read()[0], 0xFFFF0000u);  // 128 + 128 saturates
  Run("draw.endscene() draw.beginscene()");
  halfQuad();
  EXPECT_EQ(Read()[0], 0xFF800000u);  // normal: 255*128/255 over black
  Run("draw.endscene()");
}

TEST_F(Screen, StretchedModeMapsIntoTheLetterbox) {
  Create();
  // The picture fills the 1920 x 1080 desktop's height or width, keeping its shape.
  struct { int w, h, stretchW, stretchH; } sizes[] = {{480, 640, 810, 1080}, {640, 480, 1440, 1080}};
  for (auto s : sizes) {
    SetScreenSize(s.w, s.h);
    Run("gui.setscreenmode(2)");
    EXPECT_EQ(g_screen.stretchWidth, s.stretchW) << s.w << "x" << s.h;
    EXPECT_EQ(g_screen.stretchHeight, s.stretchH) << s.w << "x" << s.h;
    EXPECT_EQ(g_screen.device->BackWidth(), 1920);
    EXPECT_EQ(g_screen.device->BackHeight(), 1080);
    Run("assert(gui.getscreenmode() == 2)");
    if (s.w != 640) Run("gui.setscreenmode(0)");
  }

  Run("draw.beginscene()");
  Rect(0, 0, 640, 480);
  auto px = Read();
  // The whole screen becomes exactly the 1440 x 1080 picture between two black bars.
  for (int y : {0, 540, 1079}) {
    EXPECT_EQ(px[y * 1920 + 239], 0xFF000000u) << y;
    EXPECT_EQ(px[y * 1920 + 240], 0xFFFFFFFFu) << y;
    EXPECT_EQ(px[y * 1920 + 1679], 0xFFFFFFFFu) << y;
    EXPECT_EQ(px[y * 1920 + 1680], 0xFF000000u) << y;
  }
  // Points and lines cannot be drawn here...
  Vertex pt[2] = {V(1, 1), V(5, 5)};
  for (PrimitiveType t : {PT_POINTLIST, PT_LINELIST, PT_LINESTRIP})
    EXPECT_EQ(DrawPrimitives(t, 1, pt), GfxStatus::UnsupportedPrimitive);
  EXPECT_FLOAT_EQ(pt[0].x, 1.0f);  // refused before anything was rewritten
  Run("draw.endscene()");

  // The full-screen clear ignores the rectangle outside windowed mode.
  g_screen.device->Clear(nullptr, 0xFFFFFFFF);
  Run("draw.beginscene() draw.endscene()");
  for (uint32_t p : Read()) ASSERT_EQ(p, 0xFF000000u);
  Run("gui.setscreenmode(0)");
  EXPECT_EQ(g_screen.device->BackWidth(), 640);
}

// That a second switch to the same mode does nothing is screen_bootlog's check.
TEST_F(Screen, FullScreenKeepsTheScreenSize) {
  Create();
  Run("gui.setscreenmode(1)");
  EXPECT_EQ(g_screen.device->BackWidth(), 640);
  Run("gui.setscreenmode(0)");
}

TEST_F(Screen, FailedPresentRecoversAndTheNextFrameDraws) {
  Create();
  g_screen.device->FailNextPresent();
  Run("draw.beginscene() assert(draw.endscene() == false)");
  EXPECT_FALSE(g_screen.modeChanging);
  EXPECT_EQ(g_screen.device->BackWidth(), 640);
  Run("draw.beginscene()");
  Rect(0, 0, 1, 1);
  Run("assert(draw.endscene() == true)");
  std::vector<uint32_t> front(640 * 480);
  g_screen.device->ReadFrontBuffer(front.data(), 640 * 4);
  EXPECT_EQ(front[0], 0xFFFFFFFFu);
  EXPECT_EQ(front[1], 0xFF000000u);
  // A recovery requested while one runs does nothing.
  g_screen.modeChanging = true;
  g_screen.device->Clear(nullptr, 0xFF00FF00);
  RecoverLostDevice();
  EXPECT_EQ(Read()[0], 0xFF00FF00u);
  g_screen.modeChanging = false;
}

TEST_F(Screen, HookErrorDuringModeSwitchLeavesTheSwitchComplete) {
  Create();
  Run("callback = {onclose = function() error('hook failed') end}");
  SDL_Event quit{};
  quit.type = SDL_QUIT;  // a close request: the pump of the switch runs the hook
  ASSERT_EQ(SDL_PushEvent(&quit), 1);
  EXPECT_NE(Try("gui.setscreenmode(2)").find("hook failed"), std::string::npos);
  Run("callback = nil; assert(gui.getscreenmode() == 2)");
  EXPECT_EQ(g_screen.stretchWidth, 1440);
  EXPECT_EQ(g_screen.stretchHeight, 1080);
  EXPECT_EQ(g_screen.device->BackWidth(), 1920);
  EXPECT_FALSE(g_screen.modeChanging);
  Run("gui.setscreenmode(0)");
}

TEST_F(Screen, OpenOffscreenSceneContinuesAfterModeSwitchAndFailedPresent) {
  Create();
  Run("white = texture.create(2, 2); white:fill(0xFFFFFFFF); t = texture.create(640, 480)");
  UTexture* t = test::GlobalObject(L, "t");
  auto checkT = [&] {
    EXPECT_EQ(test::TexelAt(t, 0, 0), 0xFFFFFFFFu);  // the draw reached the texture...
    EXPECT_EQ(test::TexelAt(t, 5, 0), 0xFF000000u);  // ...on a black target
    Run("t:fill(0)");
  };
  // A mode switch while the scene is open: it goes on in a new target.
  Run("t:beginscene(); gui.setscreenmode(1); white:draw(0, 0, 255); t:endscene()");
  checkT();
  // A failed present while the scene is open, then the same.
  g_screen.device->FailNextPresent();
  Run("t:beginscene(); assert(draw.endscene() == false); white:draw(0, 0, 255); t:endscene()");
  checkT();
  Run("draw.beginscene(0, 0, 0, 0); assert(draw.endscene()); gui.setscreenmode(0)");
}

TEST_F(Screen, StaleTargetFlagSurvivesResetsAndBitmapEndSceneRepairsIt) {
  Create();
  Run("white = texture.create(2, 2); white:fill(0xFFFFFFFF); t = texture.create(8, 8)");
  // texture:beginscene inside a screen scene fails and leaves the flag set.
  Run("draw.beginscene(); assert(not pcall(t.beginscene, t)); draw.endscene()");
  Run("gui.setscreenmode(1)");
  g_screen.device->FailNextPresent();
  Run("draw.beginscene(); assert(draw.endscene() == false)");
  // The screen still draws to the screen; only new off-screen scenes wait.
  Run("draw.beginscene(0, 0, 0, 0); white:draw(0, 0, 255)");
  EXPECT_EQ(Read()[0], 0xFFFFFFFFu);
  Run("assert(draw.endscene())");
  EXPECT_NE(Try("t:beginscene()").find("レンダリングターゲットはひとつだけです。"), std::string::npos);
  Run("bitmap.create(1, 1):endscene(); t:beginscene(); t:endscene(); gui.setscreenmode(0)");
  Run("draw.beginscene(); assert(draw.endscene())");
}

// Runs last in this suite: the clean-up releases the device.
TEST_F(Screen, ShutdownWritesTheLastPresentedFrame) {
  Create();
  std::string file = testing::TempDir() + "qor_screen_shot.png";
  remove(file.c_str());
  g_options.screenshot = file;
  Run("draw.beginscene(0, 0, 0, 0)");
  Rect(10, 20, 12, 21, 0xFF204080);
  Run("assert(draw.endscene())");
  Run("draw.beginscene(0, 0, 0, 0)");  // a frame begun but never presented is not the screenshot
  g_screen.device->Clear(nullptr, 0xFFFFFFFF);
  ShutdownScreen();
  DestroyMainWindow();
  g_options.screenshot.clear();
  EXPECT_FALSE(g_screen.device);

  UBitmap shot{};
  ASSERT_EQ(LoadImageToBitmap(file.c_str(), ResourceLocation{file, 0, 0, false}, &shot), ImageStatus::Ok);
  ASSERT_EQ(shot.width, 640);
  ASSERT_EQ(shot.height, 480);
  auto px = [&](int x, int y) { return reinterpret_cast<const uint32_t*>(shot.pixels)[y * 640 + x]; };
  EXPECT_EQ(px(10, 20), 0xFF204080u);
  EXPECT_EQ(px(11, 20), 0xFF204080u);
  EXPECT_EQ(px(12, 20), 0xFF000000u);
  EXPECT_EQ(px(0, 0), 0xFF000000u);  // not the white of the unpresented frame
  BitmapRelease(&shot);
  remove(file.c_str());
}
