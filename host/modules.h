// The function lists each binding file contributes, registered in order by modules.cpp.
#pragma once
#include "host/lua.h"

namespace qor {

// Registers the callback table and every module and class in their fixed
// order (modules.cpp). Start-up installs the error wrapper after it.
void RegisterModules(lua_State* L);


extern const luaL_Reg kGuiScreenFuncs[];   // graphics/draw_lua.cpp: setscreenmode, getscreenmode, isenable
extern const luaL_Reg kGuiWindowFuncs[];   // host/gui_lua.cpp: create … gettimer
extern const luaL_Reg kGuiConfigFuncs[];   // host/config_lua.cpp: getconfig
extern const luaL_Reg kDrawFuncs[];        // graphics/draw_lua.cpp
extern const luaL_Reg kConsoleFuncs[];     // image/console_lua.cpp
extern const luaL_Reg kArchiveFuncs[];     // host/archive_lua.cpp
extern const luaL_Reg kEncodingFuncs[];    // image/encoding_lua.cpp
extern const luaL_Reg kEncodingCipherFuncs[];  // host/archive_lua.cpp: encryption, decryption
extern const luaL_Reg kSoundMethods[];     // media/sound_lua.cpp
extern const luaL_Reg kSoundCtors[];
extern const luaL_Reg kTextureMethods[];   // graphics/texture_lua.cpp
extern const luaL_Reg kTextureCtors[];
extern const luaL_Reg kBitmapMethods[];    // image/bitmap_lua.cpp
extern const luaL_Reg kBitmapCtors[];
extern const luaL_Reg kFontMethods[];      // image/font_lua.cpp
extern const luaL_Reg kFontCtors[];

}  // namespace qor
