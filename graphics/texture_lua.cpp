// The texture class.
#include "host/modules.h"

namespace qor {
const luaL_Reg kTextureMethods[] = {{nullptr, nullptr}};
const luaL_Reg kTextureCtors[] = {{nullptr, nullptr}};
}  // namespace qor
