// The `lock` module: lock.singleton, one running copy per game folder.
#include <cstdio>

#include "host/binding.h"
#include "host/engine.h"
#include "host/modules.h"
#include "platform/single_instance.h"

namespace qor {
namespace {

int LockSingleton(lua_State* L) {
  platform::InstanceStatus s = platform::InstanceStatus::kOnly;
  // Named after the game folder: one qor binary runs many games, and two
  // different games must not block each other.
  if (!Guard([&] { s = platform::AcquireSingleInstance(GameFolder()); })) s = platform::InstanceStatus::kError;
  if (s == platform::InstanceStatus::kError) {
    // Without a lock file the guard cannot work; the game runs as if alone.
    fprintf(stderr, "qor: cannot take the single-instance lock; running anyway\n");
    s = platform::InstanceStatus::kOnly;
  }
  if (s == platform::InstanceStatus::kOnly) {
    ClearStack(L);
    return 0;
  }
  if (lua_gettop(L) < 1) FatalError("このプログラムは二重起動できません。");
  if (!lua_isfunction(L, 1)) RaiseMessage(L, "シングルトン処理には関数を渡してください。");
  lua_settop(L, 1);
  lua_call(L, 0, 0);
  return 0;
}

}  // namespace

const luaL_Reg kLockFuncs[] = {
    {"singleton", LockSingleton},
    {nullptr, nullptr},
};

}  // namespace qor
