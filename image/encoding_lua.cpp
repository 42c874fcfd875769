// The encoding module's text conversions.
#include "host/modules.h"

namespace qor {
const luaL_Reg kEncodingFuncs[] = {{nullptr, nullptr}};
}  // namespace qor
