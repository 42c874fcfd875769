// The FFmpeg movie decoder: demuxing, decoding, conversion to BGRA and the
// sound ring run on one thread; the main thread only takes finished pictures.
#include "media/movie_decoder.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "media/mixer.h"
#include "media/sound_clock.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace qor {

namespace {

constexpr size_t kAhead = 4;      // pictures decoded ahead of the one shown
constexpr size_t kMaxAhead = 32;  // more only while the sound runs short
constexpr int kTopUpMs = 5;       // how often the sound ring is refilled

bool HasAlphaPlane(int format) {
  const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(AVPixelFormat(format));
  return d && (d->flags & AV_PIX_FMT_FLAG_ALPHA);
}

}  // namespace

struct MovieDecoder::Av {
  AVFormatContext* fmt = nullptr;
  AVCodecContext* video = nullptr;
  AVCodecContext* audio = nullptr;
  int videoIndex = -1, audioIndex = -1;
  AVRational videoTb{1, 1000};
  int64_t videoStart = 0;
  SwsContext* sws = nullptr;
  SwrContext* swr = nullptr;
  AVPacket* pkt = nullptr;
  AVFrame* frame = nullptr;
  ~Av() {
    sws_freeContext(sws);
    swr_free(&swr);
    av_frame_free(&frame);
    av_packet_free(&pkt);
    avcodec_free_context(&video);
    avcodec_free_context(&audio);
    avformat_close_input(&fmt);
  }
};

MovieDecoder::MovieDecoder() = default;

MovieDecoder::~MovieDecoder() { Close(); }

void MovieDecoder::Close() {
  if (thread_.joinable()) {
    {
      std::lock_guard<std::mutex> lk(m_);
      stop_ = true;
    }
    cv_.notify_all();
    thread_.join();
  }
  if (buffer_) {
    buffer_->Stop();
    mixer_->ReleaseBuffer(buffer_);
    buffer_ = nullptr;
  }
  av_.reset();
}

static const AVCodec* VideoDecoderFor(const AVStream* s, bool keepAlpha) {
  // In WebM the VP8/VP9 alpha plane travels beside the picture; only the
  // libvpx decoders put it back together.
  if (keepAlpha) {
    const AVDictionaryEntry* e = av_dict_get(s->metadata, "alpha_mode", nullptr, 0);
    if (e && strcmp(e->value, "1") == 0) {
      const char* name = s->codecpar->codec_id == AV_CODEC_ID_VP9   ? "libvpx-vp9"
                         : s->codecpar->codec_id == AV_CODEC_ID_VP8 ? "libvpx"
                                                                    : nullptr;
      if (const AVCodec* c = name ? avcodec_find_decoder_by_name(name) : nullptr) return c;
    }
  }
  return avcodec_find_decoder(s->codecpar->codec_id);
}

static AVCodecContext* OpenCodec(const AVStream* s, const AVCodec* codec) {
  if (!codec) return nullptr;
  AVCodecContext* c = avcodec_alloc_context3(codec);
  if (!c) return nullptr;
  c->thread_count = 0;  // FFmpeg's choice
  if (avcodec_parameters_to_context(c, s->codecpar) < 0 || avcodec_open2(c, codec, nullptr) < 0) {
    avcodec_free_context(&c);
    return nullptr;
  }
  return c;
}

MovieStatus MovieDecoder::Open(const std::string& path, const MovieOptions& o) {
  Close();
  av_log_set_level(AV_LOG_QUIET);  // damaged files are reported by status, not on stderr
  av_ = std::make_unique<Av>();
  Av& a = *av_;
  keepAlpha_ = o.keepAlpha;
  startTimeoutMs_ = o.startTimeoutMs;
  clock_ = o.clock ? o.clock : RealSoundClock();
  if (avformat_open_input(&a.fmt, path.c_str(), nullptr, nullptr) < 0 ||
      avformat_find_stream_info(a.fmt, nullptr) < 0) {
    av_.reset();
    return MovieStatus::Unplayable;
  }
  a.videoIndex = av_find_best_stream(a.fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (a.videoIndex < 0) {
    av_.reset();
    return MovieStatus::Unplayable;
  }
  AVStream* vs = a.fmt->streams[a.videoIndex];
  a.video = OpenCodec(vs, VideoDecoderFor(vs, keepAlpha_));
  if (!a.video || a.video->width <= 0 || a.video->height <= 0) {
    av_.reset();
    return MovieStatus::Unplayable;
  }
  width_ = a.video->width;
  height_ = a.video->height;
  streamAlpha_ = HasAlphaPlane(a.video->pix_fmt);
  a.videoTb = vs->time_base;
  a.videoStart = vs->start_time != AV_NOPTS_VALUE ? vs->start_time : 0;
  AVRational rate = av_guess_frame_rate(a.fmt, vs, nullptr);
  frameMs_ = rate.num > 0 && rate.den > 0 ? std::max<int64_t>(1, int64_t(1000) * rate.den / rate.num) : 33;

  // A sound stream the mixer can take; anything wrong with it leaves the movie silent.
  if (o.mixer) {
    a.audioIndex = av_find_best_stream(a.fmt, AVMEDIA_TYPE_AUDIO, -1, a.videoIndex, nullptr, 0);
    if (a.audioIndex >= 0) {
      AVStream* as = a.fmt->streams[a.audioIndex];
      a.audio = OpenCodec(as, avcodec_find_decoder(as->codecpar->codec_id));
    }
    int rate = o.mixer->OutRate();
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    if (a.audio && swr_alloc_set_opts2(&a.swr, &stereo, AV_SAMPLE_FMT_S16, rate, &a.audio->ch_layout,
                                       a.audio->sample_fmt, a.audio->sample_rate, 0, nullptr) == 0 &&
        swr_init(a.swr) == 0) {
      PcmFormat f{2, rate, 16, 4, rate * 4};
      buffer_ = o.mixer->CreateBuffer(f, uint32_t(rate) * 4);  // one second
    }
    if (buffer_) {
      mixer_ = o.mixer;
      bytesPerSec_ = rate * 4;
      buffer_->SetVolume(std::clamp<long>(o.volume, -10000, 0));
    } else {
      avcodec_free_context(&a.audio);
      a.audioIndex = -1;
    }
  }
  a.pkt = av_packet_alloc();
  a.frame = av_frame_alloc();
  if (!a.pkt || !a.frame) {
    Close();
    return MovieStatus::Unplayable;
  }
  stop_ = seekRequest_ = eof_ = started_ = false;
  nextIndex_ = 0;
  queue_.clear();
  current_.index = -1;
  soundFifo_.clear();
  lastCursor_ = 0;
  written_ = 0;
  played_ = 0;
  soundBase_ = 0;
  soundEnd_ = UINT64_MAX;
  thread_ = std::thread(&MovieDecoder::Run, this);
  return MovieStatus::Ok;
}

void MovieDecoder::Run() {
  std::unique_lock<std::mutex> lk(m_);
  auto wantPicture = [&] {
    return !eof_ && (queue_.size() < kAhead ||
                     (buffer_ && soundFifo_.size() < size_t(bytesPerSec_ / 4) && queue_.size() < kMaxAhead));
  };
  for (;;) {
    auto ready = [&] { return stop_ || seekRequest_ || wantPicture(); };
    if (buffer_)
      cv_.wait_for(lk, std::chrono::milliseconds(kTopUpMs), ready);
    else
      cv_.wait(lk, ready);
    if (stop_) break;
    if (seekRequest_) {
      lk.unlock();
      SeekToStart();
      lk.lock();
      for (auto& f : queue_) pool_.push_back(std::move(f));
      queue_.clear();
      eof_ = false;
      nextIndex_ = 0;
      seekRequest_ = false;
      continue;
    }
    bool decode = wantPicture();
    lk.unlock();
    if (buffer_) TopUpSound();
    if (decode && !DecodeStep()) {
      lk.lock();
      eof_ = true;
      readyCv_.notify_all();
      lk.unlock();
    }
    lk.lock();
  }
}

bool MovieDecoder::DecodeStep() {
  Av& a = *av_;
  auto drain = [&](AVCodecContext* c, bool picture) {
    while (avcodec_receive_frame(c, a.frame) == 0) {
      if (picture)
        PushPicture(a.frame);
      else
        PushSound(a.frame);
      av_frame_unref(a.frame);
    }
  };
  if (av_read_frame(a.fmt, a.pkt) < 0) {
    // The end, or a rest that cannot be read: what the decoders hold still shows.
    avcodec_send_packet(a.video, nullptr);
    drain(a.video, true);
    if (a.audio) {
      avcodec_send_packet(a.audio, nullptr);
      drain(a.audio, false);
    }
    return false;
  }
  // A packet the decoder refuses (damaged data) is skipped.
  if (a.pkt->stream_index == a.videoIndex) {
    if (avcodec_send_packet(a.video, a.pkt) >= 0) drain(a.video, true);
  } else if (a.audio && a.pkt->stream_index == a.audioIndex) {
    if (avcodec_send_packet(a.audio, a.pkt) >= 0) drain(a.audio, false);
  }
  av_packet_unref(a.pkt);
  return true;
}

std::unique_ptr<MovieFrame> MovieDecoder::TakeFrame() {
  std::lock_guard<std::mutex> lk(m_);
  if (pool_.empty()) return std::make_unique<MovieFrame>();
  auto f = std::move(pool_.back());
  pool_.pop_back();
  return f;
}

void MovieDecoder::PushPicture(void* p) {
  AVFrame* f = static_cast<AVFrame*>(p);
  Av& a = *av_;
  auto out = TakeFrame();
  size_t bytes = size_t(width_) * height_ * 4;
  out->bgra.resize(bytes);
  a.sws = sws_getCachedContext(a.sws, f->width, f->height, AVPixelFormat(f->format), width_, height_,
                               AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (!a.sws) return;
  uint8_t* dst[4] = {out->bgra.data(), nullptr, nullptr, nullptr};
  int pitch[4] = {width_ * 4, 0, 0, 0};
  sws_scale(a.sws, f->data, f->linesize, 0, f->height, dst, pitch);
  // swscale gives A = 255 for pictures without alpha; a picture with alpha
  // shown without it is made opaque here.
  if (HasAlphaPlane(f->format) && !keepAlpha_)
    for (size_t i = 3; i < bytes; i += 4) out->bgra[i] = 255;
  int64_t ts = f->best_effort_timestamp;
  std::lock_guard<std::mutex> lk(m_);
  out->index = nextIndex_++;
  out->ptsMs = ts != AV_NOPTS_VALUE ? av_rescale_q(ts - a.videoStart, a.videoTb, AVRational{1, 1000})
                                    : out->index * frameMs_;
  queue_.push_back(std::move(out));
  readyCv_.notify_all();
}

void MovieDecoder::PushSound(void* p) {
  AVFrame* f = static_cast<AVFrame*>(p);
  Av& a = *av_;
  int room = swr_get_out_samples(a.swr, f->nb_samples);
  if (room <= 0) return;
  size_t old = soundFifo_.size();
  soundFifo_.resize(old + size_t(room) * 4);
  uint8_t* out = soundFifo_.data() + old;
  int n = swr_convert(a.swr, &out, room, const_cast<const uint8_t**>(f->extended_data), f->nb_samples);
  soundFifo_.resize(old + size_t(std::max(n, 0)) * 4);
}

// Writes zeros over `n` ring bytes from `at` (played bytes, so an underrun
// plays silence rather than old sound).
static void ZeroRing(MixBuffer* b, uint32_t at, uint32_t n) {
  void *p1, *p2;
  uint32_t n1, n2;
  if (!b->Lock(at, n, &p1, &n1, &p2, &n2)) return;
  memset(p1, 0, n1);
  if (p2) memset(p2, 0, n2);
  b->Unlock(p1, n1, p2, n2);
}

void MovieDecoder::TopUpSound() {
  uint32_t size = buffer_->Size();
  uint32_t cur = buffer_->GetCurrentPosition();
  uint32_t delta = (cur + size - lastCursor_) % size;
  if (delta) ZeroRing(buffer_, lastCursor_, delta);
  lastCursor_ = cur;
  uint64_t played = played_.load() + delta;
  played_.store(played);
  if (written_ < played) written_ = played;  // ran dry: new sound starts at the cursor
  uint64_t room = size - (written_ - played);
  room = room > 4 ? room - 4 : 0;
  size_t n = std::min<size_t>(room, soundFifo_.size()) & ~size_t(3);
  if (n) {
    void *p1, *p2;
    uint32_t n1, n2;
    if (buffer_->Lock(uint32_t(written_ % size), uint32_t(n), &p1, &n1, &p2, &n2)) {
      memcpy(p1, soundFifo_.data(), n1);
      if (p2) memcpy(p2, soundFifo_.data() + n1, n2);
      buffer_->Unlock(p1, n1, p2, n2);
      soundFifo_.erase(soundFifo_.begin(), soundFifo_.begin() + long(n));
      written_ += n;
    }
  }
  bool ended;
  {
    std::lock_guard<std::mutex> lk(m_);
    ended = eof_;
  }
  if (ended && soundFifo_.empty() && soundEnd_.load() == UINT64_MAX) soundEnd_.store(written_);
}

void MovieDecoder::SeekToStart() {
  Av& a = *av_;
  if (av_seek_frame(a.fmt, a.videoIndex, a.videoStart, AVSEEK_FLAG_BACKWARD) < 0)
    avformat_seek_file(a.fmt, -1, INT64_MIN, 0, INT64_MAX, 0);
  avcodec_flush_buffers(a.video);
  if (a.audio) {
    avcodec_flush_buffers(a.audio);
    swr_close(a.swr);
    swr_init(a.swr);
  }
  if (buffer_) {
    soundFifo_.clear();
    TopUpSound();  // brings the play count up to date
    ZeroRing(buffer_, 0, buffer_->Size());
    written_ = played_.load();
    soundBase_.store(written_);
    soundEnd_.store(UINT64_MAX);
  }
}

MovieStatus MovieDecoder::WaitForPicture(std::unique_lock<std::mutex>& lk) {
  bool ready = readyCv_.wait_for(lk, std::chrono::milliseconds(startTimeoutMs_),
                                 [&] { return !seekRequest_ && (!queue_.empty() || eof_); });
  if (!ready) return MovieStatus::StartTimeout;
  return queue_.empty() ? MovieStatus::Unplayable : MovieStatus::Ok;
}

MovieStatus MovieDecoder::Start() {
  if (!av_) return MovieStatus::Unplayable;
  {
    std::unique_lock<std::mutex> lk(m_);
    MovieStatus st = WaitForPicture(lk);
    if (st != MovieStatus::Ok) return st;
  }
  started_ = true;
  startMs_ = clock_->Now();
  if (buffer_) {
    soundBase_.store(played_.load());
    buffer_->Play();
  }
  Advance();
  return MovieStatus::Ok;
}

MovieStatus MovieDecoder::Rewind() {
  if (!av_) return MovieStatus::Unplayable;
  {
    std::unique_lock<std::mutex> lk(m_);
    seekRequest_ = true;
    current_.index = -1;
    cv_.notify_all();
    MovieStatus st = WaitForPicture(lk);
    if (st != MovieStatus::Ok) return st;
  }
  startMs_ = clock_->Now();
  if (started_) Advance();
  return MovieStatus::Ok;
}

int64_t MovieDecoder::ClockMs() {
  if (!started_) return 0;
  if (buffer_) return int64_t((played_.load() - soundBase_.load()) * 1000 / uint64_t(bytesPerSec_));
  return int64_t(uint32_t(clock_->Now() - startMs_));
}

bool MovieDecoder::Advance() {
  if (!started_) return false;
  int64_t now = ClockMs();
  bool changed = false;
  {
    std::lock_guard<std::mutex> lk(m_);
    while (!queue_.empty() && (current_.index < 0 || queue_.front()->ptsMs <= now)) {
      std::unique_ptr<MovieFrame> f = std::move(queue_.front());
      queue_.pop_front();
      std::swap(current_, *f);
      pool_.push_back(std::move(f));
      changed = true;
    }
  }
  if (changed) cv_.notify_all();
  return changed;
}

bool MovieDecoder::Finished() {
  if (!started_) return false;
  {
    std::lock_guard<std::mutex> lk(m_);
    if (!eof_ || !queue_.empty() || seekRequest_) return false;
  }
  if (ClockMs() < current_.ptsMs + frameMs_) return false;
  return !buffer_ || played_.load() >= soundEnd_.load();
}

}  // namespace qor
