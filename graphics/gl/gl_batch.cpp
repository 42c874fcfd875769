// GL backend batching: draws are collected as triangle, line or point lists
// and go out in one glDrawArrays when the texture, blend mode or primitive
// kind changes, or before anything that must see their result. Strips and
// fans become triangle lists so that consecutive sprites share one call.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "graphics/gl/gl_device.h"
#include "graphics/raster_rules.h"

namespace qor::glb {

using namespace qor::gl;

namespace {

BatchKind KindOf(PrimitiveType type) {
  switch (type) {
    case PT_POINTLIST: return KIND_POINTS;
    case PT_LINELIST:
    case PT_LINESTRIP: return KIND_POINTS;  // lines become points (below)
    case PT_TRIANGLELIST:
    case PT_TRIANGLESTRIP:
    case PT_TRIANGLEFAN: return KIND_TRIANGLES;
  }
  return KIND_NONE;
}

// True when a textured quad strip is axis-aligned, its edges lie on pixel
// boundaries and it maps pixels 1:1 onto texels from a texel boundary: every
// pixel centre then samples a texel centre (the usual sprite), and plain
// point sampling cannot differ from the reference's rounding.
bool TexelExactQuad(const Vertex* v, const DeviceTexture& t) {
  if (!raster::IsAxisAlignedQuad(v[0], v[1], v[2], v[3])) return false;
  const float x0 = v[0].x, x1 = v[1].x, y0 = v[0].y, y1 = v[2].y;
  for (float e : {x0, x1, y0, y1})
    if (e + 0.5f != std::floor(e + 0.5f)) return false;
  auto oneToOne = [](float a0, float a1, float p0, float p1, int size) {
    double t0 = double(a0) * size, t1 = double(a1) * size;
    return std::fabs(t0 - std::floor(t0 + 0.5)) < 1e-3 && std::fabs(std::fabs(t1 - t0) - std::fabs(double(p1) - p0)) < 1e-3;
  };
  return oneToOne(v[0].u, v[1].u, x0, x1, t.width) && oneToOne(v[0].v, v[2].v, y0, y1, t.height);
}

}  // namespace

Vertex* GLDevice::Reserve(int count) {
  if (batchCount_ + count > static_cast<int>(batch_.size())) {
    Flush();
    // The draw being appended carries on in the next batch.
    if (batchSlot_ >= 0) batchSlotMask_ |= 1u << static_cast<int>(batchSlot_);
    else batchUntextured_ = true;
    batchInexact_ = true;
  }
  Vertex* out = batch_.data() + batchCount_;
  batchCount_ += count;
  return out;
}

void GLDevice::SetTexture(DeviceTexture* tex) {
  texture_ = tex ? static_cast<GLTexture*>(tex->backend) : nullptr;
}

// The slot of `t` for the batch being built: the unit it already has, else a
// unit the queued vertices do not use (flushing first when every unit is in use).
int GLDevice::SlotFor(GLTexture* t) {
  for (int i = 0; i < kTextureSlots; ++i)
    if (slots_[i] == t) return i;
  int pick = -1;
  for (int i = 0; i < kTextureSlots && pick < 0; ++i)
    if (!slots_[i]) pick = i;
  for (int k = 0; k < kTextureSlots && pick < 0; ++k) {
    int i = (nextVictim_ + k) % kTextureSlots;
    if (!(batchSlotMask_ & (1u << i))) pick = i;
  }
  if (pick < 0) {
    Flush();
    pick = nextVictim_;
  }
  nextVictim_ = (pick + 1) % kTextureSlots;
  slots_[pick] = t;
  return pick;
}

void GLDevice::Submit(PrimitiveType type, const Vertex* v, int count) {
  const BatchKind kind = KindOf(type);
  if (kind == KIND_NONE || !v || count <= 0) return;
  if (batchCount_ > 0 && (kind != batchKind_ || blend_ != batchBlend_)) Flush();
  batchKind_ = kind;
  batchBlend_ = blend_;
  int slot = -1;
  if (texture_) {
    slot = SlotFor(texture_);
    batchSlotMask_ |= 1u << slot;
    if (!(type == PT_TRIANGLESTRIP && count == 4 && TexelExactQuad(v, texture_->pub))) batchInexact_ = true;
  } else {
    batchUntextured_ = true;
  }
  batchSlot_ = static_cast<float>(slot);
  switch (kind) {
    case KIND_TRIANGLES: AppendTriangles(type, v, count); break;
    case KIND_POINTS:
      if (type == PT_POINTLIST) AppendPoints(v, count);
      else AppendLines(type, v, count);
      break;
    case KIND_NONE: break;
  }
}

void GLDevice::AppendTriangles(PrimitiveType type, const Vertex* v, int count) {
  const int capacity = static_cast<int>(batch_.size()) / 3;
  const float slot = batchSlot_;
  if (type == PT_TRIANGLESTRIP && count == 4) {  // the sprite quad
    Vertex* o = Reserve(6);
    o[0] = v[0];
    o[1] = v[1];
    o[2] = v[2];
    o[3] = v[1];
    o[4] = v[3];
    o[5] = v[2];
    for (int k = 0; k < 6; ++k) o[k].z = slot;
    return;
  }
  if (type == PT_TRIANGLELIST) {
    int triangles = count / 3;
    while (triangles > 0) {
      int n = std::min(triangles, capacity);
      Vertex* o = Reserve(n * 3);
      std::memcpy(o, v, sizeof(Vertex) * 3 * n);
      for (int k = 0; k < n * 3; ++k) o[k].z = slot;
      v += n * 3;
      triangles -= n;
    }
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
      o[0].z = o[1].z = o[2].z = slot;
      o += 3;
    }
  }
}

// Lines and points are not left to GL's rasteriser, whose choice of end
// pixels differs between drivers: the pixels are chosen here by the rules the
// software rasteriser draws with (graphics/raster_rules.h) and drawn as
// one-pixel points centred on their pixels (no tie for GL to break).
void GLDevice::AppendLines(PrimitiveType type, const Vertex* v, int count) {
  if (type == PT_LINELIST) {
    for (int i = 0; i + 1 < count; i += 2) AppendLine(v[i], v[i + 1]);
  } else {
    for (int i = 0; i + 1 < count; ++i) AppendLine(v[i], v[i + 1]);
  }
}

void GLDevice::AppendLine(const Vertex& a, const Vertex& b) {
  const Target& t = Current();
  raster::ForEachLinePixel(a, b, t.width, t.height, [&](int px, int py, double f) {
    Vertex* o = Reserve(1);
    o->x = static_cast<float>(px);
    o->y = static_cast<float>(py);
    o->z = batchSlot_;
    o->rhw = 1.f;
    o->diffuse = raster::LerpDiffuse(a.diffuse, b.diffuse, f);
    o->u = static_cast<float>(a.u + f * (b.u - a.u));
    o->v = static_cast<float>(a.v + f * (b.v - a.v));
  });
}

void GLDevice::AppendPoints(const Vertex* v, int count) {
  for (int i = 0; i < count; ++i) {
    int px, py;
    if (!raster::PointPixel(v[i], &px, &py)) continue;
    Vertex* o = Reserve(1);
    *o = v[i];
    o->z = batchSlot_;
    o->x = static_cast<float>(px);
    o->y = static_cast<float>(py);
  }
}

void GLDevice::ApplyBatchState() {
  const int k = ProgramIndex(batchSlotMask_, batchUntextured_, !batchInexact_);
  if (appliedProgram_ != programs_.program[k]) {
    glUseProgram(programs_.program[k]);
    appliedProgram_ = programs_.program[k];
  }
  for (int i = 0; i < kTextureSlots; ++i) {
    if (!(batchSlotMask_ & (1u << i))) continue;
    GLTexture* t = slots_[i];
    UploadDirtyRows(t);
    if (boundSlots_[i] != t->id) {
      glActiveTexture(GL_TEXTURE0 + i);
      glBindTexture(GL_TEXTURE_2D, t->id);
      glActiveTexture(GL_TEXTURE0 + kTextureSlots);
      boundSlots_[i] = t->id;
    }
  }
  if (appliedBlend_ != batchBlend_) {
    // Colour: src*a + dst*(1-a) or src*a + dst. Alpha: keep the target's
    // (always 1), as a back buffer without alpha would.
    glBlendFuncSeparate(GL_SRC_ALPHA, batchBlend_ == BLEND_ADD ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE);
    appliedBlend_ = batchBlend_;
  }
}

void GLDevice::Flush() {
  if (batchCount_ == 0) {
    batchSlotMask_ = 0;
    batchUntextured_ = batchInexact_ = false;
    return;
  }
  if (!offscreenOn_) BeforeBackWrite(nullptr);
  ApplyBatchState();
  const size_t bytes = sizeof(Vertex) * static_cast<size_t>(batchCount_);
  // A ring in one buffer object: each flush writes behind the previous one,
  // so the driver never waits for draws still reading earlier vertices; when
  // the ring is full the buffer is orphaned (fresh storage, no wait either).
  const size_t ringBytes = sizeof(Vertex) * batch_.size() * 8;
  if (vboBytes_ == 0 || vboOffset_ + bytes > ringBytes) {
    glBufferData(GL_ARRAY_BUFFER, ringBytes, nullptr, GL_STREAM_DRAW);
    vboBytes_ = ringBytes;
    vboOffset_ = 0;
  }
  glBufferSubData(GL_ARRAY_BUFFER, vboOffset_, bytes, batch_.data());
  const GLint firstVertex = static_cast<GLint>(vboOffset_ / sizeof(Vertex));
  vboOffset_ += bytes;
  GLenum mode = batchKind_ == KIND_POINTS ? GL_POINTS : GL_TRIANGLES;
  glDrawArrays(mode, firstVertex, batchCount_);
  batchCount_ = 0;
  batchSlotMask_ = 0;
  batchUntextured_ = batchInexact_ = false;
}

}  // namespace qor::glb
