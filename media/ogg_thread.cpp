// The streaming sound object: main-thread operations and the worker's loop.
#include "media/ogg_thread.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "host/resource_stream.h"
#include "media/audio.h"
#include "media/sound_clock.h"
#include "platform/paths.h"

namespace qor {

// ---- main-thread operations -----------------------------------------------

UOggThread::UOggThread() = default;

UOggThread::~UOggThread() = default;

void UOggThread::SetBackend(UMixer* mixer, SoundClock* clock, PcmSourceOpener opener) {
  mixerOverride_ = mixer;
  clockOverride_ = clock;
  opener_ = opener;
}

template <class F>
void UOggThread::Update(F change) {
  std::lock_guard<std::mutex> g(lock_);
  change(shared_);
}

void UOggThread::GetShared(SharedState* out) {
  std::lock_guard<std::mutex> g(lock_);
  *out = shared_;
}

void UOggThread::PutShared(const SharedState& in) {
  std::lock_guard<std::mutex> g(lock_);
  shared_ = in;
}

void UOggThread::ClearShared() { PutShared(SharedState{}); }

void UOggThread::StopAndReset() {
  StopThread();
  location_ = ResourceLocation{};
  doubleSpeed_ = fadingOut_ = false;
  ClearShared();
  volume_ = fadeInTime_ = pan_ = 0;
}

bool UOggThread::Open(const ResourceLocation& where) {
  StopAndReset();
  if (where.path.size() > 255) return false;
  location_ = where;
  if (!platform::FileExists(location_.path.c_str())) return false;
  volume_ = pan_ = 0;
  return true;
}

bool UOggThread::StartPlayback(bool loop, double loopPoint) {
  // A worker left from an earlier play must not see the new record half-built.
  StopThread();
  SoundClock* clock = clockOverride_ ? clockOverride_ : RealSoundClock();
  SharedState s{};
  s.loop = loop;
  s.loopPoint = loopPoint;
  if (fadeInTime_ != 0) {
    s.fadeTime = uint32_t(fadeInTime_);
    s.fadeStart = clock->Now();
    s.volume = -2500;
    s.fadeTarget = volume_;
  } else {
    s.volume = volume_;
  }
  s.pan = pan_;
  s.doubleSpeed = doubleSpeed_;
  PutShared(s);
  StartThread();
  return true;
}

bool UOggThread::Play(bool loop) { return StartPlayback(loop, 0.0); }
bool UOggThread::PlayWithLoopPoint(double loopPoint) { return StartPlayback(true, loopPoint); }

void UOggThread::SetVolume(int32_t v) {
  if (fadingOut_) return;
  volume_ = v;
  Update([v](SharedState& s) {
    s.volume = v;
    s.volumeRequest = true;
  });
}

void UOggThread::SetPan(int32_t p) {
  pan_ = p;
  Update([p](SharedState& s) {
    s.pan = p;
    s.panRequest = true;
  });
}

void UOggThread::Pause() { Update([](SharedState& s) { s.pauseRequest = true; }); }
void UOggThread::Resume() { Update([](SharedState& s) { s.resumeRequest = true; }); }

void UOggThread::FadeOut(int32_t ms) {
  fadingOut_ = true;
  // A zero fade time means "no fade" to the worker, and a negative one would
  // run for weeks; both end playback at the next step instead.
  uint32_t time = ms > 0 ? uint32_t(ms) : 1u;
  uint32_t now = (clockOverride_ ? clockOverride_ : RealSoundClock())->Now();
  Update([&](SharedState& s) {
    s.fadeStart = now;
    s.volume = s.appliedVolume;
    s.fadeTime = time;
    s.fadeTarget = -10000;
    s.stopAtFadeEnd = true;
    s.volumeRequest = false;
  });
}

// ---- the worker -----------------------------------------------------------

void UOggThread::Run() {
  mixer_ = mixerOverride_ ? mixerOverride_ : DeviceMixer();
  clock_ = clockOverride_ ? clockOverride_ : RealSoundClock();
  try {
    Stream();
  } catch (...) {
    // A failure on the worker (memory running out in a decoder or the mixer)
    // ends this sound only, the same way a file it cannot read does.
  }
  EndSequence();
}

void UOggThread::WakeForStop() {
  if (clockOverride_) clockOverride_->Interrupt();
}

void UOggThread::EndSequence() {
  scratch_.reset();
  if (buffer_) {
    buffer_->Stop();
    mixer_->ReleaseBuffer(buffer_);
    buffer_ = nullptr;
  }
  source_.reset();  // closes the stream
  MarkEnded();
}

void UOggThread::Silence(uint8_t* p, size_t n) const { memset(p, source_->Format().bits == 16 ? 0 : 0x80, n); }

void UOggThread::Stream() {
  if (IsStopRequested()) return;
  SharedState play;
  GetShared(&play);

  // Sounds in an archive are stored as they are: nothing is deciphered.
  std::unique_ptr<ResourceStream> stream = OpenResourceStream(location_, MemberBytes::Stored);
  if (!stream) return;
  source_ = (opener_ ? opener_ : OpenPcmSource)(std::move(stream));
  if (!source_) return;
  const PcmFormat& fmt = source_->Format();
  if (!mixer_ || !PcmFormatValid(fmt)) return;

  const uint32_t block = uint32_t(fmt.avgBytesPerSec);
  buffer_ = mixer_->CreateBuffer(fmt, 3 * block);
  if (!buffer_) return;
  const uint32_t bufferSize = buffer_->Size();

  buffer_->SetVolume(play.volume);
  buffer_->SetPan(play.pan);
  // The record Play made has no volume request; one set since then is newer
  // than play.volume and stays for the first service pass.
  Update([&](SharedState& s) { s.appliedVolume = play.volume; });

  void *p1, *p2;
  uint32_t n1, n2;
  if (!buffer_->Lock(0, block, &p1, &n1, &p2, &n2)) return;
  // Without the scratch block (no memory) a double-speed sound plays at normal speed.
  if (play.doubleSpeed && source_->DoublesSpeed()) scratch_.reset(new (std::nothrow) uint8_t[2 * size_t(bufferSize)]);
  FillBlock(static_cast<uint8_t*>(p1), n1, static_cast<uint8_t*>(p2), n2, play);
  buffer_->Unlock(p1, n1, p2, n2);
  uint32_t writeCursor = n1;
  int endCount = 0;
  bool started = false;
  if (IsStopRequested()) return;

  for (;;) {
    if (!buffer_->Lock(writeCursor, block, &p1, &n1, &p2, &n2)) return;
    if (FillBlock(static_cast<uint8_t*>(p1), n1, static_cast<uint8_t*>(p2), n2, play)) ++endCount;
    if (!started) {
      buffer_->Play();
      started = true;
    }
    buffer_->Unlock(p1, n1, p2, n2);
    if (n2 != 0) {
      writeCursor = n2;
    } else {
      writeCursor += n1;
      if (writeCursor >= bufferSize) writeCursor = 0;
    }
    if (IsStopRequested()) return;
    if (endCount > 3) {
      buffer_->Stop();
      return;
    }
    if (WaitToWrite(writeCursor, block) == Wait::kStop) return;
  }
}

UOggThread::Wait UOggThread::WaitToWrite(uint32_t writeCursor, uint32_t block) {
  SharedState st;
  for (;;) {
    GetShared(&st);
    if (!st.paused) {
      uint32_t p = buffer_->GetCurrentPosition();
      bool mayWrite = (writeCursor <= block && p > 2 * block) ||
                      (writeCursor > block && writeCursor <= 2 * block && p <= block);
      if (mayWrite) return IsStopRequested() ? Wait::kStop : Wait::kWrite;
    }
    for (int pass = 0; pass < 3; ++pass) {
      // Tests drive a hand-made clock; real runs wait on the stop request.
      if (clockOverride_) clock_->Sleep(50);
      else WaitForStop(50);
      if (IsStopRequested()) return Wait::kStop;
      Serviced r = ServiceRequests();
      if (r == Serviced::kEnd) return Wait::kStop;
      if (r == Serviced::kLeavePasses) break;
    }
  }
}

UOggThread::Serviced UOggThread::ServiceRequests() {
  bool doPause = false, doResume = false, paused = false, doPan = false, doVolume = false;
  int32_t newPan = 0, newVolume = 0;
  SharedState s{};
  {
    // Requests are taken and cleared in one step, so one made meanwhile is kept for the next pass.
    std::lock_guard<std::mutex> g(lock_);
    SharedState& r = shared_;
    if (r.pauseRequest) {
      r.pauseRequest = false;
      r.paused = true;
      doPause = true;
    } else {
      if (r.resumeRequest) {
        r.resumeRequest = false;
        r.paused = false;
        doResume = true;
      }
      paused = r.paused;
      if (!paused) {
        if (r.panRequest) {
          r.panRequest = false;
          doPan = true;
          newPan = r.pan;
        }
        if (r.volumeRequest) {
          r.volumeRequest = false;
          r.appliedVolume = r.volume;
          r.fadeTime = 0;  // a volume request drops a running fade
          doVolume = true;
          newVolume = r.volume;
        }
        s = r;
      }
    }
  }
  if (doPause) {
    buffer_->Stop();
    return Serviced::kLeavePasses;
  }
  if (doResume) buffer_->Play();
  if (paused) return Serviced::kLeavePasses;
  if (doPan) buffer_->SetPan(newPan);
  if (doVolume) buffer_->SetVolume(newVolume);
  if (s.fadeTime == 0) return Serviced::kContinue;

  const uint32_t elapsed = clock_->Now() - s.fadeStart;
  int32_t v;
  bool finished = elapsed > s.fadeTime;
  if (finished) {
    v = s.fadeTarget;
  } else {
    uint32_t left = s.fadeTime - elapsed;
    double g = std::log10(10.0 * double(left) / double(s.fadeTime));
    g = std::clamp(g, 0.0, 1.0);
    v = int32_t(std::trunc(g * s.volume + (1.0 - g) * s.fadeTarget));
  }
  buffer_->SetVolume(v);
  if (finished && s.stopAtFadeEnd) return Serviced::kEnd;
  Update([&](SharedState& r) {
    // Only when no new fade or volume request replaced this fade meanwhile.
    if (r.fadeStart != s.fadeStart || r.fadeTime != s.fadeTime) return;
    r.appliedVolume = v;
    if (finished) r.fadeTime = 0;
  });
  return Serviced::kContinue;
}

// ---- filling the buffer from the source -------------------------------------

// True when the data ended in the first piece or the second; the rest is silence.
bool UOggThread::FillBlock(uint8_t* p1, uint32_t n1, uint8_t* p2, uint32_t n2, const SharedState& play) {
  if (!ReadPiece(p1, n1, play)) {
    if (n2) Silence(p2, n2);
    return true;
  }
  return n2 ? !ReadPiece(p2, n2, play) : false;
}

bool UOggThread::ReadPiece(uint8_t* dst, uint32_t n, const SharedState& play) {
  if (!(play.doubleSpeed && scratch_)) return ReadLooped(dst, n, play.loop, play.loopPoint);
  // Double speed: decode twice the audio and keep the first 8192 bytes of every 16384.
  bool more = ReadLooped(scratch_.get(), 2 * size_t(n), play.loop, play.loopPoint);
  for (uint32_t k = 0; 8192 * k < n; ++k) {
    uint32_t run = std::min<uint32_t>(8192, n - 8192 * k);
    memcpy(dst + 8192 * size_t(k), scratch_.get() + 16384 * size_t(k), run);
  }
  return more;
}

bool UOggThread::SeekLoop(double loopPoint) {
  const LoopTags& tags = source_->Loop();
  return tags.hasStart ? source_->SeekFrame(tags.start) : source_->SeekSeconds(loopPoint);
}

// False when the data ended (the rest of dst is silence).
bool UOggThread::ReadLooped(uint8_t* dst, size_t count, bool loop, double loopPoint) {
  // LOOPLENGTH below 2 leaves no frames in the loop; such a tag is ignored
  // and the sound loops from the end of the data back to LOOPSTART.
  const LoopTags& tags = source_->Loop();
  const bool split = tags.hasStart && tags.length >= 2 && loop;
  const int64_t frameBytes = source_->Format().blockAlign;
  size_t done = 0;
  int seeksWithoutData = 0;  // a loop that yields nothing twice in a row ends playback
  while (done < count) {
    size_t want = count - done;
    bool atLoopEnd = false;
    if (split) {
      int64_t toEnd = frameBytes * (int64_t(tags.start) + tags.length - 1 - source_->FramePosition());
      if (toEnd < 0) toEnd = 0;
      if (int64_t(want) > toEnd) {
        want = size_t(toEnd);
        atLoopEnd = true;
      }
    }
    size_t got = want > 0 ? source_->Read(dst + done, want) : 0;
    done += got;
    if (got > 0) seeksWithoutData = 0;
    if (got == want && !atLoopEnd) continue;
    // The loop end was reached, or the data ran out (or failed) before it.
    if (!loop || ++seeksWithoutData > 1 || !SeekLoop(loopPoint)) {
      Silence(dst + done, count - done);
      return false;
    }
  }
  return true;
}

}  // namespace qor
