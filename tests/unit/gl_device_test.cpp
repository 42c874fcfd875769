// The OpenGL device against the software reference: the same scenes drawn by
// both must agree within 2 per channel and cover exactly the same pixels.
// Runs headless through SDL's offscreen driver; skips when no OpenGL 3.3
// context can be had on the machine.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <vector>

#include "device_draw.h"
#include "gl_test_video.h"
#include "graphics/device.h"
#include "graphics/frame_scale.h"

using namespace qor;
using namespace qor::test;

// Mesa and LLVM keep allocations alive for the life of the process (shader
// caches, the loaded driver); they are not ours to free. SDL video is left
// running by these tests so that the driver stays loaded and its frames can
// be recognised here.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:swrast_dri.so\nleak:libgallium\nleak:libLLVM\nleak:libEGL_mesa\nleak:libglapi\n"
         "leak:libGLX_mesa\nleak:libdrm\nleak:SDL_GL_CreateContext\nleak:SDL_CreateWindow\n";
}

namespace {

constexpr int kW = 96, kH = 64;

// Opaque, every texel different from its neighbours.
uint32_t Opaque(int x, int y) { return 0xFF000000u | (x * 29 + 3) << 16 | (y * 41 + 7) << 8 | ((x * 5 + y * 11) & 255); }
// Varying alpha, including 0 and 255.
uint32_t Translucent(int x, int y) {
  uint32_t a = (x * 37 + y * 53) & 255;
  if (x == 0) a = 0;
  if (y == 0) a = 255;
  return a << 24 | (x * 17 + 40) << 16 | (200 - y * 9) << 8 | (x * y * 3 & 255);
}

class GLDeviceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { videoUp_ = StartHeadlessGLVideo(); }

  void SetUp() override {
    if (!videoUp_) GTEST_SKIP() << "no SDL video: " << SDL_GetError();
    PrepareGLAttributes();
    window_ = SDL_CreateWindow("gl test", 0, 0, kW, kH, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window_) GTEST_SKIP() << "no OpenGL window: " << SDL_GetError();
    std::string err;
    gl_ = CreateGLDevice(window_, kW, kH, &err);
    if (!gl_) GTEST_SKIP() << "no OpenGL 3.3 device: " << err;
    soft_ = CreateSoftDevice(nullptr, kW, kH, &err);
    ASSERT_TRUE(soft_) << err;
  }
  void TearDown() override {
    gl_.reset();
    soft_.reset();
    if (window_) SDL_DestroyWindow(window_);
  }

  // Runs the same scene on both devices.
  void Both(const std::function<void(Device*)>& scene) {
    scene(soft_.get());
    scene(gl_.get());
  }

  static std::vector<uint32_t> Read(Device* d, int w = kW, int h = kH) {
    std::vector<uint32_t> px(static_cast<size_t>(w) * h, 0x12345678);
    d->ReadPixels(px.data(), w * 4, w, h);
    return px;
  }
  static std::vector<uint32_t> Front(Device* d) {
    std::vector<uint32_t> px(static_cast<size_t>(kW) * kH, 0x12345678);
    d->ReadFrontBuffer(px.data(), kW * 4);
    return px;
  }

  // Every channel within `tolerance`; pixels equal to `background` in one
  // picture must be the background in the other (coverage). Reports the first
  // few differences.
  static void ExpectSame(const std::vector<uint32_t>& soft, const std::vector<uint32_t>& gl, uint32_t background,
                         int w = kW, int tolerance = 2) {
    ASSERT_EQ(soft.size(), gl.size());
    int reported = 0;
    for (size_t i = 0; i < soft.size(); ++i) {
      uint32_t a = soft[i], b = gl[i];
      bool close = true;
      for (int sh = 0; sh < 32; sh += 8)
        close = close && std::abs(int((a >> sh) & 255) - int((b >> sh) & 255)) <= tolerance;
      bool coverage = (a == background) == (b == background);
      if ((!close || !coverage) && reported++ < 8)
        ADD_FAILURE() << "pixel (" << i % w << ", " << i / w << "): soft " << std::hex << a << " gl " << b;
    }
  }

  void CompareScene(uint32_t background, const std::function<void(Device*)>& scene) {
    Both([&](Device* d) {
      d->BeginScene();
      d->Clear(nullptr, background);
      scene(d);
      d->EndScene();
    });
    ExpectSame(Read(soft_.get()), Read(gl_.get()), background);
  }

  static inline bool videoUp_ = false;
  SDL_Window* window_ = nullptr;
  std::unique_ptr<Device> gl_, soft_;
};

TEST_F(GLDeviceTest, BlendModesAndModulationMatchTheReference) {
  for (BlendMode mode : {BLEND_NORMAL, BLEND_ADD}) {
    SCOPED_TRACE(mode);
    CompareScene(0xFF4080C0, [&](Device* d) {
      DeviceTexture* t = MakeTexture(d, 16, 16, Translucent);
      d->SetBlend(mode);
      d->SetTexture(t);
      Sprite(d, t, 2, 2, 16, 16);
      Sprite(d, t, 20, 2, 16, 16, 0, 0, 0x80FFFFFF);  // half alpha
      Sprite(d, t, 38, 2, 16, 16, 0, 0, 0xFF80FF40);  // tinted
      Sprite(d, t, 10, 10, 16, 16, 0, 0, 0xC0FFFFFF);  // over the first ones
      d->SetTexture(nullptr);
      // Gouraud-shaded untextured triangles, translucent.
      Vertex tri[3] = {V(2, 30, 0xFFFF0000), V(60, 34, 0x8000FF00), V(20, 62, 0x200000FF)};
      d->Draw(PT_TRIANGLELIST, tri, 3);
      Vertex fan[5] = {V(75, 40, 0xFFFFFFFF), V(60, 30, 0x80FF8000), V(90, 30, 0x80FF8000),
                       V(92, 60, 0xFF0080FF), V(60, 62, 0x40FFFF00)};
      d->Draw(PT_TRIANGLEFAN, fan, 5);
      // Edges through pixel centres: the same tie rule, and (added) no shared edge drawn twice.
      const uint32_t c = 0x80FFFFFF;
      Vertex ties[6] = {V(80, 20, c), V(70, 10, c), V(90, 10, c), V(94, 30, c), V(70, 34, c), V(70, 10, c)};
      d->Draw(PT_TRIANGLEFAN, ties, 6);
      d->DestroyTexture(t);
    });
  }
}

TEST_F(GLDeviceTest, ClearRectangleLeavesTheLastColumnAndRow) {
  Both([&](Device* d) {
    d->Clear(nullptr, 0xFFFF0000);
    DeviceRect r{0, 0, kW - 1, kH - 1};
    d->Clear(&r, 0xFF00FF00);
    DeviceRect inner{10, 20, 30, 25};
    d->Clear(&inner, 0x000000FF);  // alpha ignored
    DeviceRect outside{kW + 5, 0, kW + 10, 5};
    d->Clear(&outside, 0xFFFFFFFF);  // nothing to do
  });
  ExpectSame(Read(soft_.get()), Read(gl_.get()), 0);
}

TEST_F(GLDeviceTest, StretchedPositionsCoverTheSamePixels) {
  // Vertices mapped like a letterboxed screen: scaled, offset, + 0.5.
  CompareScene(0xFF000000, [&](Device* d) {
    DeviceTexture* t = MakeTexture(d, 8, 8, [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFFFu : 0xFF8080FFu; });
    d->SetTexture(t);
    const float sx = 1.5f, offX = 6.0f;
    auto map = [&](float x, float y) { return V(x * sx + offX + 0.5f, y * sx + 0.5f); };
    for (int i = 0; i < 4; ++i) {
      float x0 = 2 + i * 13 - 0.5f, y0 = 3 + i * 7 - 0.5f;
      Vertex q[4] = {map(x0, y0), map(x0 + 8, y0), map(x0, y0 + 8), map(x0 + 8, y0 + 8)};
      q[0].u = q[2].u = 0;
      q[1].u = q[3].u = 1;
      q[0].v = q[1].v = 0;
      q[2].v = q[3].v = 1;
      d->Draw(PT_TRIANGLESTRIP, q, 4);
    }
    d->SetTexture(nullptr);
    Vertex shape[4] = {map(1, 50), map(40.25f, 50), map(1, 58.75f), map(40.25f, 58.75f)};
    for (Vertex& v : shape) v.diffuse = 0xFFC0A020;
    d->Draw(PT_TRIANGLESTRIP, shape, 4);
    d->DestroyTexture(t);
  });
}

TEST_F(GLDeviceTest, TurnedAndScaledSpritesPickTheSameTexels) {
  // Rotations put many pixel centres exactly on texel boundaries; both
  // devices must then pick the texel to the right/below.
  CompareScene(0xFF000000, [&](Device* d) {
    DeviceTexture* t = MakeTexture(d, 12, 10, Opaque);
    d->SetTexture(t);
    int n = 0;
    for (double angle : {0.5 * M_PI, M_PI, 0.25 * M_PI, 0.3, -1.1}) {
      for (double scale : {1.0, 2.0, 0.75}) {
        float cx = 14.5f + (n % 5) * 18, cy = 12.5f + (n / 5) * 20;
        ++n;
        double c = std::cos(angle), s = std::sin(angle), hw = 6 * scale, hh = 5 * scale;
        Vertex q[4];
        const double corner[4][2] = {{-hw, -hh}, {hw, -hh}, {-hw, hh}, {hw, hh}};
        for (int k = 0; k < 4; ++k) {
          q[k] = V(static_cast<float>(cx - 0.5 + corner[k][0] * c - corner[k][1] * s),
                   static_cast<float>(cy - 0.5 + corner[k][0] * s + corner[k][1] * c), 0xFFFFFFFF, k & 1 ? 1.f : 0.f,
                   k & 2 ? 1.f : 0.f);
        }
        d->Draw(PT_TRIANGLESTRIP, q, 4);
      }
    }
    d->DestroyTexture(t);
  });
}

TEST_F(GLDeviceTest, PointsAndLinesLightTheReferencePixels) {
  CompareScene(0xFF000000, [&](Device* d) {
    Vertex pts[6] = {V(1, 1), V(3.5f, 3.5f), V(5.49f, 5.51f), V(7.5f, 1, 0xFF00FF00), V(-0.5f, 10), V(95.6f, 63.4f)};
    d->Draw(PT_POINTLIST, pts, 6);
    Vertex lines[12] = {V(1, 12), V(30, 12),          V(1, 14, 0xFFFF0000), V(30, 24, 0xFF0000FF),
                        V(40, 60), V(40, 14),         V(50.5f, 20.5f), V(60.5f, 20.5f),
                        V(-20, 30), V(120, 40),       V(70, 5, 0x80FFFFFF), V(60, 15, 0x80FFFFFF)};
    d->Draw(PT_LINELIST, lines, 12);
    Vertex strip[5] = {V(5, 40), V(25, 40), V(25, 58), V(5, 58), V(5, 40)};
    d->Draw(PT_LINESTRIP, strip, 5);
  });
}

TEST_F(GLDeviceTest, OffscreenTargetIsReadBackWithoutTouchingTheBackBuffer) {
  std::vector<uint32_t> softOff, glOff;
  Both([&](Device* d) {
    d->Clear(nullptr, 0xFF102030);
    ASSERT_TRUE(d->SetOffscreenTarget(true, kW, kH));
    d->BeginScene();
    d->Clear(nullptr, 0xFF000000);
    DeviceTexture* t = MakeTexture(d, 16, 16, Translucent);
    d->SetTexture(t);
    Sprite(d, t, 5, 7, 16, 16);
    d->SetTexture(nullptr);
    Vertex tri[3] = {V(30, 2, 0xFFFF0000), V(90, 10, 0xFF00FF00), V(50, 60, 0xFF0000FF)};
    d->Draw(PT_TRIANGLELIST, tri, 3);
    d->EndScene();
    auto px = Read(d);
    (d == soft_.get() ? softOff : glOff) = px;
    ASSERT_TRUE(d->SetOffscreenTarget(false, 0, 0));
    d->DestroyTexture(t);
  });
  ExpectSame(softOff, glOff, 0xFF000000);
  // A read larger than the target is padded with opaque black.
  std::vector<uint32_t> big(static_cast<size_t>(kW + 4) * (kH + 2), 0);
  gl_->ReadPixels(big.data(), (kW + 4) * 4, kW + 4, kH + 2);
  EXPECT_EQ(big[0], 0xFF102030u);
  EXPECT_EQ(big[kW + 1], 0xFF000000u);
  EXPECT_EQ(big.back(), 0xFF000000u);
  ExpectSame(Read(soft_.get()), Read(gl_.get()), 0);
}

TEST_F(GLDeviceTest, LargeDrawsAndManyTexturesKeepTheirOrder) {
  CompareScene(0xFF000000, [&](Device* d) {
    // Far more vertices than one batch holds, overlapping many times over:
    // opaque colours that change with every primitive show any reordering.
    std::vector<Vertex> strip;
    for (int i = 0; i < 9000; ++i) {
      float x = (i % 90) + 0.25f * (i / 90 % 4);
      uint32_t c = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
      strip.push_back(V(x, 2, c));
      strip.push_back(V(x + 1.5f, 30, c));
    }
    d->Draw(PT_TRIANGLESTRIP, strip.data(), static_cast<int>(strip.size()));
    std::vector<Vertex> list;
    for (int i = 0; i < 9000; ++i) {
      float x = i % 90, y = 34 + i % 25;
      uint32_t c = 0xFF000000u | static_cast<uint32_t>(i * 2246822519u >> 8);
      list.push_back(V(x, y, c));
      list.push_back(V(x + 3, y, c));
      list.push_back(V(x, y + 3, c));
    }
    d->Draw(PT_TRIANGLELIST, list.data(), static_cast<int>(list.size()));
    // Then more textures than the device binds at once, switching every
    // draw, between untextured shapes and blend changes.
    std::vector<DeviceTexture*> tex;
    for (int i = 0; i < 7; ++i)
      tex.push_back(MakeTexture(d, 6, 6, [i](int x, int y) { return Translucent(x + i * 6, y + i); }));
    for (int n = 0; n < 120; ++n) {
      int i = (n * 5) % 7;
      if (n % 17 == 0) d->SetBlend(n % 2 ? BLEND_ADD : BLEND_NORMAL);
      if (n % 11 == 0) {
        d->SetTexture(nullptr);
        Vertex tri[3] = {V(n % 90, n % 60, 0x80FF00FF), V(n % 90 + 6, n % 60, 0x80FF00FF),
                         V(n % 90, n % 60 + 6, 0x80FF00FF)};
        d->Draw(PT_TRIANGLELIST, tri, 3);
        continue;
      }
      d->SetTexture(tex[i]);
      Sprite(d, tex[i], (n * 13) % 90, (n * 7) % 58, 6, 6);
    }
    for (DeviceTexture* t : tex) d->DestroyTexture(t);
  });
}

TEST_F(GLDeviceTest, PresentKeepsTheShownFrameReadable) {
  std::vector<uint32_t> frame1[2];
  Both([&](Device* d) {
    d->BeginScene();
    d->Clear(nullptr, 0xFF336699);
    Vertex tri[3] = {V(0, 0, 0xFFFFFF00), V(50, 0, 0xFFFFFF00), V(0, 50, 0xFFFFFF00)};
    d->Draw(PT_TRIANGLELIST, tri, 3);
    d->EndScene();
    ASSERT_TRUE(d->Present());
    frame1[d == gl_.get()] = Front(d);
    // The next frame, half drawn: the front still shows frame 1.
    d->BeginScene();
    DeviceRect r{0, 0, kW - 1, kH - 1};
    d->Clear(&r, 0xFF000000);
    Vertex dot[1] = {V(5, 5)};
    d->Draw(PT_POINTLIST, dot, 1);
    ASSERT_EQ(Front(d), frame1[d == gl_.get()]);
    d->EndScene();
    ASSERT_TRUE(d->Present());
  });
  ExpectSame(frame1[0], frame1[1], 0xFF336699);
  auto gl = Front(gl_.get());
  ExpectSame(Front(soft_.get()), gl, 0xFF000000);
  EXPECT_EQ(gl[kW - 1], 0xFF336699u);  // last column kept from frame 1
  EXPECT_EQ(gl[5 * kW + 5], 0xFFFFFFFFu);
}

TEST_F(GLDeviceTest, LostDeviceComesBackWithItsTextures) {
  std::vector<DeviceTexture*> tex;
  Both([&](Device* d) {
    DeviceTexture* t = MakeTexture(d, 10, 10, Opaque);
    tex.push_back(t);
    d->SetTexture(t);
    Sprite(d, t, 1, 1, 10, 10);
    d->FailNextPresent();
    EXPECT_FALSE(d->Present());
    ASSERT_TRUE(d->Reset(kW, kH));
    EXPECT_EQ(d->BackWidth(), kW);
    d->BeginScene();
    d->Clear(nullptr, 0xFF000000);
    d->SetTexture(t);  // a reset forgets the bound texture
    Sprite(d, t, 20, 20, 10, 10);
    d->EndScene();
    EXPECT_TRUE(d->Present());
  });
  ExpectSame(Read(soft_.get()), Read(gl_.get()), 0xFF000000);
  soft_->DestroyTexture(tex[0]);
  gl_->DestroyTexture(tex[1]);
}

TEST_F(GLDeviceTest, ResetToAnotherSizeAndTextureLimits) {
  ASSERT_TRUE(gl_->Reset(40, 30));
  EXPECT_EQ(gl_->BackWidth(), 40);
  EXPECT_EQ(gl_->BackHeight(), 30);
  gl_->Clear(nullptr, 0xFF00FF00);
  auto px = Read(gl_.get(), 40, 30);
  EXPECT_EQ(px[29 * 40 + 39], 0xFF00FF00u);
  DeviceTexture* t = nullptr;
  EXPECT_EQ(gl_->CreateTexture(0, 10, &t), TextureResult::InvalidCall);
  EXPECT_EQ(gl_->CreateTexture(20000, 4, &t), TextureResult::InvalidCall);
  EXPECT_EQ(t, nullptr);
  ASSERT_EQ(gl_->CreateTexture(3, 5, &t), TextureResult::Ok);
  EXPECT_EQ(t->pitch, 12);
  EXPECT_EQ(Row(t, 4)[2], 0u);  // starts zeroed, like the reference
  gl_->DestroyTexture(t);
  EXPECT_FALSE(gl_->BeginScene() && gl_->BeginScene());
}

// A window of another size than the frame (full screen at the screen's size,
// HiDPI) shows the frame scaled by one rule in both devices: nearest pixel at
// pixel centres (graphics/frame_scale.h). A one-pixel checkerboard of
// distinct colours shows any other sampling; the same size shows it upright.
TEST_F(GLDeviceTest, PresentScalesTheFrameIntoTheWindowByOneRule) {
  constexpr int fw = 64, fh = 48;
  auto checker = [](int x, int y) {
    return ((x + y) & 1) ? 0xFFFFFFFFu : 0xFF000000u | uint32_t(x * 4) << 16 | uint32_t(y * 5) << 8 | 0x40u;
  };
  auto glBind = reinterpret_cast<void (*)(unsigned, unsigned)>(SDL_GL_GetProcAddress("glBindFramebuffer"));
  auto glRead = reinterpret_cast<void (*)(int, int, int, int, unsigned, unsigned, void*)>(
      SDL_GL_GetProcAddress("glReadPixels"));
  ASSERT_TRUE(glBind && glRead);
  // What a window of ww x wh shows after one present, top row first, as
  // 0xFFRRGGBB. One device at a time: SDL may keep a window surface with a GL
  // context of its own.
  auto shown = [&](bool gl, int ww, int wh) {
    std::vector<uint32_t> px(static_cast<size_t>(ww) * wh), bottomUp(px.size());
    std::string err;
    if (gl) setenv("QOR_GL_SHOW_OFFSCREEN", "1", 1);  // the offscreen driver normally skips the window copy
    SDL_Window* window = SDL_CreateWindow("shown", 0, 0, ww, wh, SDL_WINDOW_HIDDEN | (gl ? SDL_WINDOW_OPENGL : 0));
    std::unique_ptr<Device> d;
    if (window) d = gl ? CreateGLDevice(window, fw, fh, &err) : CreateSoftDevice(window, fw, fh, &err);
    unsetenv("QOR_GL_SHOW_OFFSCREEN");
    EXPECT_TRUE(d) << err << SDL_GetError();
    if (d) {
      DeviceTexture* t = MakeTexture(d.get(), fw, fh, checker);
      d->BeginScene();
      d->SetTexture(t);
      Sprite(d.get(), t, 0, 0, fw, fh);
      d->EndScene();
      EXPECT_TRUE(d->Present());
      d->DestroyTexture(t);
      SDL_Surface* surface = gl ? nullptr : SDL_ConvertSurfaceFormat(SDL_GetWindowSurface(window), SDL_PIXELFORMAT_ARGB8888, 0);
      if (gl) {
        glBind(0x8CA8 /* GL_READ_FRAMEBUFFER */, 0);
        glRead(0, 0, ww, wh, 0x80E1 /* GL_BGRA */, 0x1401 /* GL_UNSIGNED_BYTE */, bottomUp.data());
      }
      for (int y = 0; y < wh; ++y)
        for (int x = 0; x < ww; ++x)
          px[y * ww + x] = 0xFF000000u | (gl ? bottomUp[(wh - 1 - y) * ww + x]
                                             : reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) + y * surface->pitch)[x]);
      SDL_FreeSurface(surface);
    }
    d.reset();
    if (window) SDL_DestroyWindow(window);
    return px;
  };
  const int sizes[][2] = {{fw, fh}, {96, 72}, {150, 100}, {40, 30}};
  for (const auto& size : sizes) {
    const int ww = size[0], wh = size[1];
    SCOPED_TRACE(testing::Message() << ww << "x" << wh);
    const std::vector<uint32_t> softShown = shown(false, ww, wh), glShown = shown(true, ww, wh);
    int bad = 0;
    for (int y = 0; y < wh; ++y)
      for (int x = 0; x < ww; ++x) {
        const uint32_t want = checker(ScaledSourcePixel(x, fw, ww), ScaledSourcePixel(y, fh, wh));
        const uint32_t g = glShown[y * ww + x], s = softShown[y * ww + x];
        if ((g != want || s != want) && bad++ < 5)
          ADD_FAILURE() << "window pixel " << x << "," << y << std::hex << ": gl " << g << " soft " << s << " want " << want;
      }
  }
}

TEST(GLProbe, RecognisesSoftwareRenderers) {
  EXPECT_TRUE(IsSoftwareRenderer("llvmpipe (LLVM 15.0.6, 256 bits)"));
  EXPECT_TRUE(IsSoftwareRenderer("Software Rasterizer"));
  EXPECT_FALSE(IsSoftwareRenderer("AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49)"));  // LLVM in a hardware name
}

TEST(GLProbe, ReportsTheRendererAndLeavesSdlRunning) {
  if (!StartHeadlessGLVideo()) GTEST_SKIP() << "no SDL video: " << SDL_GetError();
  std::string renderer;
  bool software = true;
  bool ok = ProbeOpenGL(&renderer, &software);
  if (ok) {
    EXPECT_FALSE(renderer.empty());
    EXPECT_EQ(software, IsSoftwareRenderer(renderer));
  } else {
    EXPECT_TRUE(renderer.empty());
  }
  EXPECT_NE(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}

}  // namespace
