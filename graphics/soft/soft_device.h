// The software drawing device: textures in system memory, a back buffer and
// an off-screen buffer of 0xFFRRGGBB pixels, a draw queue replayed through the
// rasteriser, and presentation into the SDL window surface.
#pragma once
#include <cstdint>
#include <vector>

#include "graphics/device.h"
#include "graphics/soft/soft_raster.h"

struct SDL_Surface;

namespace qor::soft {

// A texture's storage; DeviceTexture::backend points back at it.
struct SoftTexture {
  DeviceTexture desc;
  std::vector<uint32_t> store;
};

class SoftDevice final : public Device {
 public:
  SoftDevice(SDL_Window* window, int width, int height);
  ~SoftDevice() override;

  const char* Name() const override { return "soft"; }
  TextureResult CreateTexture(int width, int height, DeviceTexture** out) override;
  void DestroyTexture(DeviceTexture* tex) override;
  void BeginTextureAccess(DeviceTexture* tex) override;
  void EndTextureAccess(DeviceTexture* tex, int top, int bottom) override;

  bool BeginScene() override;
  void EndScene() override;
  void Clear(const DeviceRect* rect, uint32_t argb) override;
  void SetBlend(BlendMode mode) override;
  void SetTexture(DeviceTexture* tex) override;
  void Draw(PrimitiveType type, const Vertex* v, int count) override;
  bool Present() override;
  bool Reset(int backWidth, int backHeight) override;
  int BackWidth() const override { return back_.width; }
  int BackHeight() const override { return back_.height; }

  bool SetOffscreenTarget(bool on, int width, int height) override;
  void ReadPixels(uint32_t* dst, int dstPitchBytes, int width, int height) override;
  void ReadFrontBuffer(uint32_t* dst, int dstPitchBytes) override;
  void FailNextPresent() override { failNextPresent_ = true; }

  // The largest texture side accepted (larger sizes are an invalid call).
  static constexpr int kMaxTextureSize = 16384;

 private:
  struct Buffer {
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    Surface AsSurface() { return Surface{pixels.data(), width, height, width}; }
    void Allocate(int w, int h);  // opaque black
  };
  void Flush();
  Buffer& Current() { return offscreenOn_ ? offscreen_ : back_; }
  void ShowOnWindow();

  SDL_Window* window_;
  SDL_Surface* backWrap_ = nullptr;  // the back buffer seen as an SDL surface (presenting)
  Buffer back_, front_, offscreen_;
  bool offscreenOn_ = false;
  bool inScene_ = false;
  bool failNextPresent_ = false;
  BlendMode blend_ = BLEND_NORMAL;
  DeviceTexture* texture_ = nullptr;
  // The queue: draws of one primitive type with the current texture and blend.
  PrimitiveType queuedType_ = PT_TRIANGLELIST;
  std::vector<Vertex> queuedVertices_;
  std::vector<int> queuedCounts_;
};

}  // namespace qor::soft
