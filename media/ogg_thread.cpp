// The streaming sound object: main-thread operations and the worker's loop.
#include "media/ogg_thread.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "media/audio.h"
#include "media/sound_clock.h"
#include "platform/paths.h"

namespace qor {

// ---- the stream window ----------------------------------------------------

static bool WholeFile(const StreamWindow* w) { return w->offset == 0 && w->length == 0; }

size_t WindowRead(void* buf, size_t size, size_t count, void* ds) {
  auto* w = static_cast<StreamWindow*>(ds);
  if (!w->file || size == 0) return 0;
  if (WholeFile(w)) return fread(buf, size, count, w->file);
  size_t left = size_t(std::max<int64_t>(0, int64_t(w->length) - w->position));
  if (size * count > left) count = left / size;
  if (count < 1) return 0;
  size_t n = fread(buf, size, count, w->file);
  w->position += int32_t(n * size);
  return n;
}

int WindowSeek(void* ds, ogg_int64_t offset, int whence) {
  auto* w = static_cast<StreamWindow*>(ds);
  if (!w->file) return -1;
  if (WholeFile(w)) return fseeko(w->file, off_t(offset), whence);
  int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? w->position : w->length;
  int64_t target = base + offset;
  if (target < 0 || target > w->length) return -1;
  w->position = int32_t(target);
  return fseeko(w->file, off_t(w->offset) + off_t(target), SEEK_SET);
}

int WindowClose(void* ds) {
  auto* w = static_cast<StreamWindow*>(ds);
  if (!w->file) return 0;
  int r = fclose(w->file);
  w->file = nullptr;
  return r;
}

long WindowTell(void* ds) {
  auto* w = static_cast<StreamWindow*>(ds);
  if (!w->file) return -1;
  if (WholeFile(w)) return long(ftello(w->file));
  return w->position;
}

// ---- main-thread operations -----------------------------------------------

UOggThread::UOggThread() { ResetLoopInfo(); }

UOggThread::~UOggThread() = default;

void UOggThread::SetBackend(UMixer* mixer, SoundClock* clock) {
  mixerOverride_ = mixer;
  clockOverride_ = clock;
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

void UOggThread::ResetLoopInfo() {
  hasLoopStart = false;
  loopStart = 0;
  loopLength = -1;
  channels = 0;
  PutShared(SharedState{});
}

void UOggThread::StopAndReset() {
  StopThread();
  offset = length = 0;
  doubleSpeed = fadingOut = false;
  ResetLoopInfo();
  volume = fadeInTime = pan = 0;
}

bool UOggThread::Open(const char* p, int64_t off, int64_t len) {
  StopAndReset();
  size_t n = strlen(p);
  if (n > 255 || off < 0 || len < 0 || off > INT32_MAX || len > INT32_MAX) return false;
  memcpy(path, p, n + 1);
  offset = int32_t(off);
  length = int32_t(len);
  if (!platform::FileExists(path)) return false;
  volume = pan = 0;
  return true;
}

bool UOggThread::StartPlayback(bool loop, double loopPoint) {
  // A worker left from an earlier play must not see the new record half-built.
  StopThread();
  SoundClock* clock = clockOverride_ ? clockOverride_ : RealSoundClock();
  SharedState s{};
  s.loop = loop;
  s.loopPoint = loopPoint;
  if (fadeInTime != 0) {
    s.fadeTime = uint32_t(fadeInTime);
    s.fadeStart = clock->Now();
    s.volume = -2500;
    s.fadeTarget = volume;
  } else {
    s.volume = volume;
  }
  s.pan = pan;
  s.doubleSpeed = doubleSpeed;
  ResetLoopInfo();
  memcpy(threadPath, path, sizeof threadPath);
  threadOffset = offset;
  threadLength = length;
  PutShared(s);
  StartThread();
  return true;
}

bool UOggThread::Play(bool loop) { return StartPlayback(loop, 0.0); }
bool UOggThread::PlayWithLoopPoint(double loopPoint) { return StartPlayback(true, loopPoint); }

void UOggThread::SetVolume(int32_t v) {
  if (fadingOut) return;
  volume = v;
  Update([v](SharedState& s) {
    s.volume = v;
    s.volumeRequest = true;
  });
}

void UOggThread::SetPan(int32_t p) {
  pan = p;
  Update([p](SharedState& s) {
    s.pan = p;
    s.panRequest = true;
  });
}

void UOggThread::Pause() { Update([](SharedState& s) { s.pauseRequest = true; }); }
void UOggThread::Resume() { Update([](SharedState& s) { s.resumeRequest = true; }); }

void UOggThread::FadeOut(int32_t ms) {
  fadingOut = true;
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
  RunBody();
  EndSequence();
}

void UOggThread::WakeForStop() {
  if (clockOverride_) clockOverride_->Interrupt();
}

void UOggThread::EndSequence() {
  delete[] scratch;
  scratch = nullptr;
  if (buffer_) {
    buffer_->Stop();
    mixer_->ReleaseBuffer(buffer_);
    buffer_ = nullptr;
  }
  if (vfOpen_) {
    ov_clear(&vf_);  // closes the file through WindowClose
    vfOpen_ = false;
  }
  WindowClose(&window);
  MarkEnded();
}

static void Silence(uint8_t* p, size_t n, int bits) { memset(p, bits == 16 ? 0 : 0x80, n); }

bool UOggThread::RunBody() {
  if (IsStopRequested()) return false;
  SharedState L;
  GetShared(&L);

  FILE* f = fopen(threadPath, "rb");
  if (!f) return false;
  window = StreamWindow{f, threadOffset, threadLength, 0};
  if (threadOffset != 0 && fseeko(f, off_t(threadOffset), SEEK_SET) != 0) return false;

  uint8_t first = 0;
  if (WindowRead(&first, 1, 1, &window) != 1) return false;
  isWave = (first == 'o' || first == 'O') ? 0 : 1;

  PcmFormat fmt;
  if (!isWave) {
    WindowSeek(&window, 0, SEEK_SET);
    ov_callbacks cb{WindowRead, WindowSeek, WindowClose, WindowTell};
    if (ov_open_callbacks(&window, &vf_, nullptr, 0, cb) != 0) return false;
    vfOpen_ = true;
    vorbis_info* info = ov_info(&vf_, -1);
    vorbis_comment* vc = ov_comment(&vf_, -1);
    for (int i = 0; vc && i < vc->comments; ++i) {
      const char* c = vc->user_comments[i];
      if (!c) continue;
      if (strncmp(c, "LOOPLENGTH=", 11) == 0) loopLength = atoi(c + 11);
      if (strncmp(c, "LOOPSTART=", 10) == 0) {
        loopStart = atoi(c + 10);
        hasLoopStart = true;
      }
    }
    if (!info) return false;
    channels = info->channels;
    fmt.channels = channels;
    fmt.rate = int(info->rate);
    fmt.bits = 16;
    fmt.blockAlign = channels * 2;
    fmt.avgBytesPerSec = fmt.blockAlign * fmt.rate;
  } else {
    uint8_t h[14] = {};
    if (WindowSeek(&window, 22, SEEK_SET) != 0 || WindowRead(h, 1, 14, &window) != 14) return false;
    fmt.channels = h[0] | h[1] << 8;
    fmt.rate = int(uint32_t(h[2]) | uint32_t(h[3]) << 8 | uint32_t(h[4]) << 16 | uint32_t(h[5]) << 24);
    fmt.avgBytesPerSec = int(uint32_t(h[6]) | uint32_t(h[7]) << 8 | uint32_t(h[8]) << 16 | uint32_t(h[9]) << 24);
    fmt.blockAlign = h[10] | h[11] << 8;
    fmt.bits = h[12] | h[13] << 8;
    wavBits = fmt.bits;
    // Find the letters "data" from byte 36 on; a byte that breaks the match is
    // not tried again as the start of a new match.
    if (WindowSeek(&window, 36, SEEK_SET) != 0) return false;
    static const char kData[] = "data";
    for (int matched = 0; matched < 4;) {
      uint8_t b;
      if (WindowRead(&b, 1, 1, &window) != 1) return false;
      matched = (b == uint8_t(kData[matched])) ? matched + 1 : 0;
    }
    uint8_t sz[4];
    if (WindowRead(sz, 1, 4, &window) != 4) return false;
    wavDataSize = uint32_t(sz[0]) | uint32_t(sz[1]) << 8 | uint32_t(sz[2]) << 16 | uint32_t(sz[3]) << 24;
    wavDataRead = 0;
    wavDataStart = WindowTell(&window);
    if (!PcmFormatValid(fmt)) return false;
    // A loop point that is negative, not a number or far past any file
    // leaves no place to return to: the loop seek then fails and playback ends.
    double bytes = std::trunc(double(fmt.avgBytesPerSec) * L.loopPoint);
    if (bytes >= 0.0 && bytes < 2147483648.0)
      wavLoopPosition = wavDataStart + int64_t(bytes) / fmt.blockAlign * fmt.blockAlign;
    else
      wavLoopPosition = -1;
  }

  const uint32_t block = uint32_t(fmt.avgBytesPerSec);
  if (!mixer_ || !PcmFormatValid(fmt)) return false;
  buffer_ = mixer_->CreateBuffer(fmt, 3 * block);
  if (!buffer_) return false;
  const uint32_t bufferSize = buffer_->Size();

  buffer_->SetVolume(L.volume);
  buffer_->SetPan(L.pan);
  // The record Play made has no volume request; one set since then is newer
  // than L.volume and stays for the first service pass.
  Update([&](SharedState& s) { s.appliedVolume = L.volume; });

  void *p1, *p2;
  uint32_t n1, n2;
  if (!buffer_->Lock(0, block, &p1, &n1, &p2, &n2)) return false;
  // Without the scratch block (no memory) a double-speed sound plays at normal speed.
  if (L.doubleSpeed) scratch = new (std::nothrow) uint8_t[2 * size_t(bufferSize)];
  FillBlock(static_cast<uint8_t*>(p1), n1, static_cast<uint8_t*>(p2), n2, L.loop, L.doubleSpeed, L.loopPoint);
  buffer_->Unlock(p1, n1, p2, n2);
  uint32_t writeCursor = n1;
  int endCount = 0;
  bool started = false;
  if (IsStopRequested()) return false;

  for (;;) {
    if (!buffer_->Lock(writeCursor, block, &p1, &n1, &p2, &n2)) return false;
    if (FillBlock(static_cast<uint8_t*>(p1), n1, static_cast<uint8_t*>(p2), n2, L.loop, L.doubleSpeed, L.loopPoint))
      ++endCount;
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
    if (IsStopRequested()) return false;
    if (endCount > 3) {
      buffer_->Stop();
      return true;
    }

    // Wait until the block at writeCursor has been played.
    for (;;) {
      GetShared(&L);
      if (!L.paused) {
        uint32_t p = buffer_->GetCurrentPosition();
        bool mayWrite = (writeCursor <= block && p > 2 * block) ||
                        (writeCursor > block && writeCursor <= 2 * block && p <= block);
        if (mayWrite) {
          if (IsStopRequested()) return false;
          break;
        }
      }
      for (int pass = 0; pass < 3; ++pass) {
        // Tests drive a hand-made clock; real runs wait on the stop request.
        if (clockOverride_) clock_->Sleep(50);
        else WaitForStop(50);
        if (IsStopRequested()) return false;
        Serviced r = ServiceRequests();
        if (r == Serviced::kEnd) return true;
        if (r == Serviced::kLeavePasses) break;
      }
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

// ---- decoding ----------------------------------------------------------------

bool UOggThread::FillBlock(uint8_t* p1, uint32_t n1, uint8_t* p2, uint32_t n2, bool loop, bool dbl, double loopPoint) {
  if (isWave) {
    if (!ReadWave(p1, n1, loop)) {
      if (n2) Silence(p2, n2, wavBits);
      return true;
    }
    return n2 ? !ReadWave(p2, n2, loop) : false;
  }
  if (dbl && scratch) {
    if (!ReadOggDouble(p1, n1, loop, loopPoint)) {
      if (n2) memset(p2, 0, n2);
      return true;
    }
    return n2 ? !ReadOggDouble(p2, n2, loop, loopPoint) : false;
  }
  if (!ReadOgg(p1, n1, loop, loopPoint)) {
    if (n2) memset(p2, 0, n2);
    return true;
  }
  return n2 ? !ReadOgg(p2, n2, loop, loopPoint) : false;
}

// Double speed: decode twice the audio and keep the first 8192 bytes of every 16384.
bool UOggThread::ReadOggDouble(uint8_t* dst, uint32_t n, bool loop, double loopPoint) {
  bool more = ReadOgg(scratch, long(2) * n, loop, loopPoint);
  for (uint32_t k = 0; 8192 * k < n; ++k) {
    uint32_t run = std::min<uint32_t>(8192, n - 8192 * k);
    memcpy(dst + 8192 * size_t(k), scratch + 16384 * size_t(k), run);
  }
  return more;
}

long UOggThread::Decode(uint8_t* dst, long count) {
  long got = 0;
  while (got < count) {
    int section = 0;
    long r = ov_read(&vf_, reinterpret_cast<char*>(dst + got), int(std::min<long>(count - got, 1 << 30)), 0, 2, 1,
                     &section);
    if (r <= 0) break;  // the end of the data, or an error counted as the end
    got += r;
  }
  return got;
}

bool UOggThread::SeekOggLoop(double loopPoint) {
  if (hasLoopStart) return ov_pcm_seek(&vf_, loopStart) == 0;
  return ov_time_seek(&vf_, loopPoint) == 0;
}

bool UOggThread::ReadOgg(uint8_t* dst, long count, bool loop, double loopPoint) {
  // LOOPLENGTH below 2 leaves no samples in the loop; such a tag is ignored
  // and the sound loops from the end of the data back to LOOPSTART.
  const bool split = hasLoopStart && loopLength >= 2 && loop;
  const int64_t frameBytes = 2 * int64_t(channels);
  long done = 0;
  int seeksWithoutData = 0;  // a loop that yields nothing twice in a row ends playback
  while (done < count) {
    long want = count - done;
    bool atLoopEnd = false;
    if (split) {
      int64_t toEnd = frameBytes * (int64_t(loopStart) + loopLength - 1 - ov_pcm_tell(&vf_));
      if (toEnd < 0) toEnd = 0;
      if (want > toEnd) {
        want = long(toEnd);
        atLoopEnd = true;
      }
    }
    long got = want > 0 ? Decode(dst + done, want) : 0;
    done += got;
    if (got > 0) seeksWithoutData = 0;
    if (got == want && !atLoopEnd) continue;
    // The loop end was reached, or the data ran out (or failed) before it.
    if (!loop || ++seeksWithoutData > 1 || !SeekOggLoop(loopPoint)) {
      memset(dst + done, 0, size_t(count - done));
      return false;
    }
  }
  return true;
}

bool UOggThread::SeekWaveLoop() {
  if (wavLoopPosition < 0) return false;
  if (WholeFile(&window)) {
    if (fseeko(window.file, off_t(wavLoopPosition), SEEK_SET) != 0) return false;
  } else {
    if (wavLoopPosition < 0 || wavLoopPosition > window.length) return false;
    if (WindowSeek(&window, wavLoopPosition, SEEK_SET) != 0) return false;
  }
  wavDataRead = wavLoopPosition - wavDataStart;
  return true;
}

bool UOggThread::ReadWave(uint8_t* dst, long count, bool loop) {
  long done = 0;
  int seeksWithoutData = 0;
  for (;;) {
    while (done < count) {
      int64_t avail = std::max<int64_t>(0, int64_t(wavDataSize) - wavDataRead);
      long piece = long(std::min<int64_t>(count - done, avail));
      if (piece == 0) break;
      size_t n = WindowRead(dst + done, 1, size_t(piece), &window);
      wavDataRead += int64_t(n);
      done += long(n);
      if (n > 0) seeksWithoutData = 0;
      if (long(n) < piece) break;  // a short read: the file ends before the chunk says
    }
    if (done >= count) return true;
    if (!loop || ++seeksWithoutData > 1 || !SeekWaveLoop()) {
      Silence(dst + done, size_t(count - done), wavBits);
      return false;
    }
  }
}

}  // namespace qor
