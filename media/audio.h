// The audio device: opened by gui.create (or on a sound's first use), closed at exit.
#pragma once
#include <string>

namespace qor {

class UMixer;

// How the device is opened; the caller fills it from the command line.
struct AudioOptions {
  std::string driver;       // SDL audio driver name; "" = SDL's choice (dummy when headless)
  bool headless = false;    // no display: the silent driver unless one is named
  std::string capturePath;  // WAV file receiving everything the mixer outputs; "" = none
};

// Opens SDL audio and starts the mixer; false with a reason when it cannot.
// Without a named driver, a machine with no sound device gets SDL's silent one.
bool OpenAudioDevice(const AudioOptions& options, std::string* error);
bool AudioDeviceOpen();
// Stops the mixer and closes the device (and the --audio-capture file).
void CloseAudioDevice();

// The mixer feeding the open device; nullptr while no device is open.
UMixer* DeviceMixer();

}  // namespace qor
