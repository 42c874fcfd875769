// GL backend batching: draws are collected as triangle, line or point lists
// and go out in one glDrawArrays when the texture, blend mode or primitive
// kind changes, or before anything that must see their result.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/gl/gl_device.h"

namespace qor::glb {

using namespace qor::gl;

namespace {

BatchKind KindOf(PrimitiveType type) {
  switch (type) {
    case PT_POINTLIST: return KIND_POINTS;
    case PT_LINELIST:
    case PT_LINESTRIP: return KIND_LINES;
    case PT_TRIANGLELIST:
    case PT_TRIANGLESTRIP:
    case PT_TRIANGLEFAN: return KIND_TRIANGLES;
  }
  return KIND_NONE;
}

}  // namespace

Vertex* GLDevice::Reserve(int count) {
  if (batchCount_ + count > static_cast<int>(batch_.size())) Flush();
  Vertex* out = batch_.data() + batchCount_;
  batchCount_ += count;
  return out;
}

void GLDevice::SetTexture(DeviceTexture* tex) {
  texture_ = tex ? static_cast<GLTexture*>(tex->backend) : nullptr;
}

void GLDevice::Draw(PrimitiveType type, const Vertex* v, int count) {
  const BatchKind kind = KindOf(type);
  if (kind == KIND_NONE || !v || count <= 0) return;
  if (batchCount_ > 0 && (kind != batchKind_ || texture_ != batchTexture_ || blend_ != batchBlend_)) Flush();
  batchKind_ = kind;
  batchTexture_ = texture_;
  batchBlend_ = blend_;
  switch (kind) {
    case KIND_TRIANGLES: AppendTriangles(type, v, count); break;
    case KIND_LINES: AppendLines(type, v, count); break;
    case KIND_POINTS: AppendPoints(v, count); break;
    case KIND_NONE: break;
  }
}

void GLDevice::AppendTriangles(PrimitiveType type, const Vertex* v, int count) {
  const int capacity = static_cast<int>(batch_.size()) / 3;
  if (type == PT_TRIANGLELIST) {
    int triangles = count / 3;
    while (triangles > 0) {
      int n = std::min(triangles, capacity);
      std::memcpy(Reserve(n * 3), v, sizeof(Vertex) * 3 * n);
      v += n * 3;
      triangles -= n;
    }
    return;
  }
  if (type == PT_TRIANGLESTRIP && count == 4) {  // the sprite quad
    Vertex* o = Reserve(6);
    o[0] = v[0];
    o[1] = v[1];
    o[2] = v[2];
    o[3] = v[1];
    o[4] = v[3];
    o[5] = v[2];
    return;
  }
  const int triangles = count - 2;
  for (int i = 0; i < triangles;) {
    int n = std::min(triangles - i, capacity);
    Vertex* o = Reserve(n * 3);
    for (int k = 0; k < n; ++k, ++i) {
      if (type == PT_TRIANGLESTRIP) {
        // Odd strip triangles swap their first two vertices to keep the winding.
        o[0] = v[(i & 1) ? i + 1 : i];
        o[1] = v[(i & 1) ? i : i + 1];
        o[2] = v[i + 2];
      } else {
        o[0] = v[0];
        o[1] = v[i + 1];
        o[2] = v[i + 2];
      }
      o += 3;
    }
  }
}

void GLDevice::AppendLines(PrimitiveType type, const Vertex* v, int count) {
  const int capacity = static_cast<int>(batch_.size()) / 2;
  if (type == PT_LINELIST) {
    int lines = count / 2;
    while (lines > 0) {
      int n = std::min(lines, capacity);
      std::memcpy(Reserve(n * 2), v, sizeof(Vertex) * 2 * n);
      v += n * 2;
      lines -= n;
    }
    return;
  }
  const int lines = count - 1;
  for (int i = 0; i < lines;) {
    int n = std::min(lines - i, capacity);
    Vertex* o = Reserve(n * 2);
    for (int k = 0; k < n; ++k, ++i) {
      o[0] = v[i];
      o[1] = v[i + 1];
      o += 2;
    }
  }
}

void GLDevice::AppendPoints(const Vertex* v, int count) {
  const int capacity = static_cast<int>(batch_.size());
  while (count > 0) {
    int n = std::min(count, capacity);
    Vertex* o = Reserve(n);
    for (int k = 0; k < n; ++k) {
      o[k] = v[k];
      // A one-pixel point lights the pixel whose centre lies in
      // [x - 0.5, x + 0.5) x [y - 0.5, y + 0.5) (top-left rule). Moving the
      // vertex to that centre leaves GL no tie to break differently.
      o[k].x = std::ceil(v[k].x - 0.5f);
      o[k].y = std::ceil(v[k].y - 0.5f);
    }
    v += n;
    count -= n;
  }
}

void GLDevice::ApplyBatchState() {
  GLuint program = batchTexture_ ? programs_.textured : programs_.plain;
  if (program != appliedProgram_) {
    glUseProgram(program);
    appliedProgram_ = program;
  }
  if (batchTexture_) {
    if (appliedTexture_ != batchTexture_->id) {
      glBindTexture(GL_TEXTURE_2D, batchTexture_->id);
      appliedTexture_ = batchTexture_->id;
    }
    UploadDirtyRows(batchTexture_);
  }
  if (appliedBlend_ != batchBlend_) {
    // Colour: src*a + dst*(1-a) or src*a + dst. Alpha: keep the target's
    // (always 1), as a back buffer without alpha would.
    glBlendFuncSeparate(GL_SRC_ALPHA, batchBlend_ == BLEND_ADD ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE);
    appliedBlend_ = batchBlend_;
  }
}

void GLDevice::Flush() {
  if (batchCount_ == 0) return;
  if (!offscreenOn_) BeforeBackWrite(nullptr);
  ApplyBatchState();
  const size_t bytes = sizeof(Vertex) * static_cast<size_t>(batchCount_);
  // Orphan the buffer: the driver hands out fresh storage instead of waiting
  // for draws that still read the old contents.
  glBufferData(GL_ARRAY_BUFFER, bytes, batch_.data(), GL_STREAM_DRAW);
  GLenum mode = batchKind_ == KIND_POINTS ? GL_POINTS : batchKind_ == KIND_LINES ? GL_LINES : GL_TRIANGLES;
  glDrawArrays(mode, 0, batchCount_);
  batchCount_ = 0;
}

}  // namespace qor::glb
