// The Ogg Vorbis source: the decoder's four I/O callbacks over a resource
// stream, the loop-tag comments and 16-bit decoding.
#include "media/vorbis_source.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "host/resource_stream.h"

namespace qor {
namespace {

size_t StreamRead(void* buf, size_t size, size_t count, void* ds) {
  if (size == 0) return 0;
  return static_cast<ResourceStream*>(ds)->Read(buf, size * count) / size;
}

int StreamSeek(void* ds, ogg_int64_t offset, int whence) {
  auto* s = static_cast<ResourceStream*>(ds);
  int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? int64_t(s->Tell()) : int64_t(s->Size());
  int64_t target = base + offset;
  if (target < 0) return -1;
  return s->Seek(uint64_t(target)) ? 0 : -1;
}

long StreamTell(void* ds) { return long(static_cast<ResourceStream*>(ds)->Tell()); }

}  // namespace

VorbisSource::VorbisSource(std::unique_ptr<ResourceStream> stream) : stream_(std::move(stream)) {
  doublesSpeed_ = true;
}

VorbisSource::~VorbisSource() {
  if (open_) ov_clear(&vf_);
}

std::unique_ptr<VorbisSource> VorbisSource::Open(std::unique_ptr<ResourceStream> stream) {
  std::unique_ptr<VorbisSource> v(new VorbisSource(std::move(stream)));
  // No close callback: the stream belongs to the source and closes with it.
  ov_callbacks cb{StreamRead, StreamSeek, nullptr, StreamTell};
  if (ov_open_callbacks(v->stream_.get(), &v->vf_, nullptr, 0, cb) != 0) return nullptr;
  v->open_ = true;
  vorbis_info* info = ov_info(&v->vf_, -1);
  vorbis_comment* vc = ov_comment(&v->vf_, -1);
  // Tags are case-sensitive; a later comment overrides an earlier one.
  for (int i = 0; vc && i < vc->comments; ++i) {
    const char* c = vc->user_comments[i];
    if (!c) continue;
    if (strncmp(c, "LOOPLENGTH=", 11) == 0) v->loop_.length = atoi(c + 11);
    if (strncmp(c, "LOOPSTART=", 10) == 0) {
      v->loop_.start = atoi(c + 10);
      v->loop_.hasStart = true;
    }
  }
  if (!info) return nullptr;
  PcmFormat& f = v->format_;
  f.channels = info->channels;
  f.rate = int(info->rate);
  f.bits = 16;
  f.blockAlign = f.channels * 2;
  f.avgBytesPerSec = f.blockAlign * f.rate;
  return v;
}

size_t VorbisSource::Read(uint8_t* dst, size_t n) {
  size_t got = 0;
  while (got < n) {
    int section = 0;
    long r = ov_read(&vf_, reinterpret_cast<char*>(dst + got), int(std::min<size_t>(n - got, 1 << 30)), 0, 2, 1,
                     &section);
    if (r <= 0) break;  // the end of the data, or an error counted as the end
    got += size_t(r);
  }
  return got;
}

int64_t VorbisSource::FramePosition() { return ov_pcm_tell(&vf_); }
bool VorbisSource::SeekFrame(int64_t frame) { return ov_pcm_seek(&vf_, frame) == 0; }
bool VorbisSource::SeekSeconds(double seconds) { return ov_time_seek(&vf_, seconds) == 0; }

}  // namespace qor
