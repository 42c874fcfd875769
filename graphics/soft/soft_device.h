// The software drawing device: textures in system memory, a back buffer and
// an off-screen buffer of 0xFFRRGGBB pixels, a draw queue replayed through the
// rasteriser, and presentation into the SDL window surface.
//
// Draws are queued with the texture and blend mode they were issued with and
// carried out together when something needs the pixels (present, read-back,
// clear, a texture access, a target switch, or a full queue). The target is
// then cut into tiles of rows small enough to stay in the processor's cache
// while they are drawn; each draw is listed under the tiles its rows touch,
// and each tile replays its list in queue order clipped to its rows, the
// tiles shared among the threads. Every pixel sees the same draws in the same
// order whatever the tiling, so the picture is byte-for-byte the same with
// any number of threads.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
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

// Helper threads that each run one band of a flush.
class BandWorkers {
 public:
  explicit BandWorkers(int count);
  ~BandWorkers();
  int Count() const { return static_cast<int>(threads_.size()); }
  // Runs job(i) for i in [0, Count()) on the helpers plus job(Count()) here; returns when all are done.
  void Run(const std::function<void(int)>& job);

 private:
  void Loop(int index);
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable wake_, finished_;
  const std::function<void(int)>* job_ = nullptr;
  unsigned generation_ = 0;
  int pending_ = 0;
  bool quit_ = false;
};

class SoftDevice final : public Device {
 public:
  // `threads` = 0: one per processor (at most 4), or QOR_SOFT_THREADS from the environment.
  SoftDevice(SDL_Window* window, int width, int height, int threads = 0);
  ~SoftDevice() override;

  const char* Name() const override { return "soft"; }
  TextureResult CreateTexture(int width, int height, DeviceTexture** out) override;
  void DestroyTexture(DeviceTexture* tex) override;
  void BeginTextureAccess(DeviceTexture* tex) override;
  void EndTextureAccess(DeviceTexture* tex, int top, int bottom) override;

  void Clear(const DeviceRect* rect, uint32_t argb) override;
  void SetBlend(BlendMode mode) override;
  void SetTexture(DeviceTexture* tex) override;
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
  // Rows per tile: 64 rows of a 1280-pixel target are 320 KB.
  static constexpr int kTileRows = 32;

 protected:
  void Submit(PrimitiveType type, const Vertex* v, int count) override;
  void SceneEnded() override { Flush(); }

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
  SDL_Surface* frameWrap_ = nullptr;  // the frame shown, seen as an SDL surface (presenting)
  std::vector<uint32_t> scaled_;      // the frame scaled to the window, when sizes differ
  std::vector<int> scaleColumns_;     // source column of each window column
  Buffer back_, front_, offscreen_;
  bool offscreenOn_ = false;
  bool failNextPresent_ = false;
  BlendMode blend_ = BLEND_NORMAL;
  DeviceTexture* texture_ = nullptr;
  // The queue: each draw with the state it was issued with.
  struct Command {
    const DeviceTexture* texture;
    BlendMode blend;
    PrimitiveType type;
    int first, count;  // into queuedVertices_
    float left, right, top, bottom;  // the vertices' bounds (NaN when a coordinate is not finite)
  };
  void BinCommands(int width, int height);
  void ReplayTile(Surface* target, int tile);
  std::vector<Vertex> queuedVertices_;  // the first queued_ are in use
  size_t queued_ = 0;
  std::vector<Command> commands_;
  // Per tile of kTileRows rows: the commands that may touch it, in queue order.
  std::vector<std::vector<uint32_t>> tiles_;
  std::unique_ptr<BandWorkers> workers_;  // null: everything on the calling thread
};

}  // namespace qor::soft
