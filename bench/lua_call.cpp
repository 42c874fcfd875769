// Benchmark: the cost of one engine call from Lua, texture:draw(x, y, a) on the
// software device, against C functions that only read the same arguments, all
// in the same run and the same Lua. Run it from a Lua 5.1 build and a LuaJIT
// build to compare the two. Prints `name value unit` (nanoseconds per call):
//   lua_call_empty_loop      the loop alone
//   lua_call_bare            a C function reading userdata + three numbers
//   lua_call_checked_reads   the same reads through the engine's checks
//                            (class check, integer rule), no drawing
//   lua_call_draw            texture.draw(t, x, y, a) through a local
//   lua_call_draw_method     t:draw(x, y, a), the method looked up each call
#include <chrono>
#include <cstdio>
#include <string>

#include "graphics/screen.h"
#include "graphics/texture.h"
#include "host/binding.h"
#include "host/lua.h"
#include "host/modules.h"

using namespace qor;
using Clock = std::chrono::steady_clock;

namespace {

double g_sink = 0;

// The baseline: reads what texture:draw reads, in the cheapest way.
int Bare(lua_State* L) {
  void* t = lua_touserdata(L, 1);
  g_sink += lua_tonumber(L, 2) + lua_tonumber(L, 3) + lua_tonumber(L, 4) + (t != nullptr);
  return 0;
}

// The engine's argument checks without the device work.
int CheckedReads(lua_State* L) {
  UTexture* t = CheckRecord<UTexture>(L, 1, "texture");
  int x = CheckInt(L, 2), y = CheckInt(L, 3), a = CheckInt(L, 4);
  ClearStack(L);
  g_sink += x + y + a + (t != nullptr);
  return 0;
}

constexpr int kCalls = 200000;

// Best of several batches, each a scene of kCalls calls of `body`.
double NsPerCall(lua_State* L, const char* body) {
  std::string code = std::string("local t, bare, checked, draw = src, bare, checked, src.draw\n"
                                 "out:beginscene()\n"
                                 "for i = 1, ") +
                     std::to_string(kCalls) + " do " + body + " end\nout:endscene()";
  if (luaL_loadstring(L, code.c_str()) != 0) {
    fprintf(stderr, "%s\n", lua_tostring(L, -1));
    return -1;
  }
  double best = 1e30;
  for (int rep = 0; rep < 7; ++rep) {
    lua_pushvalue(L, -1);
    auto t0 = Clock::now();
    if (lua_pcall(L, 0, 0, 0) != 0) {
      fprintf(stderr, "%s\n", lua_tostring(L, -1));
      return -1;
    }
    double ns = std::chrono::duration<double, std::nano>(Clock::now() - t0).count() / kCalls;
    if (ns < best) best = ns;
  }
  lua_pop(L, 1);
  return best;
}

}  // namespace

int main() {
  std::string err;
  UseScreenDevice(CreateSoftDevice(nullptr, 640, 480, &err), 640, 480);
  if (!ScreenDevice()) {
    fprintf(stderr, "no software device: %s\n", err.c_str());
    return 1;
  }
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  RegisterClass(L, "texture", kTextureMethods, kTextureCtors);
  lua_register(L, "bare", Bare);
  lua_register(L, "checked", CheckedReads);
  if (luaL_dostring(L, "src = texture.create(2, 2); out = texture.create(640, 480)") != 0) {
    fprintf(stderr, "%s\n", lua_tostring(L, -1));
    return 1;
  }
  printf("lua_call_runtime \"%s\"\n", kLuaRelease);
  const struct {
    const char* name;
    const char* body;
  } cases[] = {
      {"lua_call_empty_loop", "local x = i % 600"},
      {"lua_call_bare", "bare(t, i % 600, 7, 200)"},
      {"lua_call_checked_reads", "checked(t, i % 600, 7, 200)"},
      {"lua_call_draw", "draw(t, i % 600, 7, 200)"},
      {"lua_call_draw_method", "t:draw(i % 600, 7, 200)"},
  };
  for (const auto& c : cases) printf("%s %.1f ns\n", c.name, NsPerCall(L, c.body));
  lua_close(L);
  UseScreenDevice(nullptr, 0, 0);
  return g_sink < 0;
}
