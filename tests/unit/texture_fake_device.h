// A recording stand-in for the drawing device, for texture tests: textures
// live in plain memory (optionally rounded up to powers of two), and every
// texture access, draw and read-back is logged in order.
#pragma once
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/device.h"

namespace qor::test {

class FakeDevice : public Device {
 public:
  bool powerOfTwo = false;
  int maxSize = 4096;
  bool offscreenFails = false;
  uint32_t targetPixel = 0xFF102030u;  // what ReadPixels reports for every pixel
  std::vector<std::string> log;        // "draw", "begin", "end top bottom", "read w h", ...
  int textures = 0;                    // live textures

  const char* Name() const override { return "fake"; }
  TextureResult CreateTexture(int width, int height, DeviceTexture** out) override {
    if (width <= 0 || height <= 0 || width > maxSize || height > maxSize) return TextureResult::InvalidCall;
    auto* t = new DeviceTexture;
    t->width = powerOfTwo ? RoundUp(width) : width;
    t->height = powerOfTwo ? RoundUp(height) : height;
    t->pitch = t->width * 4 + (powerOfTwo ? 0 : 16);  // padded rows catch pitch mistakes
    t->pixels = static_cast<uint8_t*>(calloc(size_t(t->pitch) * t->height, 1));
    ++textures;
    *out = t;
    return TextureResult::Ok;
  }
  void DestroyTexture(DeviceTexture* t) override {
    free(t->pixels);
    delete t;
    --textures;
  }
  void BeginTextureAccess(DeviceTexture*) override { log.push_back("begin"); }
  void EndTextureAccess(DeviceTexture*, int top, int bottom) override {
    log.push_back("end " + std::to_string(top) + " " + std::to_string(bottom));
  }
  void Clear(const DeviceRect*, uint32_t argb) override { log.push_back("clear " + std::to_string(argb)); }
  void SetBlend(BlendMode) override {}
  void SetTexture(DeviceTexture*) override {}
  bool Present() override { return true; }
  bool Reset(int, int) override { return true; }
  int BackWidth() const override { return 64; }
  int BackHeight() const override { return 48; }
  bool SetOffscreenTarget(bool on, int, int) override {
    log.push_back(on ? "target on" : "target off");
    return !(on && offscreenFails);
  }
  void ReadPixels(uint32_t* dst, int pitch, int w, int h) override {
    log.push_back("read " + std::to_string(w) + " " + std::to_string(h));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(dst) + size_t(y) * pitch)[x] = targetPixel;
  }
  void ReadFrontBuffer(uint32_t*, int) override {}
  void FailNextPresent() override {}

 protected:
  void Submit(PrimitiveType, const Vertex*, int) override {
    log.push_back("draw");
  }

 private:
  static int RoundUp(int v) {
    int p = 1;
    while (p < v) p <<= 1;
    return p;
  }
};

}  // namespace qor::test
