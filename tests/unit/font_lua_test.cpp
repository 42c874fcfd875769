// The font class as scripts see it: options and their messages, getinfo,
// targets (textures on a recording device, bitmaps), bounds at the exact
// edge, the colour argument, and use after delete.
#include <gtest/gtest.h>

#include <string>

#include "graphics/screen_internal.h"
#include "graphics/texture.h"
#include "image/font.h"
#include "fake_screen_lua.h"

using namespace qor;
using qor::test::FakeDevice;

namespace {

class FontLua : public test::FakeScreenLua {
 protected:
  void SetUp() override {
    FakeScreenLua::SetUp();
    RegisterClass(L, "font", kFontMethods, kFontCtors);
    lua_pushstring(L, (std::string(QOR_FIXTURES) + "/font/").c_str());
    lua_setglobal(L, "FIX");
  }
};

}  // namespace

TEST_F(FontLua, OptionsDefaultsAndGetInfo) {
  Ok("local f = font.create({}) local w, h, wt, n = f:getinfo() "
     "assert(w == 16 and h == 16 and wt == 0 and n == '')");
  // Numeric strings count as numbers and numbers as names; the name is stored in CP932.
  Ok("f = font.create({width = '20', height = 10.9, weight = 400, name = 'ＭＳ ゴシック'})");
  ASSERT_EQ(Run("return f:getinfo()", 4), "");
  EXPECT_EQ(lua_tointeger(L, -4), 20);
  EXPECT_EQ(lua_tointeger(L, -3), 10);
  EXPECT_EQ(lua_tointeger(L, -2), 400);
  EXPECT_EQ(std::string(lua_tostring(L, -1)), "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e");
  lua_settop(L, 0);
  Ok("f:delete() f:delete() local w, h, wt = f:getinfo() assert(w == 20 and h == 10 and wt == 400)");
  Ok("assert(select(4, font.create({name = 12}):getinfo()) == '12')");

  Fails("font.create({width = true})", "フォントの設定：width（幅）には数値を渡してください。");
  Fails("font.create({height = 'x'})", "フォントの設定：height（高さ）には数値を渡してください。");
  Fails("font.create({name = {}})", "フォントの設定：name（フォント名）には文字列を渡してください。");
  Fails("font.create({weight = false})", "フォントの設定：weight（フォントの太さ）には数値(0～1000)を渡してください。");
  Fails("font.create({width = 0})", "フォントの大きさが不正です。(0,16)");
  Fails("font.create({height = -3})", "フォントの大きさが不正です。(16,-3)");

  // The name field holds 255 bytes: longer names are cut at a character boundary.
  Ok("local n = select(4, font.create({name = string.rep('あ', 200)}):getinfo()) assert(#n == 254)");
}

TEST_F(FontLua, TargetsBoundsAndMessages) {
  Ok("f = font.create({width = 8, height = 8, name = FIX .. 'noto_subset.otf'}) "
     "t = texture.create(20, 10) b = bitmap.create(20, 10)");
  for (const char* m : {"put", "putgradation"}) {
    std::string msg = std::string("Font:") + m + "の第一引数はテクスチャもしくはビットマップです。";
    std::string call = std::string("f:") + m + "(";
    Fails((call + "{}, 65, 0, 0, 1, 2)").c_str(), msg);
    Fails((call + "f, 65, 0, 0, 1, 2)").c_str(), msg);
    Fails((call + "newproxy(), 65, 0, 0, 1, 2)").c_str(), msg);  // a userdata without a metatable
    // The cell fits exactly at the far edges; one pixel further is refused.
    Ok((call + "t, 65, 12, 2, 1, 2) " + call + "b, 65, 12, 2, 1, 2)").c_str());
    Fails((call + "t, 65, 13, 0, 1, 2)").c_str(), "文字がテクスチャをはみ出しました。");
    Fails((call + "t, 65, 0, 3, 1, 2)").c_str(), "文字がテクスチャをはみ出しました。");
    Fails((call + "b, 65, 0, -1, 1, 2)").c_str(), "文字がビットマップをはみ出しました。");
    Fails((call + "b, 65, 0, 2147483647, 1, 2)").c_str(), "文字がビットマップをはみ出しました。");
    Fails((call + "b, 'x', 0, 0, 1, 2)").c_str(), "bad argument #2 to");
  }
  Fails("f:putgradation(b, 65, 0, 0, 1)", "bad argument #6 to");

  // The colour is read only when a sixth argument is given: 5 arguments give opaque white.
  Ok("b:fill(0) f:put(b, 0x6F22, 0, 0) c = bitmap.create(20, 10) f:put(c, 0x6F22, 0, 0, 0xFF0000FF)");
  ASSERT_EQ(Run("return b:getdata(), c:getdata()", 2), "");
  auto* vb = static_cast<BitmapView*>(lua_touserdata(L, -2));
  auto* vc = static_cast<BitmapView*>(lua_touserdata(L, -1));
  int white = 0, blue = 0;
  for (int i = 0; i < 20 * 10; ++i) {
    uint32_t pb = reinterpret_cast<uint32_t*>(vb->pixels)[i], pc = reinterpret_cast<uint32_t*>(vc->pixels)[i];
    white += (pb & 0xFFFFFF) == 0xFFFFFF && pb >> 24 > 0;
    blue += (pc & 0xFFFFFF) == 0x0000FF && pc >> 24 > 0;
  }
  lua_settop(L, 0);
  EXPECT_GT(white, 10);
  EXPECT_EQ(white, blue);

  // The texture's cell rows are written through the device and marked for upload.
  fake->log.clear();
  Ok("f:put(t, 0x6F22, 4, 1)");
  ASSERT_EQ(fake->log.size(), 2u);
  EXPECT_EQ(fake->log[1], "end 1 9");

  Ok("e = bitmap.create(20, 10) e:delete() et = texture.create(20, 10) et:delete()");
  Fails("f:put(e, 65, 0, 0)", "空のビットマップには文字を書けません。");
  Fails("f:put(et, 65, 0, 0)", "空のテクスチャは操作できません。");
  Ok("f:delete()");
  Fails("f:put(b, 65, 0, 0)", "削除されたフォントは使えません。");
  Fails("f:putgradation(t, 65, 0, 0, 1, 2)", "削除されたフォントは使えません。");
}

TEST_F(FontLua, FontFilesTheGameShips) {
  Fails("font.create({name = FIX .. 'truncated.otf'})", "truncated.otf\"は壊れているか、フォントではありません。");
  // A font-file name that is not there is a face name like any other: the best match is used.
  testing::internal::CaptureStderr();
  Ok("assert(font.create({name = 'qor_missing_face.ttf'}))");
  EXPECT_NE(testing::internal::GetCapturedStderr().find("qor_missing_face.ttf"), std::string::npos);
}
