// The software device: coverage, sampling, blending and the frame, checked
// against pixels computed here from the drawing rules.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "graphics/device.h"
#include "graphics/soft/soft_device.h"
#include "graphics/soft/soft_raster.h"
#include "device_draw.h"

using namespace qor;
using namespace qor::test;

namespace {

struct Fixture {
  std::unique_ptr<Device> dev;
  int w, h;
  Fixture(int width, int height) : w(width), h(height) {
    std::string err;
    dev = CreateSoftDevice(nullptr, w, h, &err);
    EXPECT_TRUE(dev) << err;
    if (dev) dev->BeginScene();  // draws count only inside a scene
  }
  std::vector<uint32_t> Read() {
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    dev->ReadPixels(px.data(), w * 4, w, h);
    return px;
  }
  uint32_t At(int x, int y) { return Read()[static_cast<size_t>(y) * w + x]; }
};

uint32_t Pattern(int x, int y) { return 0xFF000000u | (x * 7 + 1) << 16 | (y * 13 + 2) << 8 | ((x ^ y) & 255); }

}  // namespace

TEST(SoftArithmetic, Div255RoundsToNearestOverTheWholeRange) {
  for (uint32_t x = 0; x <= 65280; ++x) ASSERT_EQ(soft::Div255(x), uint32_t(std::floor(x / 255.0 + 0.5))) << x;
}

TEST(SoftArithmetic, VectorKernelsMatchThePerPixelReference) {
  for (bool avx2 : {true, false}) {
  bool before = soft::SpanKernelsUseAvx2(avx2);
  std::mt19937 rng(7);
  std::vector<uint32_t> src(67), dst(67), want(67);
  for (int mode = 0; mode < 2; ++mode) {
    for (int round = 0; round < 200; ++round) {
      for (size_t i = 0; i < src.size(); ++i) {
        src[i] = rng();
        dst[i] = rng() | 0xFF000000u;
        // runs of fully transparent and fully opaque pixels take the short cuts
        if (round % 3 == 1) src[i] &= 0x00FFFFFF;
        if (round % 3 == 2) src[i] |= 0xFF000000u;
        want[i] = soft::BlendPixel(dst[i], src[i], BlendMode(mode));
      }
      int n = 1 + round % 67;
      soft::BlendSpan(dst.data(), src.data(), n, BlendMode(mode));
      for (int i = 0; i < n; ++i) ASSERT_EQ(dst[i], want[i]) << "mode " << mode << " pixel " << i;
    }
  }
  for (int round = 0; round < 100; ++round) {
    uint32_t colour = round % 4 == 0 ? 0xFFFFFFFFu : rng();
    for (size_t i = 0; i < src.size(); ++i) src[i] = rng();
    soft::ModulateSpan(dst.data(), src.data(), 67, colour);
    for (int i = 0; i < 67; ++i) ASSERT_EQ(dst[i], soft::Modulate(src[i], colour));
    // modulate and blend in one pass: the two kernels' result
    BlendMode mode = BlendMode(round % 2);
    int n = 1 + round % 67;
    for (size_t i = 0; i < src.size(); ++i) want[i] = soft::BlendPixel(dst[i] |= 0xFF000000u, soft::Modulate(src[i], colour), mode);
    soft::ModulateBlendSpan(dst.data(), src.data(), n, colour, mode);
    for (int i = 0; i < n; ++i) ASSERT_EQ(dst[i], want[i]) << "round " << round << " pixel " << i;
  }
  soft::SpanKernelsUseAvx2(before);
  }
}

// Which texel a scaled or turned quad samples is checked on this device by
// texture_draw_test, against OpenGL by gl_device_test, and in the golden frames.
TEST(SoftDraw, SharedEdgesAreDrawnOnce) {
  Fixture f(32, 32);
  // A half-transparent quad as a fan (general path) and as a slanted strip: a
  // pixel on the diagonal blended twice would come out brighter.
  uint32_t c = 0x80FFFFFF;
  Vertex fan[4] = {V(2, 2, c), V(12, 2, c), V(12, 12, c), V(2, 12, c)};
  f.dev->Draw(PT_TRIANGLEFAN, fan, 4);
  Vertex strip[4] = {V(16, 16, c), V(30.25f, 17, c), V(15, 29.5f, c), V(29, 30, c)};
  f.dev->Draw(PT_TRIANGLESTRIP, strip, 4);
  auto px = f.Read();
  uint32_t once = soft::BlendPixel(0xFF000000u, c, BLEND_NORMAL);
  int covered = 0;
  for (uint32_t p : px) {
    ASSERT_TRUE(p == 0xFF000000u || p == once) << std::hex << p;
    covered += p == once;
  }
  // The axis-aligned fan covers [2,12) x [2,12): left/top edges in, right/bottom out.
  for (int y = 0; y < 14; ++y)
    for (int x = 0; x < 14; ++x) EXPECT_EQ(px[y * 32 + x] == once, x >= 2 && x < 12 && y >= 2 && y < 12) << x << "," << y;
  EXPECT_GT(covered, 100 + 150);
}

TEST(SoftDraw, FastRectangleMatchesTheTrianglePath) {
  Fixture a(48, 48), b(48, 48);
  DeviceTexture* ta = MakeTexture(a.dev.get(), 16, 16, Pattern);
  DeviceTexture* tb = MakeTexture(b.dev.get(), 16, 16, Pattern);
  a.dev->SetTexture(ta);
  b.dev->SetTexture(tb);
  const float offs[][2] = {{-0.5f, -0.5f}, {3.25f, 7.75f}, {10.5f, 0.5f}, {-4.5f, 40.5f}, {20.1f, 20.9f}};
  for (auto& o : offs) {
    for (uint32_t c : {0xFFFFFFFFu, 0x7F80FF40u}) {
      for (float scale : {1.0f, 1.5f, 0.75f}) {
        float x0 = o[0], y0 = o[1], x1 = x0 + 16 * scale, y1 = y0 + 16 * scale;
        Vertex q[4] = {V(x0, y0, c, 0, 0), V(x1, y0, c, 1, 0), V(x0, y1, c, 0, 1), V(x1, y1, c, 1, 1)};
        a.dev->Draw(PT_TRIANGLESTRIP, q, 4);  // the rectangle path
        Vertex fan[4] = {q[0], q[1], q[3], q[2]};
        b.dev->Draw(PT_TRIANGLEFAN, fan, 4);  // the general path
      }
    }
  }
  EXPECT_EQ(a.Read(), b.Read());
  a.dev->DestroyTexture(ta);
  b.dev->DestroyTexture(tb);
}

TEST(SoftDraw, ModulateAndBlendModes) {
  Fixture f(8, 2);
  f.dev->Clear(nullptr, 0xFF406080);
  DeviceTexture* t = MakeTexture(f.dev.get(), 1, 1, [](int, int) { return 0xC0FF8020u; });
  f.dev->SetTexture(t);
  Sprite(f.dev.get(), t, 0, 0, 4, 1, 0, 0, 0x80FFFFFF);  // alpha 0xC0 x 0x80
  f.dev->SetBlend(BLEND_ADD);
  Sprite(f.dev.get(), t, 4, 0, 4, 1, 0, 0, 0xFF80FF80);
  f.dev->SetTexture(nullptr);
  Vertex q[4] = {V(-0.5f, 0.5f, 0x40FF0000), V(7.5f, 0.5f, 0x40FF0000), V(-0.5f, 1.5f, 0x40FF0000), V(7.5f, 1.5f, 0x40FF0000)};
  f.dev->Draw(PT_TRIANGLESTRIP, q, 4);
  auto px = f.Read();
  EXPECT_EQ(px[0], 0xFF886C5Cu);  // texel alpha 0xC0 x 0x80 = 96 over the background
  EXPECT_EQ(px[4], 0xFFA0C08Cu);  // add: the modulated texel weighted by its alpha 0xC0
  EXPECT_EQ(px[8], 0xFF806080u);  // untextured: the diffuse alone, a quarter of red added
  f.dev->DestroyTexture(t);
}

// Which pixel a point or line lights is raster_rules_test's part; this checks
// the device draws through those rules: a strip's joints once, a line's end left out.
TEST(SoftDraw, LinesFollowTheRasterRules) {
  Fixture f(16, 16);
  Vertex strip[3] = {V(1, 1), V(6, 1), V(6, 4)};
  f.dev->Draw(PT_LINESTRIP, strip, 3);
  auto px = f.Read();
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      bool want = (y == 1 && x >= 1 && x < 6) || (x == 6 && y >= 1 && y < 4);
      EXPECT_EQ(px[y * 16 + x] != 0xFF000000u, want) << x << "," << y;
    }
}

TEST(SoftDraw, DegenerateAndHugeInputsAreSafe) {
  Fixture f(8, 8);
  float nan = std::nanf("");
  Vertex bad[3] = {V(nan, 0), V(4, 4), V(0, 4)};
  f.dev->Draw(PT_TRIANGLELIST, bad, 3);
  Vertex huge[3] = {V(-1e30f, -1e30f, 0xFF102030), V(1e30f, -1e30f, 0xFF102030), V(0, 1e30f, 0xFF102030)};
  f.dev->Draw(PT_TRIANGLELIST, huge, 3);
  Vertex line[2] = {V(-1e9f, 3), V(1e9f, 3)};
  f.dev->Draw(PT_LINELIST, line, 2);
  Vertex partial[2] = {V(0, 0), V(1, 1)};
  f.dev->Draw(PT_TRIANGLELIST, partial, 2);  // too few vertices: nothing
  auto px = f.Read();
  EXPECT_EQ(px[0], 0xFF102030u);           // the huge triangle covers the screen
  EXPECT_EQ(px[3 * 8 + 5], 0xFFFFFFFFu);  // the long line crosses it
}

// The clear rectangle's last column and row are checked through the screen in screen_test.
TEST(SoftFrame, TextureSizeLimits) {
  Fixture f(4, 4);
  DeviceTexture* t = nullptr;
  EXPECT_EQ(f.dev->CreateTexture(0, 10, &t), TextureResult::InvalidCall);
  EXPECT_EQ(f.dev->CreateTexture(100000, 4, &t), TextureResult::InvalidCall);
  EXPECT_EQ(t, nullptr);
}

TEST(SoftFrame, PresentKeepsTheFrameAndFailsOnceWhenAsked) {
  Fixture f(4, 3);
  std::vector<uint32_t> front(12);
  EXPECT_FALSE(f.dev->BeginScene());  // the fixture's scene is open
  f.dev->Clear(nullptr, 0xFFAABBCC);
  f.dev->EndScene();
  EXPECT_TRUE(f.dev->Present());
  f.dev->Clear(nullptr, 0xFF000001);  // the next frame does not touch the presented one
  f.dev->ReadFrontBuffer(front.data(), 16);
  EXPECT_EQ(front[11], 0xFFAABBCCu);
  // Outside a scene a draw is dropped.
  Vertex q[4] = {V(-0.5f, -0.5f), V(3.5f, -0.5f), V(-0.5f, 2.5f), V(3.5f, 2.5f)};
  f.dev->Draw(PT_TRIANGLESTRIP, q, 4);
  EXPECT_EQ(f.At(0, 0), 0xFF000001u);

  f.dev->FailNextPresent();
  EXPECT_FALSE(f.dev->Present());
  EXPECT_TRUE(f.dev->Present());
  EXPECT_TRUE(f.dev->BeginScene());
  EXPECT_TRUE(f.dev->Reset(7, 2));
  EXPECT_EQ(f.dev->BackWidth(), 7);
  EXPECT_EQ(f.dev->BackHeight(), 2);
  f.w = 7;
  f.h = 2;
  EXPECT_EQ(f.At(6, 1), 0xFF000000u);
  EXPECT_FALSE(f.dev->BeginScene());  // a reset mid-frame keeps the scene open
}

TEST(SoftFrame, OffscreenTargetIsSeparateFromTheBackBuffer) {
  Fixture f(4, 4);
  f.dev->Clear(nullptr, 0xFF111111);
  ASSERT_TRUE(f.dev->SetOffscreenTarget(true, 4, 4));
  f.dev->Clear(nullptr, 0x00222222);
  f.dev->SetTexture(nullptr);
  Vertex q[4] = {V(-0.5f, -0.5f, 0xFF0000FF), V(1.5f, -0.5f, 0xFF0000FF), V(-0.5f, 0.5f, 0xFF0000FF), V(1.5f, 0.5f, 0xFF0000FF)};
  f.dev->Draw(PT_TRIANGLESTRIP, q, 4);
  auto off = f.Read();  // flushes into the off-screen buffer
  EXPECT_EQ(off[0], 0xFF0000FFu);
  EXPECT_EQ(off[2], 0xFF222222u);  // alpha reads back as 255
  ASSERT_TRUE(f.dev->SetOffscreenTarget(false, 0, 0));
  EXPECT_EQ(f.At(0, 0), 0xFF111111u);
  EXPECT_FALSE(f.dev->SetOffscreenTarget(true, 0, 4));
}

TEST(SoftFrame, TilesOnSeveralThreadsGiveTheSamePicture) {
  // A mixed scene of every primitive, blend mode and texture over several
  // tiles of rows, drawn by one thread and by three, and by the rasteriser
  // straight into one whole-target band: tiles must join without a seam and
  // no draw may miss a tile it touches.
  constexpr int kW = 97, kH = 3 * soft::SoftDevice::kTileRows + 11;
  std::vector<uint32_t> pictures[3];
  pictures[2].assign(kW * kH, 0xFF000000u);
  soft::Surface whole{pictures[2].data(), kW, kH, kW};
  int threadCounts[2] = {1, 3};
  for (int k = 0; k < 2; ++k) {
    soft::SoftDevice dev(nullptr, kW, kH, threadCounts[k]);
    DeviceTexture* t = MakeTexture(&dev, 13, 7, Pattern);
    dev.BeginScene();
    std::mt19937 rng(99);
    std::uniform_real_distribution<float> px(-20.0f, kW + 13.0f), py(-20.0f, kH + 20.0f);
    for (int i = 0; i < 600; ++i) {
      DeviceTexture* tex = i % 3 ? t : nullptr;
      dev.SetTexture(tex);
      dev.SetBlend(BlendMode(i % 2));
      Vertex v[4];
      for (Vertex& x : v) x = V(px(rng), py(rng), rng() | 0x20000000u, px(rng) / 90, py(rng) / 90);
      if (i % 5 == 0) {
        float x0 = float(int(px(rng))) - 0.5f, y0 = float(int(py(rng))) - 0.5f;
        uint32_t c = rng();
        v[0] = V(x0, y0, c, 0, 0), v[1] = V(x0 + 13, y0, c, 1, 0), v[2] = V(x0, y0 + 7, c, 0, 1), v[3] = V(x0 + 13, y0 + 7, c, 1, 1);
      }
      PrimitiveType type = i % 5 == 0 ? PT_TRIANGLESTRIP : PrimitiveType(1 + i % 6);
      dev.Draw(type, v, 4);
      if (k == 0) {
        soft::TextureView view;
        if (tex) view = soft::TextureView{reinterpret_cast<const uint32_t*>(tex->pixels), tex->width, tex->height, tex->pitch / 4};
        soft::DrawPrimitive(soft::DrawState{&whole, view, BlendMode(i % 2), soft::Band{0, kH}}, type, v, 4);
      }
    }
    pictures[k].resize(kW * kH);
    dev.ReadPixels(pictures[k].data(), kW * 4, kW, kH);
    dev.DestroyTexture(t);
  }
  EXPECT_EQ(pictures[0], pictures[2]);
  EXPECT_EQ(pictures[1], pictures[2]);
}
