// A decoded sound as the streaming worker reads it: the PCM format, the bytes
// in order, seeks for looping, and the loop tags the file may carry. The WAV
// and Ogg Vorbis sources implement it; any other decoder can too.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "media/mixer.h"

namespace qor {

class ResourceStream;

// LOOPSTART / LOOPLENGTH as a file states them, in frames.
struct LoopTags {
  bool hasStart = false;
  int32_t start = 0;
  int32_t length = -1;  // -1 when absent
};

class PcmSource {
 public:
  virtual ~PcmSource() = default;
  const PcmFormat& Format() const { return format_; }
  const LoopTags& Loop() const { return loop_; }
  // Speed 2 drops half of this source's audio; sources without it play at normal speed.
  bool DoublesSpeed() const { return doublesSpeed_; }

  // Copies up to `n` bytes of PCM; fewer only at the end of the data or on a
  // decoding error, which counts as the end.
  virtual size_t Read(uint8_t* dst, size_t n) = 0;
  // The frame the next Read starts at.
  virtual int64_t FramePosition() = 0;
  // Moves to a frame (a loop tag's target); false when the source cannot.
  virtual bool SeekFrame(int64_t frame) = 0;
  // Moves to a time in seconds (a script's loop point), each format by its own rounding.
  virtual bool SeekSeconds(double seconds) = 0;

 protected:
  PcmFormat format_;
  LoopTags loop_;
  bool doublesSpeed_ = false;
};

// Chooses the decoder by the first byte ("O"/"o" starts an Ogg page; anything
// else is taken for a WAV) and opens it over `stream`, which it then owns.
// Null when the stream is empty or the decoder rejects it.
std::unique_ptr<PcmSource> OpenPcmSource(std::unique_ptr<ResourceStream> stream);

}  // namespace qor
