// Ogg Vorbis as a PCM source: vorbisfile decoding to signed 16-bit
// little-endian PCM over a resource stream, with the LOOPSTART / LOOPLENGTH
// comments as loop tags.
#pragma once
#include <vorbis/vorbisfile.h>

#include "media/pcm_source.h"

namespace qor {

class VorbisSource final : public PcmSource {
 public:
  // Null when the decoder rejects the stream.
  static std::unique_ptr<VorbisSource> Open(std::unique_ptr<ResourceStream> stream);
  ~VorbisSource() override;

  size_t Read(uint8_t* dst, size_t n) override;
  int64_t FramePosition() override;
  bool SeekFrame(int64_t frame) override;
  bool SeekSeconds(double seconds) override;

 private:
  explicit VorbisSource(std::unique_ptr<ResourceStream> stream);

  std::unique_ptr<ResourceStream> stream_;  // the decoder's data source
  OggVorbis_File vf_{};
  bool open_ = false;
};

}  // namespace qor
