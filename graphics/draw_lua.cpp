// Lua bindings of gui's device part and the draw module.
#include "host/modules.h"

namespace qor {
const luaL_Reg kGuiScreenFuncs[] = {{nullptr, nullptr}};
const luaL_Reg kDrawFuncs[] = {{nullptr, nullptr}};
}  // namespace qor
