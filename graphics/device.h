// The drawing device: the engine's stand-in for the Direct3D 9 device.
//
// Everything above it draws pre-transformed 2D vertices in D3D9's conventions:
// pixel centres at integer coordinates, point sampling with clamp, texture x
// diffuse in colour and alpha, blending src*a + dst*(1-a) or src*a + dst, the
// top-left fill rule. Backends: graphics/gl (OpenGL 3.3 core) and
// graphics/soft (the reference rasteriser). Both batch draws and keep order.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

struct SDL_Window;

namespace qor {

// The one vertex format (28 bytes): position, z 0, rhw 1, diffuse 0xAARRGGBB, u, v.
struct Vertex {
  float x, y, z, rhw;
  uint32_t diffuse;
  float u, v;
};
static_assert(sizeof(Vertex) == 28, "the vertex is 28 bytes");

enum PrimitiveType {
  PT_POINTLIST = 1,
  PT_LINELIST = 2,
  PT_LINESTRIP = 3,
  PT_TRIANGLELIST = 4,
  PT_TRIANGLESTRIP = 5,
  PT_TRIANGLEFAN = 6,
};

enum BlendMode { BLEND_NORMAL = 0, BLEND_ADD = 1 };

// A rectangle with exclusive right and bottom (like D3DRECT).
struct DeviceRect {
  int left, top, right, bottom;
};

// A texture: the CPU copy is the master (like D3DPOOL_MANAGED, it survives
// resets); the backend keeps its own copy and uploads changed rows lazily.
struct DeviceTexture {
  int width = 0, height = 0;  // allocated size
  int pitch = 0;              // bytes per row
  uint8_t* pixels = nullptr;  // BGRA rows, top first, owned by the device
  int dirtyTop = 0, dirtyBottom = 0;  // rows [top, bottom) not yet uploaded
  void* backend = nullptr;    // backend object
};

enum class TextureResult { Ok, InvalidCall, OutOfMemory, OutOfVideoMemory };

class Device {
 public:
  virtual ~Device() = default;
  virtual const char* Name() const = 0;  // "gl" or "soft"

  // --- textures
  virtual TextureResult CreateTexture(int width, int height, DeviceTexture** out) = 0;
  virtual void DestroyTexture(DeviceTexture* tex) = 0;
  // Before the CPU copy of `tex` is read or written: draws queued so far are
  // carried out first, so they see the old pixels.
  virtual void BeginTextureAccess(DeviceTexture* tex) = 0;
  // After writing rows [top, bottom) of the CPU copy.
  virtual void EndTextureAccess(DeviceTexture* tex, int top, int bottom) = 0;

  // --- frame
  // Drawing happens only inside a scene, as in Direct3D 9, which refuses a
  // draw outside BeginScene/EndScene: Draw then does nothing (no error).
  // Render-to-texture/bitmap scenes are scenes too. Clear, texture access and
  // read-backs work anywhere. A reset leaves an open scene open, so a mode
  // switch or a recovery in the middle of a frame lets the frame go on.
  bool BeginScene() {  // false when a scene is already open
    if (inScene_) return false;
    inScene_ = true;
    return true;
  }
  void EndScene() {
    inScene_ = false;
    SceneEnded();
  }
  // Clears the current target to `argb` (alpha ignored on the back buffer);
  // `rect` null = everything, else the rectangle (exclusive right/bottom).
  virtual void Clear(const DeviceRect* rect, uint32_t argb) = 0;
  virtual void SetBlend(BlendMode mode) = 0;
  virtual void SetTexture(DeviceTexture* tex) = 0;  // null = untextured (diffuse only)
  // Queues `count` vertices of a primitive list/strip/fan (count is vertices);
  // nothing outside a scene.
  void Draw(PrimitiveType type, const Vertex* v, int count) {
    if (inScene_) Submit(type, v, count);
  }
  // Shows the back buffer; false when the device is lost (then Reset).
  virtual bool Present() = 0;
  // Re-creates the back buffer at this size (screen-mode switch or recovery).
  virtual bool Reset(int backWidth, int backHeight) = 0;
  virtual int BackWidth() const = 0;
  virtual int BackHeight() const = 0;

  // --- off-screen target (render to texture / bitmap): screen-sized
  virtual bool SetOffscreenTarget(bool on, int width, int height) = 0;
  // Reads the current target's pixels as 0xFFRRGGBB (alpha forced to 255).
  virtual void ReadPixels(uint32_t* dst, int dstPitchBytes, int width, int height) = 0;
  // Reads the last presented frame (for screenshots), width x height of the back buffer.
  virtual void ReadFrontBuffer(uint32_t* dst, int dstPitchBytes) = 0;

  // Tests: make the next Present report a lost device.
  virtual void FailNextPresent() = 0;

 protected:
  // The backend's part of Draw, called only inside a scene.
  virtual void Submit(PrimitiveType type, const Vertex* v, int count) = 0;
  virtual void SceneEnded() {}

 private:
  bool inScene_ = false;
};

// Asks OpenGL (through a hidden throw-away window and 3.3 core context) for its
// renderer string; `software` is set for Mesa llvmpipe/softpipe and the like.
// False when no OpenGL 3.3 context can be had.
bool ProbeOpenGL(std::string* renderer, bool* software);
// True for renderer strings of Mesa's software rasterisers (llvmpipe, softpipe, ...).
bool IsSoftwareRenderer(const std::string& renderer);

// Sets the SDL_GL_* attributes the OpenGL device needs (3.3 core profile,
// double-buffered RGB8, no depth/stencil/multisampling). Whoever creates the
// SDL_WINDOW_OPENGL window for CreateGLDevice calls this before
// SDL_CreateWindow, after SDL video is initialised.
void PrepareGLAttributes();

// Backend factories. `window` may be null for a headless software device.
std::unique_ptr<Device> CreateSoftDevice(SDL_Window* window, int width, int height, std::string* error);
// The OpenGL device needs a window made with SDL_WINDOW_OPENGL after
// PrepareGLAttributes(); it creates its own 3.3 core context on it, keeps that
// context current and deletes it on destruction (one GL device per thread).
std::unique_ptr<Device> CreateGLDevice(SDL_Window* window, int width, int height, std::string* error);

}  // namespace qor
