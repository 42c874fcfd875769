// UOggThread: one sound object. Each play starts a worker that streams an Ogg
// Vorbis or PCM WAV file (whole file, or a region of an archive file) into a
// three-second mixer buffer, one second at a time, and applies the volume,
// pan, pause/resume and fade requests that the main thread leaves for it.
#pragma once
#include <vorbis/vorbisfile.h>

#include <cstdint>
#include <cstdio>

#include "media/mixer.h"
#include "media/thread.h"

namespace qor {

class SoundClock;

// Everything that changes during playback, exchanged whole under the lock.
struct SharedState {
  bool loop;
  double loopPoint;        // seconds
  uint32_t fadeTime;       // ms; 0 = no fade running
  uint32_t fadeStart;      // clock value when the fade began
  int32_t volume;          // volume to apply on a request; a fade starts from it
  int32_t fadeTarget;
  bool stopAtFadeEnd;
  bool pauseRequest;
  bool resumeRequest;
  bool paused;
  bool volumeRequest;
  bool panRequest;
  int32_t pan;
  int32_t appliedVolume;   // the volume last given to the buffer
  bool doubleSpeed;
};

// The file as the worker reads it: the whole file, or bytes offset .. offset+length.
struct StreamWindow {
  FILE* file;
  int32_t offset;
  int32_t length;
  int32_t position;  // relative to offset
};

// The four decoder callbacks (read, seek, close, tell) over a StreamWindow.
size_t WindowRead(void* buf, size_t size, size_t count, void* window);
int WindowSeek(void* window, ogg_int64_t offset, int whence);
int WindowClose(void* window);
long WindowTell(void* window);

class UOggThread : public UThread {
 public:
  UOggThread();
  ~UOggThread() override;

  // Where the worker plays and whose clock it uses; nullptr = the audio
  // device's mixer and the engine clock. Only while no worker runs.
  void SetBackend(UMixer* mixer, SoundClock* clock);

  void GetShared(SharedState* out);
  void PutShared(const SharedState& in);
  void ResetLoopInfo();
  void StopAndReset();
  // False when the path is longer than 255 bytes, the region does not fit in
  // 31 bits, or no file of that name exists.
  bool Open(const char* path, int64_t offset, int64_t length);
  bool Play(bool loop);
  bool PlayWithLoopPoint(double loopPoint);
  void SetVolume(int32_t v);
  void SetPan(int32_t p);
  void Pause();
  void Resume();
  void FadeOut(int32_t ms);
  void SetDoubleSpeed(bool on) { doubleSpeed = on; }
  void SetFadeInTime(int32_t ms) { fadeInTime = ms; }

 protected:
  void Run() override;
  void WakeForStop() override;

 private:
  enum class Serviced { kContinue, kLeavePasses, kEnd };
  template <class F>
  void Update(F change);
  bool StartPlayback(bool loop, double loopPoint);
  bool RunBody();  // the streaming loop; returns when playback ends for any reason
  void EndSequence();
  Serviced ServiceRequests();
  bool FillBlock(uint8_t* p1, uint32_t n1, uint8_t* p2, uint32_t n2, bool loop, bool doubleSpeed, double loopPoint);
  bool ReadOgg(uint8_t* dst, long count, bool loop, double loopPoint);
  bool ReadWave(uint8_t* dst, long count, bool loop);
  bool ReadOggDouble(uint8_t* dst, uint32_t n, bool loop, double loopPoint);
  long Decode(uint8_t* dst, long count);
  bool SeekOggLoop(double loopPoint);
  bool SeekWaveLoop();

  SharedState shared_{};
  UMixer* mixerOverride_ = nullptr;
  SoundClock* clockOverride_ = nullptr;

  // Worker-owned while it runs.
  UMixer* mixer_ = nullptr;
  SoundClock* clock_ = nullptr;
  MixBuffer* buffer_ = nullptr;
  OggVorbis_File vf_{};
  bool vfOpen_ = false;
  uint8_t* scratch = nullptr;
  char threadPath[256] = {};
  StreamWindow window{};
  int32_t threadOffset = 0, threadLength = 0;
  uint32_t wavDataSize = 0;
  int64_t wavDataRead = 0;
  int64_t wavDataStart = 0;
  int32_t isWave = 0;
  int64_t wavLoopPosition = 0;
  int32_t wavBits = 0;
  bool hasLoopStart = false;
  int32_t loopStart = 0;
  int32_t loopLength = -1;
  int32_t channels = 0;

  // Main-thread settings.
  char path[256] = {};
  int32_t offset = 0;
  int32_t length = 0;
  int32_t volume = 0;
  int32_t fadeInTime = 0;
  int32_t pan = 0;
  bool doubleSpeed = false;
  bool fadingOut = false;
};

}  // namespace qor
