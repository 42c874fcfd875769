// The OpenGL 3.3 core drawing device: internal declarations shared by the
// files of graphics/gl (device core, batching, textures, shaders).
//
// Every frame is drawn into an off-screen framebuffer whose row 0 is the top
// row of the picture; Present draws it (flipped, scaled to the drawable by the
// rule of graphics/frame_scale.h) into the window. That keeps read-backs and scissor rectangles in picture
// coordinates, and keeps the last presented frame readable.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/device.h"
#include "graphics/gl/gl_api.h"

typedef void* SDL_GLContext;

namespace qor::glb {

// Backend side of a DeviceTexture; `pub` is what the engine sees.
struct GLTexture {
  DeviceTexture pub;
  GLuint id = 0;
  GLTexture* prev = nullptr;
  GLTexture* next = nullptr;
};

// A colour target: one RGBA8 texture attached to a framebuffer object.
struct Target {
  GLuint fbo = 0, tex = 0;
  int width = 0, height = 0;
};

// Lines are drawn as points (see gl_batch.cpp), so two kinds suffice.
enum BatchKind { KIND_NONE, KIND_TRIANGLES, KIND_POINTS };

// Textures bound at once, each on its own unit: a batch may switch between
// this many textures per vertex without a flush (sprite sheets drawn in
// alternation would otherwise cost a state change per sprite, which is
// expensive on Mesa's software rasterisers). Unit kTextureSlots is scratch
// space for creating and uploading textures.
constexpr int kTextureSlots = 4;

// The shader programs, chosen per batch from the units its vertices use:
//   0                        untextured only;
//   1 + i                    unit i, and some untextured vertices;
//   1 + kTextureSlots + i    unit i only (no branch at all);
//   2 * kTextureSlots + h    several units, the highest being h >= 1;
//   3 * kTextureSlots + i    unit i only, every quad axis-aligned with its
//                            pixel centres on texel centres: plain sampling.
// Plus the presenting program, which scales a finished frame to the window.
struct Programs {
  static constexpr int kCount = 4 * kTextureSlots;
  GLuint program[kCount] = {};
  GLint scale[kCount] = {};
  GLuint present = 0;
  GLint presentWindow = -1;  // location of its uniform for the window's size
};
inline int ProgramIndex(unsigned unitMask, bool untextured, bool exactTexels) {
  if (!unitMask) return 0;
  if (!(unitMask & (unitMask - 1))) {
    if (untextured) return 1 + __builtin_ctz(unitMask);
    return (exactTexels ? 3 * kTextureSlots : 1 + kTextureSlots) + __builtin_ctz(unitMask);
  }
  return 2 * kTextureSlots + (31 - __builtin_clz(unitMask));
}
bool BuildPrograms(Programs* p, std::string* error);
void DestroyPrograms(Programs* p);

class GLDevice final : public Device {
 public:
  GLDevice(SDL_Window* window, int width, int height);
  ~GLDevice() override;
  bool Init(std::string* error);

  const char* Name() const override { return "gl"; }
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

 protected:
  void Submit(PrimitiveType type, const Vertex* v, int count) override;

 private:
  // Context and GL objects (gl_device.cpp).
  bool CreateContext(std::string* error);
  bool CreateObjects(std::string* error);
  void DestroyObjects();
  bool MakeTarget(Target* t, int width, int height);
  void FreeTarget(Target* t);
  void BindTarget(const Target& t);
  Target& Current() { return offscreenOn_ ? offscreen_ : back_; }
  void BeforeBackWrite(const DeviceRect* cleared);
  void ReadTarget(const Target& t, uint32_t* dst, int pitch, int width, int height);
  // Draws `frame` upright into the window's framebuffer of width x height.
  void ShowFrame(const Target& frame, int width, int height);
  bool ContextLost();

  // Batching (gl_batch.cpp).
  Vertex* Reserve(int count);
  void Flush();
  void ApplyBatchState();
  int SlotFor(GLTexture* t);
  void BindScratch(GLuint id);
  // A new texture object bound for set-up: point sampling, clamped at the edges.
  GLuint NewNearestTexture();
  void AppendTriangles(PrimitiveType type, const Vertex* v, int count);
  void AppendLines(PrimitiveType type, const Vertex* v, int count);
  void AppendLine(const Vertex& a, const Vertex& b);
  void AppendPoints(const Vertex* v, int count);

  // Textures (gl_texture.cpp).
  bool AllocateTextureStorage(GLTexture* t);
  void UploadDirtyRows(GLTexture* t);

  SDL_Window* window_;
  SDL_GLContext context_ = nullptr;
  Programs programs_;
  GLuint vao_ = 0, vbo_ = 0;
  GLuint emptyVao_ = 0;  // for the presenting pass, which reads no vertex arrays
  size_t vboBytes_ = 0, vboOffset_ = 0;
  GLint maxTextureSize_ = 0;

  Target back_, front_, offscreen_;
  bool offscreenOn_ = false;
  // The back buffer still holds exactly the last presented frame.
  bool backIsPresented_ = false;
  // front_ holds the last presented frame (valid once the back moved on).
  bool frontValid_ = false;
  bool showOnWindow_ = true;  // false with SDL's offscreen video driver
  bool failNextPresent_ = false;
  bool lost_ = false;            // GL reported a reset: Present fails until Reset
  bool recreateOnReset_ = false;  // a (simulated) loss: Reset starts a new context

  // The batch: vertices in triangle/line/point lists plus the state they use.
  std::vector<Vertex> batch_;
  int batchCount_ = 0;
  BatchKind batchKind_ = KIND_NONE;
  BlendMode batchBlend_ = BLEND_NORMAL;
  float batchSlot_ = -1.f;     // slot of the draw being appended (-1 untextured)
  unsigned batchSlotMask_ = 0;  // slots the queued vertices use
  bool batchUntextured_ = false;  // some queued vertices are untextured
  bool batchInexact_ = false;     // some textured draw may sample off texel centres
  GLTexture* slots_[kTextureSlots] = {};  // texture assigned to each unit
  GLuint boundSlots_[kTextureSlots] = {};  // what GL has bound there
  int nextVictim_ = 0;

  // Current state as the engine set it.
  GLTexture* texture_ = nullptr;
  BlendMode blend_ = BLEND_NORMAL;

  // State as last applied to GL (to skip redundant calls).
  GLuint appliedTexture_ = 0;  // bound on the scratch unit
  GLuint appliedProgram_ = 0;
  int appliedBlend_ = -1;

  GLTexture* textures_ = nullptr;  // every live texture (re-created after a lost context)
};

}  // namespace qor::glb
