// A test fixture for the classes that draw into textures and bitmaps: a Lua
// state with the texture and bitmap classes over a recording screen device,
// plus the helpers the texture tests share to reach objects and read pixels.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "graphics/screen.h"
#include "graphics/texture.h"
#include "host/binding.h"
#include "host/modules.h"
#include "lua_harness.h"
#include "texture_fake_device.h"

namespace qor::test {

// A fresh Lua state with the texture and bitmap classes.
inline lua_State* NewTextureLua() {
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  RegisterClass(L, "texture", kTextureMethods, kTextureCtors);
  RegisterClass(L, "bitmap", kBitmapMethods, kBitmapCtors);
  return L;
}

// The object in global `name` (a texture unless told otherwise).
template <class T = UTexture>
T* GlobalObject(lua_State* L, const char* name) {
  lua_getglobal(L, name);
  auto* t = static_cast<T*>(lua_touserdata(L, -1));
  lua_pop(L, 1);
  return t;
}

// The texel at (x, y) of a texture's storage.
inline uint32_t TexelAt(const UTexture* t, int x, int y) {
  return reinterpret_cast<const uint32_t*>(t->surface->pixels + size_t(y) * t->surface->pitch)[x];
}

class FakeScreenLua : public ::testing::Test {
 protected:
  void SetUp() override {
    auto dev = std::make_unique<FakeDevice>();
    fake = dev.get();
    UseScreenDevice(std::move(dev), 64, 48);
    L = NewTextureLua();
  }
  void TearDown() override {
    lua_close(L);  // collects every texture while the device still exists
    UseScreenDevice(nullptr, 0, 0);  // later tests map the mouse through the screen size
  }
  void Ok(const char* code) { ExpectLuaOk(L, code); }
  void Fails(const char* code, const std::string& message) { ExpectLuaFails(L, code, message); }
  std::string Run(const char* code, int results = 0) { return RunLua(L, code, results); }
  UTexture* Global(const char* name) { return GlobalObject(L, name); }

  lua_State* L = nullptr;
  FakeDevice* fake = nullptr;
};

}  // namespace qor::test
