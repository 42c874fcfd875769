// The software device: texture store, draw queue, targets and read-back.
#include "graphics/soft/soft_device.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace qor {
namespace soft {

void SoftDevice::Buffer::Allocate(int w, int h) {
  width = w;
  height = h;
  pixels.assign(static_cast<size_t>(w) * h, 0xFF000000u);
}

SoftDevice::SoftDevice(SDL_Window* window, int width, int height) : window_(window) {
  back_.Allocate(width, height);
  front_.Allocate(width, height);
  queuedVertices_.reserve(4096);
  queuedCounts_.reserve(1024);
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

bool SoftDevice::BeginScene() {
  if (inScene_) return false;
  inScene_ = true;
  return true;
}

void SoftDevice::EndScene() {
  Flush();
  inScene_ = false;
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

void SoftDevice::SetBlend(BlendMode mode) {
  if (mode == blend_) return;
  Flush();
  blend_ = mode;
}

void SoftDevice::SetTexture(DeviceTexture* tex) {
  if (tex == texture_) return;
  Flush();
  texture_ = tex;
}

void SoftDevice::Draw(PrimitiveType type, const Vertex* v, int count) {
  if (count <= 0 || type < PT_POINTLIST || type > PT_TRIANGLEFAN) return;
  if (type != queuedType_) {
    Flush();
    queuedType_ = type;
  }
  queuedVertices_.insert(queuedVertices_.end(), v, v + count);
  queuedCounts_.push_back(count);
}

void SoftDevice::Flush() {
  if (queuedCounts_.empty()) return;
  Buffer& b = Current();
  Surface target = b.AsSurface();
  DrawState s{&target, {}, blend_, {0, b.height}};
  if (texture_) {
    s.texture.pixels = reinterpret_cast<const uint32_t*>(texture_->pixels);
    s.texture.width = texture_->width;
    s.texture.height = texture_->height;
    s.texture.stride = texture_->pitch / 4;
  }
  const Vertex* v = queuedVertices_.data();
  for (int n : queuedCounts_) {
    DrawPrimitive(s, queuedType_, v, n);
    v += n;
  }
  queuedVertices_.clear();
  queuedCounts_.clear();
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
  queuedVertices_.clear();  // a reset drops what was not drawn yet
  queuedCounts_.clear();
  back_.Allocate(backWidth, backHeight);
  offscreen_ = Buffer();
  offscreenOn_ = false;
  inScene_ = false;
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
