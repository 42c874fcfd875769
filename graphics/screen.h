// UScreen: the device, the screen size and mode, the 2D state caches, the
// single submission path, scene begin/end, screen modes and device-loss recovery.
#pragma once
#include <cstdint>
#include <memory>

#include "graphics/device.h"
#include "host/lua.h"

namespace qor {

struct UScreen {
  std::unique_ptr<Device> device;  // null until gui.create
  int width = 0, height = 0;       // the size given to gui.create
  int desktopWidth = 0, desktopHeight = 0;
  int mode = 0;                    // 0 windowed, 1 full screen, 2 stretched
  int stretchWidth = 0, stretchHeight = 0;
  bool modeChanging = false;
  bool stateBlockApplied = false;
  DeviceTexture* boundTexture = nullptr;
  bool renderTargetActive = false;
  DeviceRect updateRect{};
  bool partialUpdate = false;
  BlendMode blend = BLEND_NORMAL;
};

extern UScreen g_screen;

// gui.create's work (window steps, audio device, drawing device, state);
// raises script errors through L as the boot log sequence requires.
void CreateScreen(lua_State* L, int width, int height);

// The 2D state: applied once per scene (a no-op for our backends beyond the flag).
void Apply2DState();
void BindTexture(DeviceTexture* tex);
void UnbindTexture();

// The single submission path: in stretched mode (outside render targets)
// vertices are mapped into the letterbox; points and lines are then refused
// with a script error raised on L. `count` is the number of primitives.
void DrawPrimitives(lua_State* L, PrimitiveType type, int count, Vertex* vertices);

// Begins a screen scene with the clear of draw.beginscene.
void BeginScreenScene(lua_State* L, int left, int top, int right, int bottom);

// draw.endscene's work with a device: ends the scene and presents; after a
// failed present the device is recovered and the result is false.
bool EndScreenScene();

// Screen modes 0 (windowed), 1 (full screen), 2 (stretched full screen);
// nothing happens when the mode is already set. Pumps messages through L.
void SetScreenMode(lua_State* L, int mode);

// Recovery after a failed present; ResetDevice re-creates what a reset loses.
void RecoverLostDevice();
void ResetDevice();

// Draw calls need the device: raises a script error when gui.create has not run.
Device* RequireDevice(lua_State* L);

// Exit clean-up: writes the --screenshot file, releases device and window.
// False when a screenshot was asked for and none could be written.
bool ShutdownScreen();

}  // namespace qor
