// PCM WAV as a PCM source. The header is taken to be the canonical layout:
// the format fields are read at byte 22 and the "data" chunk is found by
// scanning from byte 36.
#pragma once
#include "media/pcm_source.h"

namespace qor {

class WavSource final : public PcmSource {
 public:
  // Null when the format fields cannot be read, no "data" follows them or
  // the format is not one the mixer plays.
  static std::unique_ptr<WavSource> Open(std::unique_ptr<ResourceStream> stream);
  ~WavSource() override;

  size_t Read(uint8_t* dst, size_t n) override;
  int64_t FramePosition() override;
  bool SeekFrame(int64_t frame) override;
  // Returns to the data start + trunc(bytes per second × seconds), rounded
  // down to a whole frame. Negative, NaN or far-off times have no such place.
  bool SeekSeconds(double seconds) override;

 private:
  explicit WavSource(std::unique_ptr<ResourceStream> stream);
  bool SeekData(int64_t offset);  // offset within the data chunk

  std::unique_ptr<ResourceStream> stream_;
  uint32_t dataSize_ = 0;   // the "data" chunk's size field
  int64_t dataRead_ = 0;    // bytes of the chunk consumed
  int64_t dataStart_ = 0;   // stream position of the chunk's first byte
};

}  // namespace qor
