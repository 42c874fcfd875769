// UScreen: the device, the screen size and mode, the texture cache, the
// single submission path, scene begin/end, screen modes and device-loss
// recovery. Lua-free: every operation returns a status for its binding.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "graphics/device.h"
#include "graphics/status.h"
#include "host/input.h"

struct SDL_Window;

namespace qor {

struct UScreen {
  std::unique_ptr<Device> device;  // null until gui.create
  int width = 0, height = 0;       // the size given to gui.create
  int desktopWidth = 0, desktopHeight = 0;
  int mode = 0;                    // 0 windowed, 1 full screen, 2 stretched
  int stretchWidth = 0, stretchHeight = 0;
  bool modeChanging = false;
  DeviceTexture* boundTexture = nullptr;
  // An off-screen scene was begun and not ended by bitmap:endscene. A failed
  // texture:beginscene leaves it set, so later begins are refused until
  // bitmap:endscene clears it; `offscreenOpen` says whether a texture or
  // bitmap scene really draws into the off-screen target.
  bool renderTargetActive = false;
  bool offscreenOpen = false;
  DeviceRect updateRect{};
  bool partialUpdate = false;
  BlendMode blend = BLEND_NORMAL;
};

extern UScreen g_screen;

// --- creation (the start-up in app/ wires window, sound and device)

// The screen size given to gui.create and the desktop it is shown on.
void SetScreenSize(int width, int height);
void SetDesktopSize(int width, int height);

// Which backend gui.create builds, decided before the window exists because
// a window for OpenGL is made differently. Needs SDL video.
enum class ScreenBackend { Soft, GL };
ScreenBackend ChooseScreenBackend(bool* automatic);

// Creates the drawing device on `window` (the soft device presents into
// `shown`, null when nothing is shown), clears it to black and writes the
// device lines of the boot log. A GL failure falls back to the software
// device when the backend was chosen automatically. NoDevice with a reason
// when no device can be made.
GfxStatus CreateScreenDevice(SDL_Window* window, SDL_Window* shown, ScreenBackend backend, bool automatic,
                             std::string* reason);

// Tests and benchmarks: use `device` as the screen of width x height (null
// releases the device and forgets the scene state).
void UseScreenDevice(std::unique_ptr<Device> device, int width, int height);

// The device, or null before gui.create.
inline Device* ScreenDevice() { return g_screen.device.get(); }

// --- drawing

// The device keeps its own record of the bound texture (cleared at every
// begin-scene and reset); these keep ours in step.
void BindTexture(DeviceTexture* tex);
void UnbindTexture();

// The single submission path: in stretched mode (outside off-screen scenes)
// vertices are mapped into the letterbox; points and lines are then refused
// (UnsupportedPrimitive, nothing rewritten). `count` is the number of primitives.
GfxStatus DrawPrimitives(PrimitiveType type, int count, Vertex* vertices);

// Begins a screen scene with the clear of draw.beginscene.
GfxStatus BeginScreenScene(int left, int top, int right, int bottom);

// draw.endscene's work with a device: ends the scene and presents. After a
// failed present the device is recovered: DeviceLost (or TargetFatal).
GfxStatus EndScreenScene();

// The window needs repainting: shows the back buffer again (nothing while a
// mode change runs); a failed present recovers the device.
GfxStatus RepaintScreen();

// Where the picture sits, for mapping mouse positions (the window module asks).
PictureGeometry ScreenPicture();

// --- modes and recovery

// One round of the window's message pump, which a mode switch runs 50 times
// after its reset. Script hooks may run inside it; it returns false when one
// failed, and the switch then stops pumping, finishes (the mode and the
// letterbox are always updated) and reports HookFailed.
struct ScreenPump {
  bool (*run)(void* context) = nullptr;
  void* context = nullptr;
};

// Screen modes 0 (windowed), 1 (full screen), 2 (stretched full screen);
// nothing happens when the mode is already set.
GfxStatus SetScreenMode(int mode, ScreenPump pump);

// Recovery after a failed present; ResetDevice re-creates what a reset loses.
// TargetFatal when an open off-screen scene's target cannot be re-made.
GfxStatus RecoverLostDevice();
GfxStatus ResetDevice();

// Exit clean-up: writes the --screenshot file and releases the device.
// False when a screenshot was asked for and none could be written.
bool ShutdownScreen();

}  // namespace qor
