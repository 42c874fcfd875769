// The console module.
#include "host/modules.h"

namespace qor {
const luaL_Reg kConsoleFuncs[] = {{nullptr, nullptr}};
}  // namespace qor
