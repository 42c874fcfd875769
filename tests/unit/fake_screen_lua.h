// A test fixture for the classes that draw into textures and bitmaps: a Lua
// state with the texture and bitmap classes over a recording screen device.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "graphics/screen.h"
#include "host/binding.h"
#include "host/modules.h"
#include "lua_harness.h"
#include "texture_fake_device.h"

namespace qor::test {

class FakeScreenLua : public ::testing::Test {
 protected:
  void SetUp() override {
    auto dev = std::make_unique<FakeDevice>();
    fake = dev.get();
    UseScreenDevice(std::move(dev), 64, 48);
    L = luaL_newstate();
    luaL_openlibs(L);
    RegisterClass(L, "texture", kTextureMethods, kTextureCtors);
    RegisterClass(L, "bitmap", kBitmapMethods, kBitmapCtors);
  }
  void TearDown() override {
    lua_close(L);  // collects every texture while the device still exists
    UseScreenDevice(nullptr, 0, 0);  // later tests map the mouse through the screen size
  }
  void Ok(const char* code) { ExpectLuaOk(L, code); }
  void Fails(const char* code, const std::string& message) { ExpectLuaFails(L, code, message); }
  std::string Run(const char* code, int results = 0) { return RunLua(L, code, results); }

  lua_State* L = nullptr;
  FakeDevice* fake = nullptr;
};

}  // namespace qor::test
