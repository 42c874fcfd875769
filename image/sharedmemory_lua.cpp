// The Lua class `sharedmemory`: create, open, read, write, __gc over the
// platform's named shared blocks.
#include <cstring>
#include <new>
#include <string>

#include "host/binding.h"
#include "host/engine.h"
#include "host/modules.h"
#include "platform/shared_memory.h"

namespace qor {
namespace {

constexpr const char* kClass = "sharedmemory";

// The record behind a sharedmemory userdata: the block (null when none).
struct USharedMemory {
  platform::SharedBlock* block;
};

// Blocks still open when the run ends by a fatal error (no collection then)
// are let go by an exit step, so their names do not outlive every user.
constexpr int kMaxOpen = 256;
platform::SharedBlock* g_open[kMaxOpen];
bool g_stepAdded = false;

int CloseRemainingBlocks() {
  for (platform::SharedBlock*& b : g_open) {
    if (!b) continue;
    platform::CloseSharedBlock(b);
    b = nullptr;
  }
  return 0;
}

void Remember(platform::SharedBlock* b, bool keep) {
  for (platform::SharedBlock*& slot : g_open) {
    if (keep ? slot == nullptr : slot == b) {
      slot = keep ? b : nullptr;
      return;
    }
  }
}

// Creates or opens the block into a new record; nil when that fails.
template <class Open>
int NewShared(lua_State* L, Open&& open) {
  if (!g_stepAdded) {
    g_stepAdded = true;
    AddExitStep(CloseRemainingBlocks);
  }
  platform::SharedBlock* block = nullptr;
  RunGuarded(L, [&](Outcome&) {
    auto* b = new platform::SharedBlock();
    if (open(b)) {
      block = b;
      Remember(b, true);
    } else {
      delete b;
    }
  });
  ClearStack(L);
  if (!block) {
    lua_pushnil(L);
    return 1;
  }
  NewRecord<USharedMemory>(L, kClass)->block = block;
  return 1;
}

USharedMemory* CheckSharedMemory(lua_State* L) { return CheckSelf<USharedMemory>(L, kClass); }

int SharedMemoryCreate(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  int size = CheckInt(L, 2);
  return NewShared(L, [&](platform::SharedBlock* b) {
    return size > 0 && platform::CreateSharedBlock(name, size_t(size), b);  // no size gives nil too
  });
}

int SharedMemoryOpen(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  return NewShared(L, [&](platform::SharedBlock* b) { return platform::OpenSharedBlock(name, b); });
}

int SharedMemoryRead(lua_State* L) {
  USharedMemory* m = CheckSharedMemory(L);
  bool ok = false;
  std::string* text = nullptr;
  RunGuarded(L, [&](Outcome&) {
    text = new std::string();
    ok = m->block && platform::ReadSharedBlock(*m->block, text);
  });
  ClearStack(L);
  if (ok)
    lua_pushlstring(L, text->data(), text->size());
  else
    lua_pushnil(L);
  delete text;
  return 1;
}

// The string up to its first NUL, plus a NUL; false when it does not fit.
int SharedMemoryWrite(lua_State* L) {
  USharedMemory* m = CheckSharedMemory(L);
  const char* s = luaL_checkstring(L, 2);
  bool ok = m->block && platform::WriteSharedBlock(*m->block, s, strlen(s));
  ClearStack(L);
  lua_pushboolean(L, ok);
  return 1;
}

int SharedMemoryGc(lua_State* L) {
  USharedMemory* m = CheckSharedMemory(L);
  if (m->block) {
    Remember(m->block, false);
    platform::CloseSharedBlock(m->block);
    delete m->block;
    m->block = nullptr;
  }
  ClearStack(L);
  return 0;
}

}  // namespace

const luaL_Reg kSharedMemoryMethods[] = {
    {"read", SharedMemoryRead},
    {"write", SharedMemoryWrite},
    {"__gc", SharedMemoryGc},
    {nullptr, nullptr},
};
const luaL_Reg kSharedMemoryCtors[] = {
    {"create", SharedMemoryCreate},
    {"open", SharedMemoryOpen},
    {nullptr, nullptr},
};

}  // namespace qor
