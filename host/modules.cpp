// Registration of every engine module and class, in their fixed order.
#include "host/binding.h"
#include "host/engine.h"
#include "host/modules.h"

namespace qor {
namespace {
const luaL_Reg kNone[] = {{nullptr, nullptr}};
}

void RegisterModules(lua_State* L) {
  lua_newtable(L);
  lua_setglobal(L, "callback");
  // gui is one table assembled from the device, window and configuration parts.
  RegisterModule(L, "gui", kGuiScreenFuncs);
  RegisterModule(L, "gui", kGuiWindowFuncs);
  RegisterModule(L, "gui", kGuiConfigFuncs);
  RegisterModule(L, "draw", kDrawFuncs);
  RegisterModule(L, "lock", kNone);
  RegisterModule(L, "console", kConsoleFuncs);
  RegisterModule(L, "movie", kNone);
  RegisterModule(L, "archive", kArchiveFuncs);
  RegisterModule(L, "encoding", kEncodingFuncs);
  RegisterModule(L, "encoding", kEncodingCipherFuncs);
  RegisterModule(L, "transition", kNone);
  RegisterModule(L, "shape", kNone);
  RegisterModule(L, "calc", kNone);
  RegisterClass(L, "bitset", kNone, kNone);
  RegisterClass(L, "sharedmemory", kNone, kNone);
  RegisterClass(L, "font", kFontMethods, kFontCtors);
  RegisterClass(L, "sound", kSoundMethods, kSoundCtors);
  RegisterClass(L, "texture", kTextureMethods, kTextureCtors);
  RegisterClass(L, "bitmap", kBitmapMethods, kBitmapCtors);
}

}  // namespace qor
