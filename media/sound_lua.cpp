// The sound class: Lua bindings over UOggThread.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "host/binding.h"
#include "host/modules.h"
#include "host/options.h"
#include "host/resource.h"
#include "media/audio.h"
#include "media/ogg_thread.h"

namespace qor {
namespace {

const char kClass[] = "sound";

// The userdata: the sound object built in place, and whether it still exists.
// After sound:delete the object is destroyed and every later method is a no-op.
struct SoundRecord {
  bool alive;
  alignas(UOggThread) unsigned char storage[sizeof(UOggThread)];

  SoundRecord() : alive(true) { new (storage) UOggThread(); }
  UOggThread* Get() { return alive ? std::launder(reinterpret_cast<UOggThread*>(storage)) : nullptr; }
  void Destroy() {
    if (UOggThread* t = Get()) {
      t->StopAndReset();
      t->~UOggThread();
      alive = false;
    }
  }
};

UOggThread* CheckSound(lua_State* L) { return CheckSelf<SoundRecord>(L, kClass)->Get(); }

// The device normally opens with the window; a game that plays before that gets it here.
void EnsureAudioDevice() {
  static bool reported = false;
  if (AudioDeviceOpen()) return;
  AudioOptions options;
  options.driver = g_options.audioDriver;
  options.headless = g_options.headless;
  options.capturePath = g_options.audioCapture;
  std::string error;
  if (!OpenAudioDevice(options, &error) && !reported) {
    reported = true;
    fprintf(stderr, "qor: no audio device (%s); sounds are silent\n", error.c_str());
  }
}

int SoundCreate(lua_State* L) {
  ClearStack(L);
  NewRecord<SoundRecord>(L, kClass);
  return 1;
}

int SoundPlay(lua_State* L) {
  SoundRecord* rec = CheckSelf<SoundRecord>(L, kClass);
  if (lua_gettop(L) < 2 || !lua_istable(L, 2)) RaiseMessage(L, "OGG再生設定：第１引数にテーブルを渡してください。");

  // Every key is read into plain locals before any C++ object exists, so the
  // messages below can be raised safely.
  static const char kNameMessage[] = "OGG再生設定：nameにファイル名を渡してください。";
  char name[256];
  const char* s = OptStringField(L, 2, "name", kNameMessage);
  if (!s) RaiseMessage(L, "%s", kNameMessage);
  size_t len = strlen(s);
  if (len > 255) RaiseMessage(L, "ファイル\"%s\"が開けませんでした。", s);
  memcpy(name, s, len + 1);
  lua_pop(L, 1);

  bool loop = BoolField(L, 2, "loop");
  double loopPoint =
      OptNumberField(L, 2, "looppoint", 0.0, "OGG再生設定：looppointにはループ位置（少数で秒単位）を指定してください。");
  // 1 lies outside the volume range and stands for "not given".
  int volume = OptIntField(L, 2, "volume", 1, "OGG再生設定：volumeには数値(0～-10000)を指定してください。");
  int speed = OptIntField(L, 2, "speed", 1, "OGG再生速度：speedには数値(1もしくは2)を指定してください。");
  // Read as a number so the key is looked up once. NaN stands for "not
  // given": a NaN pan reads as 0, the pan an absent one plays with anyway.
  double pan = OptNumberField(L, 2, "pan", std::nan(""), "OGG再生設定：panには数値(-10000～-10000)を指定してください。");
  double fadeIn = OptNumberField(L, 2, "fadein", 0.0, "OGG再生設定：fadeintimeには数値(少数：秒単位)を指定してください。");
  ClearStack(L);

  UOggThread* t = rec->Get();
  if (!t) return 0;
  RunGuarded(L, [&](Outcome& out) {
    EnsureAudioDevice();
    ResourceLocation where;
    if (!FindResource(name, &where)) {
      out.Fail("ファイル\"%s\"がありませんでした。", name);
      return;
    }
    if (!t->Open(where)) {
      if (where.archived)
        out.Fail("ファイル\"%s\"がアーカイブ\"%.255s\"から開けませんでした。", name, where.path.c_str());
      else
        out.Fail("ファイル\"%s\"が開けませんでした。", name);
      return;
    }
    t->SetDoubleSpeed(speed == 2);
    if (volume != 1) t->SetVolume(volume);
    if (pan == pan) t->SetPan(NumberToInt(pan));
    if (fadeIn > 0) t->SetFadeInTime(NumberToInt(fadeIn * 1000.0));
    if (loopPoint != 0.0 || loopPoint != loopPoint) {
      t->PlayWithLoopPoint(loopPoint);
    } else {
      t->Play(loop);
    }
  });
  return 0;
}

int SoundStop(lua_State* L) {
  if (UOggThread* t = CheckSound(L)) t->StopAndReset();
  ClearStack(L);
  return 0;
}

int SoundVolume(lua_State* L) {
  UOggThread* t = CheckSound(L);
  int v = CheckInt(L, 2);
  if (t) t->SetVolume(v);
  ClearStack(L);
  return 0;
}

int SoundPan(lua_State* L) {
  UOggThread* t = CheckSound(L);
  int p = CheckInt(L, 2);
  if (t) t->SetPan(p);
  ClearStack(L);
  return 0;
}

int SoundFadeOut(lua_State* L) {
  UOggThread* t = CheckSound(L);
  int ms = CheckInt(L, 2);
  if (t) t->FadeOut(ms);
  ClearStack(L);
  return 0;
}

int SoundIsPlaying(lua_State* L) {
  UOggThread* t = CheckSound(L);
  ClearStack(L);
  lua_pushboolean(L, t && t->IsRunning());
  return 1;
}

int SoundPause(lua_State* L) {
  if (UOggThread* t = CheckSound(L)) t->Pause();
  return 0;
}

int SoundResume(lua_State* L) {
  if (UOggThread* t = CheckSound(L)) t->Resume();
  return 0;
}

int SoundDelete(lua_State* L) {
  CheckSelf<SoundRecord>(L, kClass)->Destroy();
  ClearStack(L);
  return 0;
}

int SoundGc(lua_State* L) {
  // Stops the worker before the object's memory goes back to Lua.
  CheckSelf<SoundRecord>(L, kClass)->Destroy();
  ClearStack(L);
  return 0;
}

}  // namespace

const luaL_Reg kSoundMethods[] = {
    {"delete", SoundDelete}, {"play", SoundPlay},         {"stop", SoundStop},   {"volume", SoundVolume},
    {"pan", SoundPan},       {"fadeout", SoundFadeOut},   {"isplaying", SoundIsPlaying},
    {"pause", SoundPause},   {"resume", SoundResume},     {"__gc", SoundGc},     {nullptr, nullptr}};
const luaL_Reg kSoundCtors[] = {{"create", SoundCreate}, {nullptr, nullptr}};

}  // namespace qor
