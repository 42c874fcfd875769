// Benchmark: the cost of one engine call from Lua, texture:draw(x, y, a) on the
// software device, against C functions that only read the same arguments, all
// in the same run and the same Lua. Run it from a Lua 5.1 build and a LuaJIT
// build to compare the two. Prints `name value unit` (nanoseconds per call):
//   lua_call_empty_loop      the loop alone
//   lua_call_bare            a C function reading userdata + three numbers
//   lua_call_checked_reads   the same reads through the engine's checks
//                            (class check, integer rule), no drawing
//   lua_call_draw_clipped    t:draw of a sprite outside the target: the call,
//                            the quad and the device queue, no pixels
//   lua_call_draw            texture.draw(t, x, y, a) through a local
//   lua_call_draw_method     t:draw(x, y, a), the method looked up each call
// and the ratios lua_call_ratio_checked (checked reads / bare) and
// lua_call_ratio_clipped (clipped draw / bare).
//
//   lua_call [--calls N] [--reps R] [--only NAME]
// (--only with small counts is for instruction counts under callgrind).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// The engine's argument checks without the device work, as texture:draw
// makes them (registered as a texture method, so the class check is the same).
int CheckedReads(lua_State* L) {
  UTexture* t = CheckSelf<UTexture>(L, "texture");
  int x = CheckInt(L, 2), y = CheckInt(L, 3), a = CheckInt(L, 4);
  g_sink += x + y + a + (t != nullptr);
  return 0;
}

int g_calls = 200000;
int g_reps = 7;

// Best of several batches, each a scene of g_calls calls of `body`.
double NsPerCall(lua_State* L, const char* body) {
  std::string code = std::string("local t, bare, checked, draw = src, bare, src.checked, src.draw\n"
                                 "out:beginscene()\n"
                                 "for i = 1, ") +
                     std::to_string(g_calls) + " do " + body + " end\nout:endscene()";
  if (luaL_loadstring(L, code.c_str()) != 0) {
    fprintf(stderr, "%s\n", lua_tostring(L, -1));
    return -1;
  }
  double best = 1e30;
  for (int rep = 0; rep < g_reps; ++rep) {
    lua_pushvalue(L, -1);
    auto t0 = Clock::now();
    if (lua_pcall(L, 0, 0, 0) != 0) {
      fprintf(stderr, "%s\n", lua_tostring(L, -1));
      return -1;
    }
    double ns = std::chrono::duration<double, std::nano>(Clock::now() - t0).count() / g_calls;
    if (ns < best) best = ns;
  }
  lua_pop(L, 1);
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const char* only = nullptr;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!strcmp(argv[i], "--calls")) g_calls = atoi(argv[i + 1]);
    else if (!strcmp(argv[i], "--reps")) g_reps = atoi(argv[i + 1]);
    else if (!strcmp(argv[i], "--only")) only = argv[i + 1];
  }
  if (g_calls < 1 || g_reps < 1) {
    fprintf(stderr, "usage: lua_call [--calls N] [--reps R] [--only NAME]\n");
    return 2;
  }
  std::string err;
  UseScreenDevice(CreateSoftDevice(nullptr, 640, 480, &err), 640, 480);
  if (!ScreenDevice()) {
    fprintf(stderr, "no software device: %s\n", err.c_str());
    return 1;
  }
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  static const luaL_Reg kBenchMethods[] = {{"checked", CheckedReads}, {nullptr, nullptr}};
  static const luaL_Reg kNoCtors[] = {{nullptr, nullptr}};
  RegisterClass(L, "texture", kTextureMethods, kTextureCtors);
  RegisterClass(L, "texture", kBenchMethods, kNoCtors);  // merged into the same class
  lua_register(L, "bare", Bare);
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
      {"lua_call_draw_clipped", "draw(t, -100 - i % 600, 7, 200)"},
      {"lua_call_draw", "draw(t, i % 600, 7, 200)"},
      {"lua_call_draw_method", "t:draw(i % 600, 7, 200)"},
  };
  double bare = 0, checked = 0, clipped = 0;
  for (const auto& c : cases) {
    if (only && strcmp(only, c.name) != 0) continue;
    double ns = NsPerCall(L, c.body);
    printf("%s %.1f ns\n", c.name, ns);
    if (!strcmp(c.name, "lua_call_bare")) bare = ns;
    if (!strcmp(c.name, "lua_call_checked_reads")) checked = ns;
    if (!strcmp(c.name, "lua_call_draw_clipped")) clipped = ns;
  }
  if (bare > 0 && checked > 0) printf("lua_call_ratio_checked %.2f x\n", checked / bare);
  if (bare > 0 && clipped > 0) printf("lua_call_ratio_clipped %.2f x\n", clipped / bare);
  lua_close(L);
  UseScreenDevice(nullptr, 0, 0);
  return g_sink < 0;
}
