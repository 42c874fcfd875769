// The bitmap class.
#include "host/modules.h"

namespace qor {
const luaL_Reg kBitmapMethods[] = {{nullptr, nullptr}};
const luaL_Reg kBitmapCtors[] = {{nullptr, nullptr}};
}  // namespace qor
