// The start-up behind gui.create: it wires the main window, the audio device
// and the drawing device together and writes the boot log of that sequence.
#pragma once
#include <string>

namespace qor {

enum class StartupStatus {
  Ok,
  AlreadyCreated,  // gui.create runs once per run
  BadSize,         // width or height not in 1..16384
  WindowFailed,    // `reason` says why
  DeviceFailed,    // `reason` says why (also written to stderr)
};

// Creates window, audio device and drawing device for a width x height
// screen. When the audio device cannot be opened the process ends (exit -1)
// after the "DirectSound" message box, as the original start-up did.
StartupStatus StartScreen(int width, int height, std::string* reason);

// Runs the engine: adds the sound and screen steps to the exit clean-up and
// starts the host with every module registered. Never returns.
[[noreturn]] void RunEngine();

}  // namespace qor
