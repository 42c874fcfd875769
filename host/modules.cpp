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
  RegisterModule(L, "gui", kGuiSystemFuncs);
  RegisterModule(L, "gui", kGuiDialogFuncs);
  RegisterModule(L, "gui", kGuiBeepFuncs);
  RegisterModule(L, "draw", kDrawFuncs);
  RegisterModule(L, "lock", kLockFuncs);
  RegisterModule(L, "console", kConsoleFuncs);
  InstallMoviePlayer();
  RegisterModule(L, "movie", kMovieFuncs);
  RegisterModule(L, "archive", kArchiveFuncs);
  RegisterModule(L, "encoding", kEncodingFuncs);
  RegisterModule(L, "encoding", kEncodingCipherFuncs);
  RegisterModule(L, "transition", kTransitionFuncs);
  RegisterModule(L, "shape", kShapeFuncs);
  RegisterModule(L, "calc", kCalcFuncs);
  RegisterClass(L, "bitset", kBitsetMethods, kBitsetCtors);
  RegisterClass(L, "sharedmemory", kSharedMemoryMethods, kSharedMemoryCtors);
  RegisterClass(L, "font", kFontMethods, kFontCtors);
  RegisterClass(L, "sound", kSoundMethods, kSoundCtors);
  RegisterClass(L, "texture", kTextureMethods, kTextureCtors);
  RegisterClass(L, "bitmap", kBitmapMethods, kBitmapCtors);
}

}  // namespace qor
