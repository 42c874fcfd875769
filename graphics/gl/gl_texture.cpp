// GL backend textures: the CPU copy is the master; the GL texture receives
// the rows written since the last upload just before a draw needs them.
// Pixels are uploaded as GL_RGBA bytes although they are BGRA in memory; a
// swizzle swaps red and blue back when sampling (Mesa converts nothing then).
#include <cstdlib>
#include <new>

#include "graphics/gl/gl_device.h"

namespace qor::glb {

using namespace qor::gl;

bool GLDevice::AllocateTextureStorage(GLTexture* t) {
  while (glGetError() != GL_NO_ERROR) {
  }
  t->id = NewNearestTexture();
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_R, GL_BLUE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_B, GL_RED);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, t->pub.width, t->pub.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  if (glGetError() != GL_NO_ERROR) {
    glDeleteTextures(1, &t->id);
    t->id = 0;
    appliedTexture_ = 0;
    return false;
  }
  return true;
}

GLuint GLDevice::NewNearestTexture() {
  GLuint id = 0;
  glGenTextures(1, &id);
  BindScratch(id);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  return id;
}

void GLDevice::BindScratch(GLuint id) {
  if (appliedTexture_ != id) {
    glBindTexture(GL_TEXTURE_2D, id);
    appliedTexture_ = id;
  }
}

TextureResult GLDevice::CreateTexture(int width, int height, DeviceTexture** out) {
  if (!out) return TextureResult::InvalidCall;
  *out = nullptr;
  if (width <= 0 || height <= 0 || width > maxTextureSize_ || height > maxTextureSize_)
    return TextureResult::InvalidCall;
  auto* t = new (std::nothrow) GLTexture;
  if (!t) return TextureResult::OutOfMemory;
  t->pub.width = width;
  t->pub.height = height;
  t->pub.pitch = width * 4;
  t->pub.pixels = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(width) * height, 4));
  if (!t->pub.pixels) {
    delete t;
    return TextureResult::OutOfMemory;
  }
  if (!AllocateTextureStorage(t)) {
    std::free(t->pub.pixels);
    delete t;
    return TextureResult::OutOfVideoMemory;
  }
  // The GL copy starts undefined; the whole (zeroed) CPU copy goes up on first use.
  t->pub.dirtyTop = 0;
  t->pub.dirtyBottom = height;
  t->pub.backend = t;
  t->next = textures_;
  if (textures_) textures_->prev = t;
  textures_ = t;
  *out = &t->pub;
  return TextureResult::Ok;
}

void GLDevice::DestroyTexture(DeviceTexture* tex) {
  if (!tex) return;
  auto* t = static_cast<GLTexture*>(tex->backend);
  for (int i = 0; i < kTextureSlots; ++i) {
    if (slots_[i] != t) continue;
    if (batchSlotMask_ & (1u << i)) Flush();
    slots_[i] = nullptr;
    boundSlots_[i] = 0;  // deleting the texture unbinds it everywhere
  }
  if (texture_ == t) texture_ = nullptr;
  if (t->id) {
    glDeleteTextures(1, &t->id);
    if (appliedTexture_ == t->id) appliedTexture_ = 0;
  }
  if (t->prev) t->prev->next = t->next;
  else textures_ = t->next;
  if (t->next) t->next->prev = t->prev;
  std::free(t->pub.pixels);
  delete t;
}

void GLDevice::BeginTextureAccess(DeviceTexture* tex) {
  // Queued draws read the texture at flush time, so only a batch that uses
  // this texture has to go out before its pixels change.
  if (!tex || batchCount_ == 0) return;
  for (int i = 0; i < kTextureSlots; ++i)
    if (slots_[i] == tex->backend && (batchSlotMask_ & (1u << i))) Flush();
}

void GLDevice::EndTextureAccess(DeviceTexture* tex, int top, int bottom) {
  if (!tex) return;
  if (top < 0) top = 0;
  if (bottom > tex->height) bottom = tex->height;
  if (top >= bottom) return;
  if (tex->dirtyTop >= tex->dirtyBottom) {
    tex->dirtyTop = top;
    tex->dirtyBottom = bottom;
  } else {
    if (top < tex->dirtyTop) tex->dirtyTop = top;
    if (bottom > tex->dirtyBottom) tex->dirtyBottom = bottom;
  }
}

void GLDevice::UploadDirtyRows(GLTexture* t) {
  DeviceTexture& p = t->pub;
  if (p.dirtyTop >= p.dirtyBottom) return;
  BindScratch(t->id);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, p.pitch / 4);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, p.dirtyTop, p.width, p.dirtyBottom - p.dirtyTop, GL_RGBA,
                  GL_UNSIGNED_BYTE, p.pixels + static_cast<size_t>(p.dirtyTop) * p.pitch);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  p.dirtyTop = p.dirtyBottom = 0;
}

}  // namespace qor::glb
