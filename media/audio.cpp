// (placeholder until the mixer lands)
#include "media/audio.h"
namespace qor {
bool OpenAudioDevice(std::string*) { return true; }
bool AudioDeviceOpen() { return false; }
void CloseAudioDevice() {}
}  // namespace qor
