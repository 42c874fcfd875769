// The audio device: opened by gui.create (or on a sound's first use), closed at exit.
#pragma once
#include <string>

namespace qor {

class UMixer;

// Opens SDL audio and starts the mixer; false with a reason when it cannot.
bool OpenAudioDevice(std::string* error);
bool AudioDeviceOpen();
// Stops the mixer and closes the device (and the --audio-capture file).
void CloseAudioDevice();

// The mixer feeding the open device; nullptr while no device is open.
UMixer* DeviceMixer();

}  // namespace qor
