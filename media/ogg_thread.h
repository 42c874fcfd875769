// UOggThread: one sound object. Each play starts a worker that opens the
// sound through the resource stream (a loose file, or a member stored as it
// is in an archive), decodes it with a PCM source (Ogg Vorbis or WAV) and
// streams it into a three-second mixer buffer, one second at a time, applying
// the volume, pan, pause/resume and fade requests the main thread leaves.
#pragma once
#include <cstdint>
#include <memory>

#include "host/resource.h"
#include "media/mixer.h"
#include "media/pcm_source.h"
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

// Turns an opened stream into the source a play decodes (OpenPcmSource unless
// a test puts its own in). Called on the worker; it may throw.
using PcmSourceOpener = std::unique_ptr<PcmSource> (*)(std::unique_ptr<ResourceStream> stream);

class UOggThread : public UThread {
 public:
  UOggThread();
  ~UOggThread() override;

  // Where the worker plays, whose clock it uses and how it opens the source;
  // nullptr = the audio device's mixer, the engine clock, OpenPcmSource.
  // Only while no worker runs.
  void SetBackend(UMixer* mixer, SoundClock* clock, PcmSourceOpener opener = nullptr);

  void GetShared(SharedState* out);
  void PutShared(const SharedState& in);
  void StopAndReset();
  // Ends any playback and clears the settings, then takes the sound's place.
  // False when the path is longer than 255 bytes or no file of that name
  // exists (nothing is opened here; the worker opens it).
  bool Open(const ResourceLocation& where);
  bool Play(bool loop);
  bool PlayWithLoopPoint(double loopPoint);
  void SetVolume(int32_t v);
  void SetPan(int32_t p);
  void Pause();
  void Resume();
  void FadeOut(int32_t ms);
  void SetDoubleSpeed(bool on) { doubleSpeed_ = on; }
  void SetFadeInTime(int32_t ms) { fadeInTime_ = ms; }

 protected:
  void Run() override;
  void WakeForStop() override;

 private:
  enum class Serviced { kContinue, kLeavePasses, kEnd };
  enum class Wait { kWrite, kStop };
  template <class F>
  void Update(F change);
  void ClearShared();
  bool StartPlayback(bool loop, double loopPoint);
  void Stream();  // returns when playback ends for any reason
  Wait WaitToWrite(uint32_t writeCursor, uint32_t block);
  void EndSequence();
  Serviced ServiceRequests();
  bool FillBlock(uint8_t* p1, uint32_t n1, uint8_t* p2, uint32_t n2, const SharedState& play);
  bool ReadPiece(uint8_t* dst, uint32_t n, const SharedState& play);
  bool ReadLooped(uint8_t* dst, size_t count, bool loop, double loopPoint);
  bool SeekLoop(double loopPoint);
  void Silence(uint8_t* p, size_t n) const;

  SharedState shared_{};
  UMixer* mixerOverride_ = nullptr;
  SoundClock* clockOverride_ = nullptr;
  PcmSourceOpener opener_ = nullptr;

  // Worker-owned while it runs.
  UMixer* mixer_ = nullptr;
  SoundClock* clock_ = nullptr;
  MixBuffer* buffer_ = nullptr;
  std::unique_ptr<PcmSource> source_;
  std::unique_ptr<uint8_t[]> scratch_;  // the double-speed decode block

  // Main-thread settings. The worker reads location_ too: only Open changes
  // it, and Open stops the worker first.
  ResourceLocation location_;
  int32_t volume_ = 0;
  int32_t fadeInTime_ = 0;
  int32_t pan_ = 0;
  bool doubleSpeed_ = false;
  bool fadingOut_ = false;
};

}  // namespace qor
