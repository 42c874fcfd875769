// The software device: texture store, draw queue, targets and read-back.
#include "graphics/soft/soft_device.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace qor {
namespace soft {

void SoftDevice::Buffer::Allocate(int w, int h) {
  width = w;
  height = h;
  pixels.assign(static_cast<size_t>(w) * h, 0xFF000000u);
}

namespace {

// Vertices queued before a flush is forced (bounds the queue's memory).
constexpr size_t kQueueLimit = 1 << 16;

int ThreadCount(int requested) {
  if (requested > 0) return std::min(requested, 16);
  if (const char* env = getenv("QOR_SOFT_THREADS")) {
    int n = atoi(env);
    if (n > 0) return std::min(n, 16);
  }
  unsigned hw = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(hw, 1u, 4u));
}

}  // namespace

BandWorkers::BandWorkers(int count) {
  for (int i = 0; i < count; ++i) threads_.emplace_back([this, i] { Loop(i); });
}

BandWorkers::~BandWorkers() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  for (auto& t : threads_) t.join();
}

void BandWorkers::Run(const std::function<void(int)>& job) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    job_ = &job;
    pending_ = Count();
    ++generation_;
  }
  wake_.notify_all();
  job(Count());
  std::unique_lock<std::mutex> lock(mutex_);
  finished_.wait(lock, [this] { return pending_ == 0; });
  job_ = nullptr;
}

void BandWorkers::Loop(int index) {
  unsigned seen = 0;
  for (;;) {
    const std::function<void(int)>* job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [&] { return quit_ || generation_ != seen; });
      if (quit_) return;
      seen = generation_;
      job = job_;
    }
    (*job)(index);
    std::lock_guard<std::mutex> lock(mutex_);
    if (--pending_ == 0) finished_.notify_one();
  }
}

SoftDevice::SoftDevice(SDL_Window* window, int width, int height, int threads) : window_(window) {
  back_.Allocate(width, height);
  front_.Allocate(width, height);
  queuedVertices_.resize(kQueueLimit);  // written in place, never grown per draw
  commands_.reserve(1024);
  int n = ThreadCount(threads);
  if (n > 1) workers_ = std::make_unique<BandWorkers>(n - 1);
}

TextureResult SoftDevice::CreateTexture(int width, int height, DeviceTexture** out) {
  *out = nullptr;
  if (width <= 0 || height <= 0 || width > kMaxTextureSize || height > kMaxTextureSize)
    return TextureResult::InvalidCall;
  SoftTexture* t = new (std::nothrow) SoftTexture;
  if (!t) return TextureResult::OutOfMemory;
  try {
    t->store.assign(static_cast<size_t>(width) * height, 0);
  } catch (const std::bad_alloc&) {
    delete t;
    return TextureResult::OutOfMemory;
  }
  t->desc.width = width;
  t->desc.height = height;
  t->desc.pitch = width * 4;
  t->desc.pixels = reinterpret_cast<uint8_t*>(t->store.data());
  t->desc.backend = t;
  *out = &t->desc;
  return TextureResult::Ok;
}

void SoftDevice::DestroyTexture(DeviceTexture* tex) {
  if (!tex) return;
  Flush();  // queued draws may still read it
  if (texture_ == tex) texture_ = nullptr;
  delete static_cast<SoftTexture*>(tex->backend);
}

void SoftDevice::BeginTextureAccess(DeviceTexture*) { Flush(); }

void SoftDevice::EndTextureAccess(DeviceTexture* tex, int, int) {
  // Draws sample the CPU copy directly: nothing to upload.
  if (tex) tex->dirtyTop = tex->dirtyBottom = 0;
}

void SoftDevice::Clear(const DeviceRect* rect, uint32_t argb) {
  Flush();
  Buffer& b = Current();
  int l = 0, t = 0, r = b.width, btm = b.height;
  if (rect) {
    l = std::max(rect->left, 0);
    t = std::max(rect->top, 0);
    r = std::min(rect->right, b.width);
    btm = std::min(rect->bottom, b.height);
  }
  const uint32_t c = argb | 0xFF000000u;  // the targets have no alpha
  for (int y = t; y < btm; ++y) std::fill_n(b.pixels.data() + static_cast<size_t>(y) * b.width + l, std::max(r - l, 0), c);
}

// Texture and blend travel with each queued draw, so changing them needs no flush.
void SoftDevice::SetBlend(BlendMode mode) { blend_ = mode; }
void SoftDevice::SetTexture(DeviceTexture* tex) { texture_ = tex; }

void SoftDevice::Submit(PrimitiveType type, const Vertex* v, int count) {
  if (count <= 0 || type < PT_POINTLIST || type > PT_TRIANGLEFAN) return;
  if (queued_ + count > queuedVertices_.size()) {
    Flush();
    if (static_cast<size_t>(count) > queuedVertices_.size()) queuedVertices_.resize(count);  // one huge draw
  }
  // The vertices' bounds; a NaN fails every comparison and leaves `finite` false.
  float left = v[0].x, right = v[0].x, top = v[0].y, bottom = v[0].y;
  bool finite = true;
  for (int i = 0; i < count; ++i) {
    const float x = v[i].x, y = v[i].y;
    finite &= std::fabs(x) <= FLT_MAX && std::fabs(y) <= FLT_MAX;
    left = std::min(left, x), right = std::max(right, x);
    top = std::min(top, y), bottom = std::max(bottom, y);
  }
  if (!finite) left = right = top = bottom = NAN;
  commands_.push_back(Command{texture_, blend_, type, static_cast<int>(queued_), count,
                              left, right, top, bottom});
  std::memcpy(queuedVertices_.data() + queued_, v, sizeof(Vertex) * count);
  queued_ += count;
}

// Lists each command under the tiles of the rows it may touch: its vertices'
// bounds widened by two pixels (a point or line lights the pixel nearest its
// coordinates). A command wholly beside the target is left out; one whose
// bounds are unknown goes to every tile.
void SoftDevice::BinCommands(int width, int height) {
  const int tiles = (height + kTileRows - 1) / kTileRows;
  if (static_cast<int>(tiles_.size()) < tiles) tiles_.resize(tiles);
  for (auto& t : tiles_) t.clear();
  for (size_t i = 0; i < commands_.size(); ++i) {
    const Command& c = commands_[i];
    int first = 0, last = tiles - 1;
    if (c.top == c.top) {
      if (c.right + 2 < 0 || c.left - 2 >= static_cast<float>(width)) continue;  // no column of the target
      const float lo = std::floor(c.top) - 2, hi = std::ceil(c.bottom) + 2;
      if (hi < 0 || lo >= static_cast<float>(height)) continue;  // no row of the target
      first = lo <= 0 ? 0 : static_cast<int>(lo) / kTileRows;
      last = hi >= static_cast<float>(height) ? tiles - 1 : static_cast<int>(hi) / kTileRows;
    }
    for (int t = first; t <= last; ++t) tiles_[t].push_back(static_cast<uint32_t>(i));
  }
}

void SoftDevice::ReplayTile(Surface* target, int tile) {
  DrawState s{target, {}, BLEND_NORMAL, Band{tile * kTileRows, std::min((tile + 1) * kTileRows, target->height)}};
  const DeviceTexture* current = nullptr;
  for (uint32_t index : tiles_[tile]) {
    const Command& c = commands_[index];
    if (c.texture != current) {
      current = c.texture;
      s.texture = TextureView{};
      if (current) {
        s.texture.pixels = reinterpret_cast<const uint32_t*>(current->pixels);
        s.texture.width = current->width;
        s.texture.height = current->height;
        s.texture.stride = current->pitch / 4;
      }
    }
    s.blend = c.blend;
    DrawPrimitive(s, c.type, queuedVertices_.data() + c.first, c.count);
  }
}

void SoftDevice::Flush() {
  if (commands_.empty()) return;
  Buffer& b = Current();
  Surface target = b.AsSurface();
  BinCommands(b.width, b.height);
  const int tiles = (b.height + kTileRows - 1) / kTileRows;
  // A single tile or a single command of few vertices is not worth waking the helpers for.
  if (!workers_ || tiles < 2 || queued_ < 8) {
    for (int t = 0; t < tiles; ++t) ReplayTile(&target, t);
  } else {
    // Threads take tiles in turn (neighbouring tiles cost about the same).
    // One pointer of capture keeps the std::function free of heap allocation.
    struct Split {
      SoftDevice* self;
      Surface* target;
      int tiles, threads;
    } split{this, &target, tiles, workers_->Count() + 1};
    const Split* p = &split;
    std::function<void(int)> job = [p](int i) {
      for (int t = i; t < p->tiles; t += p->threads) p->self->ReplayTile(p->target, t);
    };
    workers_->Run(job);
  }
  queued_ = 0;
  commands_.clear();
}

bool SoftDevice::Present() {
  Flush();
  if (failNextPresent_) {
    failNextPresent_ = false;
    return false;
  }
  if (window_) ShowOnWindow();
  if (front_.width != back_.width || front_.height != back_.height) front_.Allocate(back_.width, back_.height);
  std::memcpy(front_.pixels.data(), back_.pixels.data(), back_.pixels.size() * 4);
  return true;
}

bool SoftDevice::Reset(int backWidth, int backHeight) {
  if (backWidth <= 0 || backHeight <= 0) return false;
  queued_ = 0;  // a reset drops what was not drawn yet
  commands_.clear();
  back_.Allocate(backWidth, backHeight);
  offscreen_ = Buffer();
  offscreenOn_ = false;
  texture_ = nullptr;
  blend_ = BLEND_NORMAL;
  return true;
}

bool SoftDevice::SetOffscreenTarget(bool on, int width, int height) {
  Flush();
  if (!on) {
    offscreenOn_ = false;
    return true;
  }
  if (width <= 0 || height <= 0) return false;
  if (offscreen_.width != width || offscreen_.height != height) {
    try {
      offscreen_.Allocate(width, height);
    } catch (const std::bad_alloc&) {
      offscreen_ = Buffer();
      return false;
    }
  }
  offscreenOn_ = true;
  return true;
}

void SoftDevice::ReadPixels(uint32_t* dst, int dstPitchBytes, int width, int height) {
  Flush();
  Buffer& b = Current();
  for (int y = 0; y < height; ++y) {
    uint32_t* out = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(dst) + static_cast<size_t>(y) * dstPitchBytes);
    for (int x = 0; x < width; ++x)
      out[x] = (x < b.width && y < b.height) ? (b.pixels[static_cast<size_t>(y) * b.width + x] | 0xFF000000u) : 0xFF000000u;
  }
}

void SoftDevice::ReadFrontBuffer(uint32_t* dst, int dstPitchBytes) {
  for (int y = 0; y < back_.height; ++y) {
    uint32_t* out = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(dst) + static_cast<size_t>(y) * dstPitchBytes);
    for (int x = 0; x < back_.width; ++x)
      out[x] = (x < front_.width && y < front_.height) ? (front_.pixels[static_cast<size_t>(y) * front_.width + x] | 0xFF000000u)
                                                        : 0xFF000000u;
  }
}

}  // namespace soft

std::unique_ptr<Device> CreateSoftDevice(SDL_Window* window, int width, int height, std::string* error) {
  if (width <= 0 || height <= 0) {
    if (error) *error = "the screen size must be positive";
    return nullptr;
  }
  try {
    return std::make_unique<soft::SoftDevice>(window, width, height);
  } catch (const std::bad_alloc&) {
    if (error) *error = "not enough memory for the back buffer";
    return nullptr;
  }
}

}  // namespace qor
