// The archive module and encoding.encryption / decryption.
#include "host/modules.h"

namespace qor {
const luaL_Reg kArchiveFuncs[] = {{nullptr, nullptr}};
const luaL_Reg kEncodingCipherFuncs[] = {{nullptr, nullptr}};
}  // namespace qor
