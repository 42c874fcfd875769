// Lua bindings of gui's window and input part.
#include "host/modules.h"

namespace qor {
const luaL_Reg kGuiWindowFuncs[] = {{nullptr, nullptr}};
}  // namespace qor
