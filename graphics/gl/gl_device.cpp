// The OpenGL device: context, framebuffers, frame, present, reset and read-back.
#include "graphics/gl/gl_device.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace qor {

void PrepareGLAttributes() {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  // Drawing happens in our own framebuffers: the window needs neither depth,
  // stencil nor multisampling.
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 0);
}

std::unique_ptr<Device> CreateGLDevice(SDL_Window* window, int width, int height, std::string* error) {
  std::string dummy;
  if (!error) error = &dummy;
  if (!window) {
    *error = "the OpenGL device needs a window";
    return nullptr;
  }
  if (width <= 0 || height <= 0) {
    *error = "invalid back buffer size " + std::to_string(width) + "x" + std::to_string(height);
    return nullptr;
  }
  gl::PinDriver();
  auto device = std::make_unique<glb::GLDevice>(window, width, height);
  if (!device->Init(error)) return nullptr;
  return device;
}

}  // namespace qor

namespace qor::glb {

using namespace qor::gl;

namespace {
constexpr int kBatchVertices = 6 * 4096;
}

GLDevice::GLDevice(SDL_Window* window, int width, int height) : window_(window) {
  back_.width = width;
  back_.height = height;
  batch_.resize(kBatchVertices);
}

GLDevice::~GLDevice() {
  if (context_) {
    SDL_GL_MakeCurrent(window_, context_);
    DestroyObjects();
  }
  while (textures_) {
    GLTexture* t = textures_;
    textures_ = t->next;
    std::free(t->pub.pixels);
    delete t;
  }
  if (context_) SDL_GL_DeleteContext(context_);
}

bool GLDevice::CreateContext(std::string* error) {
  PrepareGLAttributes();
  // Ask for reset notification so a lost GPU shows up as a lost device; not
  // every driver offers it, so fall back to a plain context.
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, SDL_GL_CONTEXT_ROBUST_ACCESS_FLAG);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_RESET_NOTIFICATION, SDL_GL_CONTEXT_RESET_LOSE_CONTEXT);
  context_ = SDL_GL_CreateContext(window_);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, 0);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_RESET_NOTIFICATION, SDL_GL_CONTEXT_RESET_NO_NOTIFICATION);
  if (!context_) context_ = SDL_GL_CreateContext(window_);
  if (!context_) {
    *error = std::string("cannot create an OpenGL 3.3 core context: ") + SDL_GetError();
    return false;
  }
  if (SDL_GL_MakeCurrent(window_, context_) != 0) {
    *error = std::string("cannot make the OpenGL context current: ") + SDL_GetError();
    return false;
  }
  SDL_GL_SetSwapInterval(0);
  std::string missing;
  if (!LoadFunctions(&missing)) {
    *error = "OpenGL function " + missing + " is missing";
    return false;
  }
  GLint major = 0, minor = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  glGetIntegerv(GL_MINOR_VERSION, &minor);
  if (major < 3 || (major == 3 && minor < 3)) {
    *error = "OpenGL 3.3 is required, the context offers " + std::to_string(major) + "." +
             std::to_string(minor);
    return false;
  }
  return true;
}

bool GLDevice::Init(std::string* error) {
  // SDL's offscreen driver has no screen to show anything on, and a hidden
  // window (headless runs on Windows) shows nothing: the presented frame
  // lives on in our framebuffers (ReadFrontBuffer), and copying it into an
  // invisible window would only cost time.
  // QOR_GL_SHOW_OFFSCREEN=1 copies anyway (to check that path headless).
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* force = std::getenv("QOR_GL_SHOW_OFFSCREEN");
  const bool hidden = window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_HIDDEN);
  showOnWindow_ = !(driver && std::strcmp(driver, "offscreen") == 0) && !hidden;
  if (force && std::strcmp(force, "1") == 0) showOnWindow_ = true;
  if (!CreateContext(error)) return false;
  return CreateObjects(error);
}

bool GLDevice::MakeTarget(Target* t, int width, int height) {
  while (glGetError() != GL_NO_ERROR) {
  }
  t->width = width;
  t->height = height;
  t->tex = NewNearestTexture();
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  glGenFramebuffers(1, &t->fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, t->fbo);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t->tex, 0);
  bool ok = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE &&
            glGetError() == GL_NO_ERROR;
  if (ok) {
    // A new target starts opaque black, like a freshly reset back buffer.
    glClearColor(0.f, 0.f, 0.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  BindTarget(Current());
  if (!ok) FreeTarget(t);
  return ok;
}

void GLDevice::FreeTarget(Target* t) {
  if (t->fbo) glDeleteFramebuffers(1, &t->fbo);
  if (t->tex) {
    glDeleteTextures(1, &t->tex);
    if (appliedTexture_ == t->tex) appliedTexture_ = 0;
  }
  t->fbo = t->tex = 0;
}

void GLDevice::BindTarget(const Target& t) {
  glBindFramebuffer(GL_FRAMEBUFFER, t.fbo);
  if (!t.fbo) return;
  glViewport(0, 0, t.width, t.height);
  for (int k = 0; k < Programs::kCount; ++k) {
    glUseProgram(programs_.program[k]);
    glUniform2f(programs_.scale[k], 2.0f / t.width, 2.0f / t.height);
  }
  appliedProgram_ = programs_.program[Programs::kCount - 1];
}

bool GLDevice::CreateObjects(std::string* error) {
  if (!BuildPrograms(&programs_, error)) return false;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize_);
  // Never more than the reference device accepts, so both refuse the same sizes.
  maxTextureSize_ = std::min(maxTextureSize_, 16384);
  glGenVertexArrays(1, &emptyVao_);
  glGenVertexArrays(1, &vao_);
  glBindVertexArray(vao_);
  glGenBuffers(1, &vbo_);
  glBindBuffer(GL_ARRAY_BUFFER, vbo_);
  vboBytes_ = 0;
  const GLsizei stride = sizeof(Vertex);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, x)));
  // The diffuse 0xAARRGGBB lies in memory as B, G, R, A: GL_BGRA reads it as RGBA.
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                        reinterpret_cast<void*>(offsetof(Vertex, diffuse)));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, u)));
  // z is always 0 for the engine; the batch reuses it for the texture slot.
  glEnableVertexAttribArray(3);
  glVertexAttribPointer(3, 1, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, z)));

  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_SCISSOR_TEST);
  glEnable(GL_BLEND);
  glActiveTexture(GL_TEXTURE0 + kTextureSlots);
  appliedTexture_ = 0;
  appliedBlend_ = -1;
  batchSlotMask_ = 0;
  for (int i = 0; i < kTextureSlots; ++i) {
    slots_[i] = nullptr;
    boundSlots_[i] = 0;
  }

  int w = back_.width, h = back_.height;
  if (!MakeTarget(&back_, w, h) || !MakeTarget(&front_, w, h)) {
    *error = "cannot create a " + std::to_string(w) + "x" + std::to_string(h) + " framebuffer";
    return false;
  }
  if (offscreenOn_ && !MakeTarget(&offscreen_, offscreen_.width, offscreen_.height)) {
    *error = "cannot create the off-screen target";
    return false;
  }
  for (GLTexture* t = textures_; t; t = t->next) {
    if (!AllocateTextureStorage(t)) {
      *error = "cannot re-create a texture";
      return false;
    }
    t->pub.dirtyTop = 0;
    t->pub.dirtyBottom = t->pub.height;
  }
  backIsPresented_ = false;
  frontValid_ = false;
  BindTarget(Current());
  return true;
}

void GLDevice::DestroyObjects() {
  batchCount_ = 0;
  for (GLTexture* t = textures_; t; t = t->next) {
    if (t->id) glDeleteTextures(1, &t->id);
    t->id = 0;
  }
  FreeTarget(&back_);
  FreeTarget(&front_);
  FreeTarget(&offscreen_);
  if (vbo_) glDeleteBuffers(1, &vbo_);
  if (vao_) glDeleteVertexArrays(1, &vao_);
  if (emptyVao_) glDeleteVertexArrays(1, &emptyVao_);
  vbo_ = vao_ = emptyVao_ = 0;
  DestroyPrograms(&programs_);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

bool GLDevice::ContextLost() {
  return glGetGraphicsResetStatus && glGetGraphicsResetStatus() != GL_NO_ERROR;
}

// Before the back buffer changes for the first time after a present, the
// presented frame moves to front_ (for ReadFrontBuffer). Instead of copying
// the whole frame, the two buffers swap roles and only what the coming write
// does not cover is copied back: a clear of all but the last row and column
// costs two thin strips.
void GLDevice::BeforeBackWrite(const DeviceRect* cleared) {
  if (!backIsPresented_) return;
  backIsPresented_ = false;
  frontValid_ = true;
  std::swap(back_, front_);
  const int w = back_.width, h = back_.height;
  DeviceRect c = cleared ? *cleared : DeviceRect{0, 0, 0, 0};
  DeviceRect strips[4] = {
      {0, 0, w, c.top}, {0, c.bottom, w, h}, {0, c.top, c.left, c.bottom}, {c.right, c.top, w, c.bottom}};
  if (!cleared) strips[0] = {0, 0, w, h};
  glBindFramebuffer(GL_READ_FRAMEBUFFER, front_.fbo);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, back_.fbo);
  for (const DeviceRect& r : strips) {
    if (r.right <= r.left || r.bottom <= r.top) continue;
    glBlitFramebuffer(r.left, r.top, r.right, r.bottom, r.left, r.top, r.right, r.bottom,
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
    if (!cleared) break;
  }
  BindTarget(back_);
}

void GLDevice::Clear(const DeviceRect* rect, uint32_t argb) {
  Flush();
  Target& t = Current();
  DeviceRect r{0, 0, t.width, t.height};
  if (rect) {
    r.left = std::max(rect->left, 0);
    r.top = std::max(rect->top, 0);
    r.right = std::min(rect->right, t.width);
    r.bottom = std::min(rect->bottom, t.height);
    if (r.right <= r.left || r.bottom <= r.top) return;
  }
  if (!offscreenOn_) BeforeBackWrite(&r);
  const bool whole = r.left == 0 && r.top == 0 && r.right == t.width && r.bottom == t.height;
  if (!whole) {
    glEnable(GL_SCISSOR_TEST);
    // Row 0 of our framebuffers is the top row, so the rectangle needs no flip.
    glScissor(r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  // The targets have no alpha of their own: keep it at 1 so that nothing
  // behind the window (or a read-back) sees a translucent picture.
  glClearColor(((argb >> 16) & 255) / 255.0f, ((argb >> 8) & 255) / 255.0f, (argb & 255) / 255.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  if (!whole) glDisable(GL_SCISSOR_TEST);
}

void GLDevice::SetBlend(BlendMode mode) { blend_ = mode == BLEND_ADD ? BLEND_ADD : BLEND_NORMAL; }

bool GLDevice::Present() {
  Flush();
  if (failNextPresent_) {
    // Behaves as a lost device for this present; the next Reset then goes
    // through the whole recovery (new context, textures restored).
    failNextPresent_ = false;
    recreateOnReset_ = true;
    return false;
  }
  if (lost_ || ContextLost()) {
    lost_ = recreateOnReset_ = true;
    return false;
  }
  if (showOnWindow_) {
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(window_, &dw, &dh);
    if (dw <= 0 || dh <= 0) {
      dw = back_.width;
      dh = back_.height;
    }
    // Our row 0 is the top; the window's is the bottom. A drawable of another
    // size (HiDPI, full screen at the screen's size) is filled by scaling.
    ShowFrame(back_, dw, dh);
    SDL_GL_SwapWindow(window_);
  }
  BindTarget(Current());
  backIsPresented_ = true;
  return true;
}

void GLDevice::ShowFrame(const Target& frame, int width, int height) {
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glViewport(0, 0, width, height);
  glDisable(GL_BLEND);
  glUseProgram(programs_.present);
  appliedProgram_ = programs_.present;
  glUniform2i(programs_.presentWindow, width, height);
  BindScratch(frame.tex);
  glBindVertexArray(emptyVao_);
  glDrawArrays(GL_TRIANGLES, 0, 3);
  glBindVertexArray(vao_);
  glEnable(GL_BLEND);
}

bool GLDevice::Reset(int backWidth, int backHeight) {
  if (backWidth <= 0 || backHeight <= 0) return false;
  // Like a device reset: queued draws are dropped, the off-screen target is
  // released and the drawing state returns to its defaults.
  batchCount_ = 0;
  batchSlotMask_ = 0;
  batchUntextured_ = batchInexact_ = false;
  offscreenOn_ = false;
  texture_ = nullptr;
  blend_ = BLEND_NORMAL;
  SDL_GL_MakeCurrent(window_, context_);
  if (recreateOnReset_ || ContextLost()) {
    // The context is gone (or a test says so): start a new one. Textures come
    // back from their CPU copies, as a managed pool would bring them back.
    DestroyObjects();
    SDL_GL_DeleteContext(context_);
    context_ = nullptr;
    back_.width = front_.width = backWidth;
    back_.height = front_.height = backHeight;
    offscreen_ = Target{};
    std::string error;
    if (!CreateContext(&error) || !CreateObjects(&error)) {
      SDL_Log("OpenGL device reset failed: %s", error.c_str());
      return false;
    }
    lost_ = recreateOnReset_ = false;
    return true;
  }
  FreeTarget(&offscreen_);
  if (backIsPresented_) {  // keep the presented frame readable
    std::swap(back_, front_);
    frontValid_ = true;
    backIsPresented_ = false;
  }
  if (back_.width != backWidth || back_.height != backHeight) {
    FreeTarget(&back_);
    FreeTarget(&front_);
    frontValid_ = false;
    if (!MakeTarget(&front_, backWidth, backHeight)) return false;
    if (!MakeTarget(&back_, backWidth, backHeight)) return false;
  } else {
    BindTarget(back_);
    glClearColor(0.f, 0.f, 0.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  BindTarget(back_);
  return true;
}

bool GLDevice::SetOffscreenTarget(bool on, int width, int height) {
  Flush();
  if (!on) {
    offscreenOn_ = false;
    BindTarget(back_);
    return true;
  }
  if (width <= 0 || height <= 0 || width > maxTextureSize_ || height > maxTextureSize_) return false;
  if (!offscreen_.fbo || offscreen_.width != width || offscreen_.height != height) {
    FreeTarget(&offscreen_);
    if (!MakeTarget(&offscreen_, width, height)) return false;
  }
  offscreenOn_ = true;
  BindTarget(offscreen_);
  return true;
}

// Reads the top-left width x height pixels of `t` as 0xFFRRGGBB; pixels
// outside the target come back opaque black.
void GLDevice::ReadTarget(const Target& t, uint32_t* dst, int pitch, int width, int height) {
  if (!dst || width <= 0 || height <= 0 || pitch < width * 4) return;
  const int w = std::min(width, t.width), h = std::min(height, t.height);
  auto* bytes = reinterpret_cast<uint8_t*>(dst);
  auto row = [&](int y) { return reinterpret_cast<uint32_t*>(bytes + static_cast<size_t>(y) * pitch); };
  if (w > 0 && h > 0 && t.fbo) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, t.fbo);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    if (pitch % 4 == 0) {
      glPixelStorei(GL_PACK_ROW_LENGTH, pitch / 4);
      glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, dst);
      glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    } else {
      std::vector<uint32_t> line(static_cast<size_t>(w));
      for (int y = 0; y < h; ++y) {
        glReadPixels(0, y, w, 1, GL_BGRA, GL_UNSIGNED_BYTE, line.data());
        std::memcpy(row(y), line.data(), static_cast<size_t>(w) * 4);
      }
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, Current().fbo);
  }
  for (int y = 0; y < height; ++y) {
    uint32_t* p = row(y);
    const int valid = (y < h && t.fbo) ? std::max(w, 0) : 0;
    for (int x = 0; x < valid; ++x) p[x] |= 0xFF000000u;
    std::fill(p + valid, p + width, 0xFF000000u);
  }
}

void GLDevice::ReadPixels(uint32_t* dst, int dstPitchBytes, int width, int height) {
  Flush();
  ReadTarget(Current(), dst, dstPitchBytes, width, height);
}

void GLDevice::ReadFrontBuffer(uint32_t* dst, int dstPitchBytes) {
  if (backIsPresented_) {
    ReadTarget(back_, dst, dstPitchBytes, back_.width, back_.height);
  } else if (frontValid_) {
    ReadTarget(front_, dst, dstPitchBytes, front_.width, front_.height);
  } else {
    // Nothing presented yet: the window shows black.
    ReadTarget(Target{}, dst, dstPitchBytes, back_.width, back_.height);
  }
}

}  // namespace qor::glb
