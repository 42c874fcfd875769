// The OpenGL 3.3 core drawing device: internal declarations shared by the
// files of graphics/gl (device core, batching, textures, shaders).
//
// Every frame is drawn into an off-screen framebuffer whose row 0 is the top
// row of the picture; Present blits it (flipped, scaled to the drawable) to
// the window. That keeps read-backs and scissor rectangles in picture
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

enum BatchKind { KIND_NONE, KIND_TRIANGLES, KIND_LINES, KIND_POINTS };

// The two shader programs: modulate by a texture, or the diffuse colour alone.
struct Programs {
  GLuint textured = 0, plain = 0;
  GLint texturedScale = -1, plainScale = -1;
};
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
  bool ContextLost();

  // Batching (gl_batch.cpp).
  Vertex* Reserve(int count);
  void Flush();
  void ApplyBatchState();
  void AppendTriangles(PrimitiveType type, const Vertex* v, int count);
  void AppendLines(PrimitiveType type, const Vertex* v, int count);
  void AppendPoints(const Vertex* v, int count);

  // Textures (gl_texture.cpp).
  bool AllocateTextureStorage(GLTexture* t);
  void UploadDirtyRows(GLTexture* t);

  SDL_Window* window_;
  SDL_GLContext context_ = nullptr;
  Programs programs_;
  GLuint vao_ = 0, vbo_ = 0;
  size_t vboBytes_ = 0;
  GLint maxTextureSize_ = 0;

  Target back_, front_, offscreen_;
  bool offscreenOn_ = false;
  // The back buffer still holds exactly the last presented frame.
  bool backIsPresented_ = false;
  // front_ holds the last presented frame (valid once the back moved on).
  bool frontValid_ = false;
  bool inScene_ = false;
  bool failNextPresent_ = false;
  bool lost_ = false;

  // The batch: vertices in triangle/line/point lists plus the state they use.
  std::vector<Vertex> batch_;
  int batchCount_ = 0;
  BatchKind batchKind_ = KIND_NONE;
  GLTexture* batchTexture_ = nullptr;
  BlendMode batchBlend_ = BLEND_NORMAL;

  // Current state as the engine set it.
  GLTexture* texture_ = nullptr;
  BlendMode blend_ = BLEND_NORMAL;

  // State as last applied to GL (to skip redundant calls).
  GLuint appliedProgram_ = 0;
  GLuint appliedTexture_ = 0;
  int appliedBlend_ = -1;

  GLTexture* textures_ = nullptr;  // every live texture (re-created after a lost context)
};

}  // namespace qor::glb
