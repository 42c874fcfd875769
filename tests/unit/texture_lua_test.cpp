// The texture class as scripts see it, on a recording device: sizes, pixel
// methods, locking, compositing, loading, off-screen scenes and messages.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/screen.h"
#include "graphics/screen_internal.h"
#include "graphics/texture.h"
#include "host/binding.h"
#include "host/modules.h"
#include "image/image_io.h"
#include "lua_harness.h"
#include "fake_screen_lua.h"

using namespace qor;
using qor::test::FakeDevice;

namespace {

class TextureLua : public test::FakeScreenLua {
 protected:
  void TearDown() override {
    // Test-owned pixels must not reach the bitmap class's own release.
    for (UBitmap* b : bitmaps) memset(b, 0, sizeof *b);
    lua_close(L);
    L = nullptr;
    EXPECT_EQ(fake->textures, 0) << "a texture outlived its object";
    UseScreenDevice(nullptr, 0, 0);
  }

  // A bitmap object over `pixels` (owned by the test), as the bitmap class lays it out.
  void MakeBitmap(const char* name, uint32_t* pixels, int w, int h) {
    auto* b = NewRecord<UBitmap>(L, "bitmap");
    b->pixels = reinterpret_cast<uint8_t*>(pixels);
    b->width = w;
    b->height = h;
    bitmaps.push_back(b);
    lua_setglobal(L, name);
  }
  std::vector<UBitmap*> bitmaps;
};

TEST_F(TextureLua, CreateReportsSizesAndRefusesBadOnes) {
  fake->powerOfTwo = true;
  Ok("t = texture.create(100, 60); local w, h = t:getsize(); assert(w == 100 and h == 60)");
  UTexture* t = Global("t");
  EXPECT_EQ(t->allocWidth, 128);
  EXPECT_EQ(t->allocHeight, 64);
  Fails("texture.create(0, 10)", "D3DERR_INVALIDCALL (0 10) ");
  Fails("texture.create(10, -1)", "D3DERR_INVALIDCALL (10 -1) ");
  Fails("texture.create(5000, 1)", "D3DERR_INVALIDCALL (5000 1) ");
  // A second create on the same object would leak without the release.
  Ok("t:delete(); local w, h = t:getsize(); assert(w == 0 and h == 0); t:draw(0, 0, 255); t:delete()");
  EXPECT_EQ(fake->textures, 0);
}

TEST_F(TextureLua, MethodsCheckSelfAndNumbersAsLuaDoes) {
  // The self check compares metatables through an upvalue; anything that is
  // not a texture still gets Lua's own argument error, a method copied into
  // another table or called on another class's object included.
  uint32_t px = 0;
  MakeBitmap("b", &px, 1, 1);
  Ok("t = texture.create(2, 2); t.draw(t, '3', 0.9, -0.9); f = {d = t.draw}");
  Fails("t.draw(b, 0, 0, 255)", "bad argument #1 to 'draw' (texture expected, got userdata)");
  Fails("f.d(b, 0, 0, 255)", "texture expected, got userdata");
  Fails("b.getsize(t)", "bitmap expected, got userdata");
  Fails("t.draw(1, 0, 0, 255)", "texture expected, got number");
  Fails("t.draw(t, 0, 'x', 255)", "bad argument #3 to 'draw' (number expected, got string)");
  Fails("t.draw(t, 0, 0)", "bad argument #4 to 'draw' (number expected, got no value)");
}

TEST_F(TextureLua, PixelMethodsOnEmptyTextureAreScriptErrors) {
  Ok("t = texture.create(4, 4); t:delete()");
  for (const char* code : {"t:fill(0)", "t:fillrect(0, 0, 0, 1, 1)", "t:lock()", "t:unlock()",
                           "t:save('x.png')", "t:beginscene()"})
    Fails(code, "空のテクスチャ");
  Ok("t:endscene()");  // nothing open: nothing happens
}

TEST_F(TextureLua, FillAndFillRectPaintInclusiveCorners) {
  Ok("t = texture.create(6, 5); t:fill(0xFF112233); t:fillrect(0xFFAABBCC, 0, 0, 1, 1)");
  UTexture* t = Global("t");
  EXPECT_EQ(test::TexelAt(t, 0, 0), 0xFFAABBCCu);
  EXPECT_EQ(test::TexelAt(t, 1, 1), 0xFFAABBCCu);
  EXPECT_EQ(test::TexelAt(t, 2, 1), 0xFF112233u);
  EXPECT_EQ(test::TexelAt(t, 1, 2), 0xFF112233u);
  EXPECT_EQ(test::TexelAt(t, 5, 4), 0xFF112233u);
  // A negative number is a colour too (low 32 bits).
  Ok("t:fillrect(-1, 4, 3, 5, 4)");
  EXPECT_EQ(test::TexelAt(t, 5, 4), 0xFFFFFFFFu);
  EXPECT_EQ(test::TexelAt(t, 3, 4), 0xFF112233u);
  // The padding past the row's end is never written.
  EXPECT_EQ(reinterpret_cast<uint32_t*>(t->surface->pixels)[6], 0u);
  Fails("t:fillrect(0, 5, 5, 5, 9)", "テクスチャのロック領域が間違っています。左上座標5,5 右下座標5,9");
  Fails("t:fillrect(0, 2, 2, 1, 3)", "左上座標2,2 右下座標1,3");
  Fails("t:fillrect(0, 4, 3, 6, 4)", "右下座標6,4");    // past the storage
  Fails("t:fillrect(0, -1, 0, 2, 2)", "左上座標-1,0");
  // Every CPU write is bracketed so queued draws stay in order.
  ASSERT_GE(fake->log.size(), 2u);
  EXPECT_EQ(fake->log[0], "begin");
  EXPECT_EQ(fake->log[1], "end 0 5");
}

TEST_F(TextureLua, LockHandsOutPitchAndBitsUntilUnlock) {
  Ok("t = texture.create(8, 8); p = t:lock(2, 3, 5, 6); assert(type(p) == 'userdata')");
  UTexture* t = Global("t");
  lua_getglobal(L, "p");
  auto* lr = static_cast<LockedRect*>(lua_touserdata(L, -1));
  lua_pop(L, 1);
  ASSERT_EQ(lr, &t->locked);
  EXPECT_EQ(lr->pitch, t->surface->pitch);
  // Write pixel (2,3) and (3,4) through the lock, as native code would.
  static_cast<uint32_t*>(lr->bits)[0] = 0xDEADBEEF;
  reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(lr->bits) + lr->pitch)[1] = 0x01020304;
  fake->log.clear();
  Ok("t:unlock(); t:unlock()");
  ASSERT_EQ(fake->log.size(), 1u);
  EXPECT_EQ(fake->log[0], "end 3 7");  // the locked rows are uploaded before the next draw
  EXPECT_EQ(test::TexelAt(t, 2, 3), 0xDEADBEEFu);
  EXPECT_EQ(test::TexelAt(t, 3, 4), 0x01020304u);
  Ok("p = t:lock()");
  EXPECT_EQ(t->locked.bits, t->surface->pixels);
  Ok("t:unlock()");
  EXPECT_EQ(fake->log.back(), "end 0 8");
  Fails("t:lock(0, 0, 8, 0)", "テクスチャロックに範囲外を指定しました。(0,0)～(8,0)");
  Fails("t:lock(0, -1, 1, 1)", "(0,-1)～(1,1)");
  Fails("t:lock(3, 0, 1, 1)", "(3,0)～(1,1)");
  Ok("t:lock(0, 0, 7, 7); t:unlock()");
  // Deleting a locked texture ends the access first.
  fake->log.clear();
  Ok("t:lock(); t:delete()");
  EXPECT_EQ(fake->log.back(), "end 0 8");
}

TEST_F(TextureLua, RenderCompositesBitmapBlocks) {
  // 2 x 2 bitmap: opaque red, transparent green, half blue, opaque white.
  uint32_t bm[4] = {0xFFFF0000, 0x0000FF00, 0x800000FF, 0xFFFFFFFF};
  MakeBitmap("b", bm, 2, 2);
  Ok("t = texture.create(4, 4); t:fill(0x40808080); t:render(b, 1, 1, 2, 2, 0, 0)");
  UTexture* t = Global("t");
  EXPECT_EQ(test::TexelAt(t, 0, 0), 0x40808080u);
  EXPECT_EQ(test::TexelAt(t, 1, 1), 0xFFFF0000u);  // alpha 255 copies the colour
  EXPECT_EQ(test::TexelAt(t, 2, 1), 0x40808080u);  // alpha 0 leaves it, alpha does not drop
  Ok("t:fill(0x00000000); t:render(b, 0, 0, 1, 1, 1, 1, 2)");  // copy of the block at (1, 1)
  EXPECT_EQ(test::TexelAt(t, 0, 0), 0xFFFFFFFFu);
  Fails("t:render(b, 3, 0, 2, 1, 0, 0)", "座標指定がテクスチャからはみ出しています。Texture dx,dy=3,0 w,h=2,1");
  Fails("t:render(b, -1, 0, 1, 1, 0, 0)", "Texture dx,dy=-1,0");
  Fails("t:render(b, 0, 0, 2, 2, 1, 0)", "座標指定がビットマップからはみ出しています。Bitmap sx,sy=1,0 w,h=2,2");
  Fails("t:render(b, 0, 0, 1, 1, 0, 2147483647)", "Bitmap sx,sy=0,2147483647");
}

TEST_F(TextureLua, BitmapCopiesBothWaysKeepRowsAndAlpha) {
  uint32_t bm[6] = {1, 2, 3, 0x80FFFFFF, 5, 6};
  MakeBitmap("b", bm, 3, 2);
  Ok("t = texture.frombitmap(b); local w, h = t:getsize(); assert(w == 3 and h == 2)");
  UTexture* t = Global("t");
  EXPECT_EQ(test::TexelAt(t, 2, 0), 3u);
  EXPECT_EQ(test::TexelAt(t, 0, 1), 0x80FFFFFFu);
  EXPECT_EQ(test::TexelAt(t, 2, 1), 6u);
  MakeBitmap("e", nullptr, 3, 2);  // a released bitmap keeps its old size
  Ok("e2 = texture.frombitmap(e); local w, h = e2:getsize(); assert(w == 0 and h == 0)");
  // And back: only the logical area of a storage rounded up to powers of two.
  fake->powerOfTwo = true;
  Ok("p = texture.create(3, 3); p:fill(0xFF00FF00)");
  UBitmap back{};
  EXPECT_TRUE(CopyTextureToBitmap(&back, Global("p")).ok());
  ASSERT_EQ(back.width, 3);
  EXPECT_EQ(reinterpret_cast<uint32_t*>(back.pixels)[8], 0xFF00FF00u);
  BitmapRelease(&back);
}

TEST_F(TextureLua, DrawTriangleChecksInOrder) {
  Ok("t = texture.create(8, 8)");
  Fails("t:drawtriangle(5)", "draw2polygonには頂点のテーブルを渡してください。");
  Fails("t:drawtriangle({{0,0,0,0,-1},{1,1,1,1,-1},{2,2,2,2,-1},{3,3,3,'x',-1}})",
        "draw2polygonに渡したデータに誤りがあります。");
  Fails("t:drawtriangle({{0,0,0,0,-1},{1,1,1,1,-1},{2,2,2,2,-1},{3,3,3,3,-1}})",
        "draw2dpolygonに渡す点の数は３の倍数でなければなりません。");
  Fails("t:drawtriangle({})", "３の倍数");
  Fails("t:drawtriangle({1, 2, 3})", "誤りがあります");
  Ok("t:drawtriangle({{0,0,0,0,-1},{8,0,8,0,-1},{0,8,'0',8,0x80FFFFFF}})");  // numeric strings count
}

TEST_F(TextureLua, RenderToTextureCopiesOverlapWithOpaqueAlpha) {
  fake->targetPixel = 0xFF405060u;
  Ok("t = texture.create(32, 80); t:fill(0x11111111); t:beginscene()");
  EXPECT_TRUE(g_screen.renderTargetActive);
  Fails("t:beginscene()", "レンダリングターゲットはひとつだけです。");
  fake->log.clear();
  Ok("t:endscene(); t:endscene()");
  UTexture* t = Global("t");
  EXPECT_FALSE(g_screen.renderTargetActive);
  EXPECT_EQ(test::TexelAt(t, 31, 47), 0xFF405060u);
  EXPECT_EQ(test::TexelAt(t, 0, 48), 0x11111111u);  // below the screen's height: untouched
  std::vector<std::string> want = {"begin", "read 32 48", "end 0 48", "target off"};
  EXPECT_EQ(fake->log, want);
}

TEST_F(TextureLua, RefusedTextureScenes) {
  Ok("t = texture.create(8, 8)");
  // Inside a screen scene: refused, and drawing stays on the screen.
  ASSERT_TRUE(fake->BeginScene());
  fake->log.clear();
  Fails("t:beginscene()", "描画開始に失敗しました。");
  EXPECT_EQ(fake->log.back(), "target off");
  fake->EndScene();
  EndRenderToBitmap();
  // A target that cannot be made leaves the scene flag set until bitmap:endscene clears it.
  fake->offscreenFails = true;
  Fails("t:beginscene()", "テクスチャをレンダリングターゲットにすることに失敗しました。");
  fake->offscreenFails = false;
  Fails("t:beginscene()", "レンダリングターゲットはひとつだけです。");
  EndRenderToBitmap();  // what bitmap:endscene does first
  Ok("t:beginscene(); t:endscene()");
}

TEST_F(TextureLua, DeletingTheTargetDuringSceneEndsItSafely) {
  Ok("t = texture.create(8, 8); t:beginscene(); t:delete(); t = nil; collectgarbage()");
  Ok("t2 = texture.create(8, 8); t2:endscene()");
  EXPECT_FALSE(g_screen.renderTargetActive);
  EXPECT_EQ(g_renderTargetTexture, nullptr);
  Ok("t2:beginscene(); t2:endscene()");
  // Dropped without delete: the open scene keeps it alive until endscene.
  fake->targetPixel = 0xFF00FF00u;
  Ok("t3 = texture.create(8, 8); t3:beginscene(); weak = setmetatable({t3}, {__mode = 'v'}); t3 = nil;"
     "collectgarbage(); assert(weak[1]); t2:endscene(); collectgarbage(); assert(weak[1] == nil)");
}

// Every PNG colour type, bit depth, tRNS form and interlace, and every JPEG
// colour space and coding, loads through bitmap.load and texture.load to
// exactly the pixels ImageMagick decodes from the same file (made by
// tests/fixtures/kinds/make.sh together with the files).
TEST_F(TextureLua, EveryImageKindLoadsAsImageMagickDecodesIt) {
  for (const char* file :
       {"rgb8.png", "rgba8.png", "rgb16.png", "rgba16.png", "grey1.png", "grey2.png", "grey4.png", "grey8.png",
        "grey16.png", "greya8.png", "greya16.png", "palette.png", "palette4.png", "palette_trns.png",
        "grey_trns.png", "rgb16_trns.png", "rgb8_trns.png", "adam7_rgba8.png", "adam7_rgb16.png",
        "adam7_grey1.png", "adam7_palette.png", "ycc.jpg", "progressive.jpg", "arithmetic.jpg", "grey.jpg",
        "cmyk.jpg", "ycck.jpg"}) {
    const std::string path = std::string(QOR_FIXTURES) + "/kinds/" + file;
    std::vector<uint8_t> want(16 * 12 * 4);
    FILE* f = fopen((path + ".rgba").c_str(), "rb");
    ASSERT_NE(f, nullptr) << path;
    ASSERT_EQ(fread(want.data(), 1, want.size(), f), want.size()) << path;
    fclose(f);
    const std::string code = "b = bitmap.load('" + path + "'); t = texture.load('" + path + "')";
    ASSERT_EQ(test::RunLua(L, code.c_str()), "") << file;
    lua_getglobal(L, "b");
    const auto* b = static_cast<const UBitmap*>(lua_touserdata(L, -1));
    lua_pop(L, 1);
    const UTexture* t = Global("t");
    ASSERT_TRUE(b->width == 16 && b->height == 12 && t->width == 16 && t->height == 12) << file;
    int wrong = 0;
    for (int i = 0; i < 16 * 12; ++i) {
      const uint8_t* rgba = &want[size_t(i) * 4];
      const uint32_t expect = uint32_t(rgba[3]) << 24 | uint32_t(rgba[0]) << 16 | uint32_t(rgba[1]) << 8 | rgba[2];
      uint32_t fromBitmap;
      memcpy(&fromBitmap, b->pixels + size_t(i) * 4, 4);
      const uint32_t fromTexture = test::TexelAt(t, i % 16, i / 16);
      if ((fromBitmap != expect || fromTexture != expect) && wrong++ < 3)
        ADD_FAILURE() << file << " pixel " << i % 16 << "," << i / 16 << std::hex << ": want " << expect
                      << " bitmap " << fromBitmap << " texture " << fromTexture;
    }
    EXPECT_EQ(wrong, 0) << file;
  }
}

TEST_F(TextureLua, SaveWritesPngWithItsAlpha) {
  char dir[] = "/tmp/qor_texture_XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  std::string file = std::string(dir) + "/out.png";
  std::string code = "t = texture.create(5, 3); t:fill(0x80FF8040); t:fillrect(0xFF000000, 3, 1, 4, 2); t:save('" +
                     file + "')";
  Ok(code.c_str());
  struct Target : ImageTarget {
    std::vector<uint32_t> px;
    int w = 0, h = 0;
    uint8_t* Allocate(int width, int height, int* pitch) override {
      w = width, h = height;
      px.assign(size_t(width) * height, 0);
      *pitch = width * 4;
      return reinterpret_cast<uint8_t*>(px.data());
    }
  } back;
  ResourceLocation loc{file, 0, 0, false};
  ASSERT_EQ(LoadImage(file.c_str(), loc, &back), ImageStatus::Ok);
  ASSERT_EQ(back.w, 5);
  EXPECT_EQ(back.px[0], 0x80FF8040u);
  EXPECT_EQ(back.px[5 + 4], 0xFF000000u);
  remove(file.c_str());
  rmdir(dir);
}

}  // namespace
