// The sound class.
#include "host/modules.h"

namespace qor {
const luaL_Reg kSoundMethods[] = {{nullptr, nullptr}};
const luaL_Reg kSoundCtors[] = {{nullptr, nullptr}};
}  // namespace qor
