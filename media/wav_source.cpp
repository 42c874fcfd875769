// The WAV source: the canonical header's format fields, the "data" scan and
// reads bounded by the chunk size.
#include "media/wav_source.h"

#include <algorithm>
#include <cmath>

#include "host/resource_stream.h"

namespace qor {
namespace {

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

WavSource::WavSource(std::unique_ptr<ResourceStream> stream) : stream_(std::move(stream)) {}
WavSource::~WavSource() = default;

std::unique_ptr<WavSource> WavSource::Open(std::unique_ptr<ResourceStream> stream) {
  ResourceStream& s = *stream;
  uint8_t h[14] = {};
  if (!s.Seek(22) || s.Read(h, 14) != 14) return nullptr;
  PcmFormat fmt;
  fmt.channels = Le16(h);
  fmt.rate = int(Le32(h + 2));
  fmt.avgBytesPerSec = int(Le32(h + 6));
  fmt.blockAlign = Le16(h + 10);
  fmt.bits = Le16(h + 12);
  // Find the letters "data" from byte 36 on; a byte that breaks the match is
  // not tried again as the start of a new match.
  if (!s.Seek(36)) return nullptr;
  static const char kData[] = "data";
  for (int matched = 0; matched < 4;) {
    uint8_t b;
    if (s.Read(&b, 1) != 1) return nullptr;
    matched = (b == uint8_t(kData[matched])) ? matched + 1 : 0;
  }
  uint8_t sz[4];
  if (s.Read(sz, 4) != 4) return nullptr;
  if (!PcmFormatValid(fmt)) return nullptr;

  std::unique_ptr<WavSource> w(new WavSource(std::move(stream)));
  w->format_ = fmt;
  w->dataSize_ = Le32(sz);
  w->dataStart_ = int64_t(w->stream_->Tell());
  return w;
}

size_t WavSource::Read(uint8_t* dst, size_t n) {
  size_t done = 0;
  while (done < n) {
    int64_t avail = std::max<int64_t>(0, int64_t(dataSize_) - dataRead_);
    size_t piece = size_t(std::min<int64_t>(int64_t(n - done), avail));
    if (piece == 0) break;
    size_t got = stream_->Read(dst + done, piece);
    dataRead_ += int64_t(got);
    done += got;
    if (got < piece) break;  // a short read: the file ends before the chunk says
  }
  return done;
}

int64_t WavSource::FramePosition() { return dataRead_ / format_.blockAlign; }

bool WavSource::SeekData(int64_t offset) {
  if (offset < 0 || !stream_->Seek(uint64_t(dataStart_ + offset))) return false;
  dataRead_ = offset;
  return true;
}

bool WavSource::SeekFrame(int64_t frame) {
  if (frame < 0 || frame > INT32_MAX) return false;
  return SeekData(frame * format_.blockAlign);
}

bool WavSource::SeekSeconds(double seconds) {
  double bytes = std::trunc(double(format_.avgBytesPerSec) * seconds);
  if (!(bytes >= 0.0 && bytes < 2147483648.0)) return false;
  return SeekData(int64_t(bytes) / format_.blockAlign * format_.blockAlign);
}

}  // namespace qor
