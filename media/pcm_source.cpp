// Choosing a sound's decoder by its first byte.
#include "media/pcm_source.h"

#include "host/resource_stream.h"
#include "media/vorbis_source.h"
#include "media/wav_source.h"

namespace qor {

std::unique_ptr<PcmSource> OpenPcmSource(std::unique_ptr<ResourceStream> stream) {
  if (!stream) return nullptr;
  uint8_t first = 0;
  if (stream->Read(&first, 1) != 1 || !stream->Seek(0)) return nullptr;
  if (first == 'o' || first == 'O') return VorbisSource::Open(std::move(stream));
  return WavSource::Open(std::move(stream));
}

}  // namespace qor
