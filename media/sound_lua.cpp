// The sound class: Lua bindings over UOggThread.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "host/binding.h"
#include "host/modules.h"
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

UOggThread* CheckSound(lua_State* L) { return CheckRecord<SoundRecord>(L, 1, kClass)->Get(); }

int32_t ClampToInt32(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return int32_t(v);  // truncation toward zero
}

int32_t ClampInteger(lua_Integer v) {
  return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : int32_t(v);
}

// The device normally opens with the window; a game that plays before that gets it here.
void EnsureAudioDevice() {
  static bool reported = false;
  if (AudioDeviceOpen()) return;
  std::string error;
  if (!OpenAudioDevice(&error) && !reported) {
    reported = true;
    fprintf(stderr, "qor: no audio device (%s); sounds are silent\n", error.c_str());
  }
}

// Pushes t[key] (with metamethods, as lua_gettable does).
void GetKey(lua_State* L, const char* key) {
  lua_pushstring(L, key);
  lua_gettable(L, 2);
}

int SoundCreate(lua_State* L) {
  ClearStack(L);
  NewRecord<SoundRecord>(L, kClass);
  return 1;
}

int SoundPlay(lua_State* L) {
  SoundRecord* rec = CheckRecord<SoundRecord>(L, 1, kClass);
  if (lua_gettop(L) < 2 || !lua_istable(L, 2)) RaiseMessage(L, "OGG再生設定：第１引数にテーブルを渡してください。");

  // Every key is read into plain locals before any C++ object exists, so the
  // messages below can be raised safely.
  char name[256];
  GetKey(L, "name");
  if (!lua_isstring(L, -1)) RaiseMessage(L, "OGG再生設定：nameにファイル名を渡してください。");
  const char* s = lua_tostring(L, -1);
  size_t len = strlen(s);
  if (len > 255) RaiseMessage(L, "ファイル\"%s\"が開けませんでした。", s);
  memcpy(name, s, len + 1);
  lua_pop(L, 1);

  GetKey(L, "loop");
  bool loop = lua_toboolean(L, -1);
  lua_pop(L, 1);

  double loopPoint = 0.0;
  GetKey(L, "looppoint");
  if (!lua_isnil(L, -1)) {
    if (!lua_isnumber(L, -1))
      RaiseMessage(L, "OGG再生設定：looppointにはループ位置（少数で秒単位）を指定してください。");
    loopPoint = lua_tonumber(L, -1);
  }
  lua_pop(L, 1);

  lua_Integer volume = 1;  // 1 lies outside the volume range and stands for "not given"
  GetKey(L, "volume");
  if (!lua_isnil(L, -1)) {
    if (!lua_isnumber(L, -1)) RaiseMessage(L, "OGG再生設定：volumeには数値(0～-10000)を指定してください。");
    volume = lua_tointeger(L, -1);
  }
  lua_pop(L, 1);

  lua_Integer speed = 1;
  GetKey(L, "speed");
  if (!lua_isnil(L, -1)) {
    if (!lua_isnumber(L, -1)) RaiseMessage(L, "OGG再生速度：speedには数値(1もしくは2)を指定してください。");
    speed = lua_tointeger(L, -1);
  }
  lua_pop(L, 1);

  bool hasPan = false;
  lua_Integer pan = 0;
  GetKey(L, "pan");
  if (!lua_isnil(L, -1)) {
    if (!lua_isnumber(L, -1)) RaiseMessage(L, "OGG再生設定：panには数値(-10000～-10000)を指定してください。");
    pan = lua_tointeger(L, -1);
    hasPan = true;
  }
  lua_pop(L, 1);

  double fadeIn = 0.0;
  GetKey(L, "fadein");
  if (!lua_isnil(L, -1)) {
    if (!lua_isnumber(L, -1)) RaiseMessage(L, "OGG再生設定：fadeintimeには数値(少数：秒単位)を指定してください。");
    fadeIn = lua_tonumber(L, -1);
  }
  lua_pop(L, 1);
  ClearStack(L);

  UOggThread* t = rec->Get();
  if (!t) return 0;

  enum { kOpened, kOpenFailed, kMissing, kArchiveFailed } outcome;
  char archiveName[256] = {};
  {
    EnsureAudioDevice();
    ResourceLocation loc;
    if (!FindResource(name, &loc)) {
      outcome = kMissing;
    } else if (!loc.archived) {
      outcome = t->Open(loc.path.c_str(), 0, 0) ? kOpened : kOpenFailed;
    } else {
      snprintf(archiveName, sizeof archiveName, "%s", loc.path.c_str());
      outcome = t->Open(loc.path.c_str(), loc.offset, loc.size) ? kOpened : kArchiveFailed;
    }
  }
  if (outcome == kOpenFailed) RaiseMessage(L, "ファイル\"%s\"が開けませんでした。", name);
  if (outcome == kMissing) RaiseMessage(L, "ファイル\"%s\"がありませんでした。", name);
  if (outcome == kArchiveFailed)
    RaiseMessage(L, "ファイル\"%s\"がアーカイブ\"%s\"から開けませんでした。", name, archiveName);

  t->SetDoubleSpeed(speed == 2);
  if (volume != 1) t->SetVolume(ClampInteger(volume));
  if (hasPan) t->SetPan(ClampInteger(pan));
  if (fadeIn > 0) t->SetFadeInTime(ClampToInt32(fadeIn * 1000.0));
  if (loopPoint != 0.0 || loopPoint != loopPoint) {
    t->PlayWithLoopPoint(loopPoint);
  } else {
    t->Play(loop);
  }
  return 0;
}

int SoundStop(lua_State* L) {
  if (UOggThread* t = CheckSound(L)) t->StopAndReset();
  ClearStack(L);
  return 0;
}

int SoundVolume(lua_State* L) {
  UOggThread* t = CheckSound(L);
  int32_t v = ClampInteger(luaL_checkinteger(L, 2));
  if (t) t->SetVolume(v);
  ClearStack(L);
  return 0;
}

int SoundPan(lua_State* L) {
  UOggThread* t = CheckSound(L);
  int32_t p = ClampInteger(luaL_checkinteger(L, 2));
  if (t) t->SetPan(p);
  ClearStack(L);
  return 0;
}

int SoundFadeOut(lua_State* L) {
  UOggThread* t = CheckSound(L);
  int32_t ms = ClampToInt32(luaL_checknumber(L, 2));
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
  CheckRecord<SoundRecord>(L, 1, kClass)->Destroy();
  ClearStack(L);
  return 0;
}

int SoundGc(lua_State* L) {
  // Stops the worker before the object's memory goes back to Lua.
  CheckRecord<SoundRecord>(L, 1, kClass)->Destroy();
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
