// The SDL audio device that plays the mixer's output, and the --audio-capture
// WAV file that records exactly what the device is given.
#include "media/audio.h"

#include <SDL.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "media/mixer.h"

namespace qor {
namespace {

constexpr int kOutRate = 48000;
constexpr int kOutChannels = 2;

SDL_AudioDeviceID g_device = 0;
std::atomic<UMixer*> g_mixer{nullptr};
FILE* g_capture = nullptr;
uint64_t g_captureBytes = 0;  // written by the callback only while the device runs
bool g_captureFailed = false;

void PutLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
void PutLe16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

// A canonical 44-byte PCM header; the sizes are patched when the capture closes.
void WaveHeader(uint8_t* h, uint32_t dataBytes) {
  memcpy(h, "RIFF", 4);
  PutLe32(h + 4, 36 + dataBytes);
  memcpy(h + 8, "WAVEfmt ", 8);
  PutLe32(h + 16, 16);
  PutLe16(h + 20, 1);
  PutLe16(h + 22, kOutChannels);
  PutLe32(h + 24, kOutRate);
  PutLe32(h + 28, kOutRate * kOutChannels * 2);
  PutLe16(h + 32, kOutChannels * 2);
  PutLe16(h + 34, 16);
  memcpy(h + 36, "data", 4);
  PutLe32(h + 40, dataBytes);
}

void AudioCallback(void*, Uint8* stream, int len) {
  UMixer* mixer = g_mixer.load(std::memory_order_acquire);
  int frames = len / (2 * kOutChannels);
  if (mixer) {
    mixer->Mix(reinterpret_cast<int16_t*>(stream), frames);
  } else {
    memset(stream, 0, size_t(len));
  }
  // The capture stream is fully buffered (1 MiB), so this rarely reaches the disk.
  if (g_capture && !g_captureFailed) {
    size_t bytes = size_t(frames) * 2 * kOutChannels;
    if (fwrite(stream, 1, bytes, g_capture) != bytes) g_captureFailed = true;
    else g_captureBytes += bytes;
  }
}

}  // namespace

namespace {

// Opens SDL audio with the driver SDL picks (or SDL_AUDIODRIVER); 0 on failure.
SDL_AudioDeviceID OpenSdlAudio(std::string* error) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    if (error) *error = SDL_GetError();
    return 0;
  }
  SDL_AudioSpec want{}, have{};
  want.freq = kOutRate;
  want.format = AUDIO_S16SYS;
  want.channels = kOutChannels;
  want.samples = 1024;
  want.callback = AudioCallback;
  SDL_AudioDeviceID dev = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (dev == 0) {
    if (error) *error = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  return dev;
}

}  // namespace

bool OpenAudioDevice(const AudioOptions& options, std::string* error) {
  if (g_device) return true;
  if (!options.driver.empty()) {
    SDL_setenv("SDL_AUDIODRIVER", options.driver.c_str(), 1);
  } else if (options.headless && !SDL_getenv("SDL_AUDIODRIVER")) {
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
  }
  std::string why;
  SDL_AudioDeviceID dev = OpenSdlAudio(&why);
  if (dev == 0 && options.driver.empty()) {
    // A machine without a sound card (or sound server) still runs the game:
    // the mixer then plays into SDL's silent driver, in real time.
    fprintf(stderr, "qor: no audio device (%s); sound plays silently\n", why.c_str());
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    dev = OpenSdlAudio(&why);
  }
  if (dev == 0) {
    if (error) *error = why;
    return false;
  }
  if (!options.capturePath.empty()) {
    g_capture = fopen(options.capturePath.c_str(), "wb");
    if (g_capture) {
      setvbuf(g_capture, nullptr, _IOFBF, 1 << 20);
      uint8_t h[44];
      WaveHeader(h, 0);
      g_captureFailed = fwrite(h, 1, sizeof h, g_capture) != sizeof h;
      g_captureBytes = 0;
    } else {
      fprintf(stderr, "qor: cannot write the audio capture \"%s\"\n", options.capturePath.c_str());
    }
  }
  g_mixer.store(new UMixer(kOutRate), std::memory_order_release);
  g_device = dev;
  SDL_PauseAudioDevice(dev, 0);
  return true;
}

bool AudioDeviceOpen() { return g_device != 0; }

UMixer* DeviceMixer() { return g_mixer.load(std::memory_order_acquire); }

void CloseAudioDevice() {
  if (!g_device) return;
  SDL_CloseAudioDevice(g_device);  // the callback has returned for good after this
  g_device = 0;
  delete g_mixer.exchange(nullptr);
  if (g_capture) {
    uint32_t bytes = g_captureBytes > 0xFFFFFFD0u ? 0xFFFFFFD0u : uint32_t(g_captureBytes);
    uint8_t h[44];
    WaveHeader(h, bytes);
    if (fseek(g_capture, 0, SEEK_SET) == 0) fwrite(h, 1, sizeof h, g_capture);
    fclose(g_capture);
    g_capture = nullptr;
  }
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace qor
