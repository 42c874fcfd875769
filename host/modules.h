// The function lists each binding file contributes, registered in order by modules.cpp.
#pragma once
#include "host/lua.h"

namespace qor {

// Registers the callback table and every module and class in their fixed
// order (modules.cpp). Start-up installs the error wrapper after it.
void RegisterModules(lua_State* L);


extern const luaL_Reg kGuiScreenFuncs[];   // graphics/draw_lua.cpp: setscreenmode, getscreenmode, isenable
extern const luaL_Reg kGuiWindowFuncs[];   // host/gui_lua.cpp: create … gettimer
extern const luaL_Reg kGuiSystemFuncs[];   // host/gui_system_lua.cpp: paths, files, clipboard, shell
extern const luaL_Reg kGuiDialogFuncs[];   // host/gui_dialogs_lua.cpp: savedialog, loaddialog, dirdialog, input
extern const luaL_Reg kGuiBeepFuncs[];     // host/gui_beep_lua.cpp: beep
// Stops a beep still sounding; an exit step that runs before the audio device closes.
int StopBeepStep();
extern const luaL_Reg kLockFuncs[];        // host/lock_lua.cpp: singleton
extern const luaL_Reg kBitsetMethods[];    // image/bitset_lua.cpp
extern const luaL_Reg kBitsetCtors[];
extern const luaL_Reg kSharedMemoryMethods[];  // image/sharedmemory_lua.cpp
extern const luaL_Reg kSharedMemoryCtors[];
extern const luaL_Reg kGuiConfigFuncs[];   // host/config_lua.cpp: getconfig
extern const luaL_Reg kDrawFuncs[];        // graphics/draw_lua.cpp
extern const luaL_Reg kConsoleFuncs[];     // image/console_lua.cpp
extern const luaL_Reg kArchiveFuncs[];     // host/archive_lua.cpp
extern const luaL_Reg kEncodingFuncs[];    // image/encoding_lua.cpp
extern const luaL_Reg kEncodingCipherFuncs[];  // host/archive_lua.cpp: encryption, decryption
extern const luaL_Reg kMovieFuncs[];      // media/movie_lua.cpp
void InstallMoviePlayer();                // media/movie_lua.cpp: decoder and exit clean-up
extern const luaL_Reg kSoundMethods[];     // media/sound_lua.cpp
extern const luaL_Reg kSoundCtors[];
extern const luaL_Reg kTextureMethods[];   // graphics/texture_lua.cpp
extern const luaL_Reg kTextureCtors[];
extern const luaL_Reg kBitmapMethods[];    // image/bitmap_lua.cpp
extern const luaL_Reg kBitmapCtors[];
extern const luaL_Reg kTransitionFuncs[];  // graphics/transition_lua.cpp
extern const luaL_Reg kShapeFuncs[];       // graphics/shape_lua.cpp
extern const luaL_Reg kCalcFuncs[];        // graphics/calc_lua.cpp
extern const luaL_Reg kFontMethods[];      // image/font_lua.cpp
extern const luaL_Reg kFontCtors[];

}  // namespace qor
