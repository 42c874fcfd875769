// The bitmap class seen from native code: the view behind getdata follows the
// record through re-creation and release, and errors reach Lua as messages.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/binding.h"
#include "host/modules.h"
#include "image/bitmap.h"
#include "lua_harness.h"

using namespace qor;

namespace {

class BitmapLua : public testing::Test {
 protected:
  void SetUp() override {
    L = luaL_newstate();
    luaL_openlibs(L);
    RegisterClass(L, "bitmap", kBitmapMethods, kBitmapCtors);
  }
  void TearDown() override { lua_close(L); }

  std::string Run(const char* code, int results = 0) { return test::RunLua(L, code, results); }
  BitmapView* View() {
    EXPECT_EQ(Run("return b:getdata()", 1), "");
    EXPECT_EQ(lua_type(L, -1), LUA_TLIGHTUSERDATA);
    auto* v = static_cast<BitmapView*>(lua_touserdata(L, -1));
    lua_pop(L, 1);
    return v;
  }
  lua_State* L = nullptr;
};

}  // namespace

TEST_F(BitmapLua, ViewFollowsTheRecord) {
  ASSERT_EQ(Run("b = bitmap.create(2, 2) b:fill(0xFF0000FF)"), "");
  BitmapView* v = View();
  ASSERT_NE(v->pixels, nullptr);
  EXPECT_EQ(v->width, 2);
  EXPECT_EQ(v->height, 2);
  EXPECT_EQ(v->pitch, 8);
  EXPECT_EQ(v->pixels2, v->pixels);
  const uint8_t want[] = {0xFF, 0x00, 0x00, 0xFF};
  EXPECT_EQ(memcmp(v->pixels + 12, want, 4), 0);

  // Native code writes through the view; the methods work on what it wrote.
  v->pixels[0] = 0x11;

  ASSERT_EQ(Run("b:resize(3, 1)"), "");
  EXPECT_EQ(View(), v);  // the address is the record's, so it stays the same
  EXPECT_EQ(v->width, 3);
  EXPECT_EQ(v->pitch, 12);
  EXPECT_EQ(v->pixels[0], 0x11);  // (0,0) came from (0,0)

  ASSERT_EQ(Run("b:delete()"), "");
  EXPECT_EQ(v->pixels, nullptr);
  EXPECT_EQ(v->pixels2, nullptr);
  EXPECT_EQ(v->width, 0);
}

// Huge numbers saturate and are refused, not wrapped into a small size.
TEST_F(BitmapLua, HugeSizesSaturate) {
  ASSERT_EQ(Run("b = bitmap.create(2, 2)"), "");
  EXPECT_NE(Run("bitmap.create(2^40 + 2, 2)"), "");
  EXPECT_EQ(Run("b:fillrect(1, -2^40, -2^40, 2^40, 2^40)"), "");
}

TEST_F(BitmapLua, GradationKeyArgument) {
  ASSERT_EQ(Run("b = bitmap.create(3, 1) b:fillrect(0x12345678, 1, 0, 1, 0)"), "");
  BitmapView* v = View();
  auto px = [&](int x) {
    uint32_t p;
    memcpy(&p, v->pixels + x * 4, 4);
    return p;
  };
  ASSERT_EQ(Run("b:gradation(0xFFFFFFFF, 0xFFFFFFFF, true, false, 0x12345678)"), "");
  EXPECT_EQ(px(0), 0u);
  EXPECT_EQ(px(1), 0xFFFFFFFFu);
  ASSERT_EQ(Run("b:gradation(0xFF000000, 0xFF0000FF, true, false, nil)"), "");  // nil: no key
  EXPECT_EQ(px(0), 0xFF000000u);
  EXPECT_EQ(px(2), 0xFF0000FFu);
}
