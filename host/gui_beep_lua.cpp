// Lua binding of gui.beep: the system's beep where there is one (Windows),
// else a short tone through the mixer, or the terminal bell when no audio
// device is open.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numbers>

#include "host/binding.h"
#include "host/modules.h"
#include "media/audio.h"
#include "media/mixer.h"
#include "platform/desktop.h"

namespace qor {
namespace {

// The beep: a short tone in one mixer buffer kept for the run. Mixer
// buffers loop, so a timer stops it before the tone comes round again.
constexpr int kBeepRate = 22050;
constexpr int kBeepFrames = kBeepRate * 3 / 10;  // the buffer: 0.3 s
constexpr int kToneFrames = kBeepRate * 12 / 100;  // the tone: 0.12 s at 880 Hz
constexpr Uint32 kBeepStopMs = 200;
std::atomic<MixBuffer*> g_beepBuffer{nullptr};
SDL_TimerID g_beepTimer = 0;

Uint32 StopBeepTimer(Uint32, void*) {
  if (MixBuffer* b = g_beepBuffer.load()) b->Stop();
  return 0;
}

int16_t BeepSample(int i) {
  if (i >= kToneFrames) return 0;
  int edge = std::min(i, kToneFrames - 1 - i);
  double fade = edge < 110 ? edge / 110.0 : 1.0;  // 5 ms ramps: no clicks
  return static_cast<int16_t>(9000 * fade * std::sin(2 * std::numbers::pi * 880.0 * i / kBeepRate));
}

void PlayBeep() {
  static bool timers = SDL_InitSubSystem(SDL_INIT_TIMER) == 0;
  UMixer* mixer = DeviceMixer();
  if (!AudioDeviceOpen() || !mixer || !timers) return platform::TerminalBell();
  MixBuffer* b = g_beepBuffer.load();
  if (!b) {
    PcmFormat f{1, kBeepRate, 16, 2, 2 * kBeepRate};
    b = mixer->CreateBuffer(f, 2 * kBeepFrames);
    if (!b) return platform::TerminalBell();
    g_beepBuffer.store(b);
  }
  if (g_beepTimer) SDL_RemoveTimer(g_beepTimer);
  b->Stop();
  // The tone is written from the play cursor on, so it starts at once.
  void *p1, *p2;
  uint32_t n1, n2;
  if (!b->Lock(b->GetCurrentPosition(), b->Size(), &p1, &n1, &p2, &n2)) return;
  int i = 0;
  for (int16_t* s = static_cast<int16_t*>(p1); s < static_cast<int16_t*>(p1) + n1 / 2; ++s) *s = BeepSample(i++);
  if (p2)
    for (int16_t* s = static_cast<int16_t*>(p2); s < static_cast<int16_t*>(p2) + n2 / 2; ++s) *s = BeepSample(i++);
  b->Unlock(p1, n1, p2, n2);
  b->Play();
  g_beepTimer = SDL_AddTimer(kBeepStopMs, StopBeepTimer, nullptr);
}

int GuiBeep(lua_State* L) {
  ClearStack(L);
  // The system's own beep where it has one; else a tone of our own.
  Guard([] {
    if (!platform::SystemBeep()) PlayBeep();
  });
  return 0;
}

}  // namespace

int StopBeepStep() {
  if (g_beepTimer) SDL_RemoveTimer(g_beepTimer);
  g_beepTimer = 0;
  if (MixBuffer* b = g_beepBuffer.exchange(nullptr)) b->Stop();
  return 0;
}


const luaL_Reg kGuiBeepFuncs[] = {
    {"beep", GuiBeep},
    {nullptr, nullptr},
};

}  // namespace qor
