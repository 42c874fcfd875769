// The encoding module under memory pressure: when Lua cannot hold a result,
// the conversion's C++ buffers must not be stranded by the Lua error.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/binding.h"
#include "host/modules.h"

using namespace qor;

namespace {

size_t g_limit = SIZE_MAX;  // Lua allocations larger than this fail

void* LimitedAlloc(void*, void* ptr, size_t, size_t size) {
  if (size == 0) {
    free(ptr);
    return nullptr;
  }
  return size > g_limit ? nullptr : realloc(ptr, size);
}

}  // namespace

TEST(EncodingLua, ResultsLuaCannotHoldLeaveNoCppBuffersBehind) {
  lua_State* L = lua_newstate(LimitedAlloc, nullptr);
  // LuaJIT on x86-64 takes a custom allocator only when built with GC64
  // (Debian's is); without it there is no way to limit Lua's memory here.
  if (!L) GTEST_SKIP() << "this Lua does not accept a custom allocator";
  luaL_openlibs(L);
  RegisterModule(L, "encoding", kEncodingFuncs);
  std::string big(4 << 20, 'a');
  lua_pushlstring(L, big.data(), big.size());
  lua_setglobal(L, "s");
  for (const char* f : {"ansi_to_utf8", "utf8_to_ansi", "utf8_to_utf16", "zenkaku"}) {
    lua_gc(L, LUA_GCCOLLECT, 0);
    size_t before = mallinfo2().uordblks;
    g_limit = 1 << 20;
    std::string code = std::string("return pcall(encoding.") + f + ", s)";
    ASSERT_EQ(luaL_dostring(L, code.c_str()), 0) << f;
    EXPECT_FALSE(lua_toboolean(L, -2)) << f << " held a result larger than Lua may allocate";
    lua_settop(L, 0);
    g_limit = SIZE_MAX;
    lua_gc(L, LUA_GCCOLLECT, 0);
    size_t after = mallinfo2().uordblks;
    EXPECT_LT(after, before + (1 << 20)) << f << " left " << (after - before) << " bytes behind";
  }
  lua_close(L);
}
