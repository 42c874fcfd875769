// (placeholder until the device lands)
#include "graphics/screen.h"
#include "host/binding.h"
namespace qor {
UScreen g_screen;
void CreateScreen(lua_State* L, int, int) { RaiseMessage(L, "gui.create is not available yet"); }
void Apply2DState() { g_screen.stateBlockApplied = true; }
void BindTexture(DeviceTexture* tex) { g_screen.boundTexture = tex; }
void UnbindTexture() { g_screen.boundTexture = nullptr; }
void DrawPrimitives(lua_State*, PrimitiveType, int, Vertex*) {}
void BeginScreenScene(lua_State*, int, int, int, int) {}
void RecoverLostDevice() {}
void ResetDevice() {}
Device* RequireDevice(lua_State* L) {
  if (!g_screen.device) RaiseMessage(L, "gui.createの前に描画はできません。");
  return g_screen.device.get();
}
void ShutdownScreen() { g_screen.device.reset(); }
}  // namespace qor
