// gui.getconfig.
#include "host/modules.h"

namespace qor {
const luaL_Reg kGuiConfigFuncs[] = {{nullptr, nullptr}};
}  // namespace qor
