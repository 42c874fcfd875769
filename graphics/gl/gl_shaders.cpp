// The GL backend's shader program. Vertices arrive pre-transformed in
// pixels with pixel centres at integers; GL's centres are at .5, so the
// vertex shader adds half a pixel before mapping to clip space. The picture
// is stored top row first, so y needs no flip here (Present flips).
#include <string>

#include "graphics/gl/gl_device.h"
#include "graphics/raster_rules.h"

namespace qor::glb {
namespace {

// Vertex positions are snapped to the sub-pixel grid of the point, line and
// software paths (graphics/raster_rules.h).
std::string VertexSource() {
  const std::string sub = std::to_string(raster::kSub) + ".0";
  return R"(#version 330 core
in vec2 aPos;
in float aSlot;  // texture slot, -1 = untextured (carried in the unused z)
in vec4 aColor;
in vec2 aUV;
uniform vec2 uScale;  // 2/width, 2/height of the current target
flat out int vSlot;
out vec4 vColor;
out vec2 vUV;
void main() {
  // Snapped to 1/256 pixel as the reference rasteriser snaps, so that
  // coverage and the interpolated colours and texture coordinates are
  // computed from the same corners in both.
  vec2 p = floor(aPos * )" + sub + " + 0.5) * (1.0 / " + sub + R"();
  gl_Position = vec4((p + 0.5) * uScale - 1.0, 0.0, 1.0);
  vSlot = int(aSlot);
  vColor = aColor;
  vUV = aUV;
}
)";
}

// texture x diffuse, or the diffuse alone, for program index `k` (see
// ProgramIndex). Mixed units take one branch per unit up to the highest in
// use: GLSL 3.30 indexes sampler arrays with constants only, and Mesa's
// software rasterisers run every branch, so fewer branches cost less.
std::string FragmentSource(int k) {
  std::string s =
      "#version 330 core\n"
      "flat in int vSlot;\n"
      "in vec4 vColor;\n"
      "in vec2 vUV;\n"
      "uniform sampler2D uTex[" + std::to_string(kTextureSlots) + "];\n"
      "out vec4 fragColor;\n"
      // Point sampling as the reference rasteriser does it: the texel
      // position is rounded to 1/65536 texel first (coarser for textures
      // wider than 128, where a float holds fewer fraction bits), so a
      // position on a texel boundary up to interpolation error picks the
      // texel to its right or below.
      "vec4 fetch(sampler2D s, vec2 uv) {\n"
      "  vec2 size = vec2(textureSize(s, 0));\n"
      "  vec2 grid = min(vec2(65536.0), 8388608.0 / size);\n"
      "  vec2 t = floor(floor(uv * size * grid + 0.5) / grid);\n"
      "  return texture(s, (t + 0.5) / size);\n"
      "}\n"
      "void main() {\n"
      "  vec4 c = vColor;\n";
  auto sample = [](int unit) { return "fetch(uTex[" + std::to_string(unit) + "], vUV)"; };
  if (k == 0) {
  } else if (k <= kTextureSlots) {
    s += "  if (vSlot >= 0) c *= " + sample(k - 1) + ";\n";
  } else if (k <= 2 * kTextureSlots) {
    s += "  c = " + sample(k - 1 - kTextureSlots) + " * vColor;\n";
  } else if (k >= 3 * kTextureSlots) {
    // Every sample lands on a texel centre: no tie to round away.
    s += "  c = texture(uTex[" + std::to_string(k - 3 * kTextureSlots) + "], vUV) * vColor;\n";
  } else {
    for (int i = 0; i <= k - 2 * kTextureSlots; ++i)
      s += std::string(i ? "  else " : "  ") + "if (vSlot == " + std::to_string(i) + ") c *= " + sample(i) + ";\n";
  }
  s += "  fragColor = c;\n}\n";
  return s;
}

// The presenting pass: one triangle over the whole window; each window pixel
// fetches the frame pixel of graphics/frame_scale.h's rule,
// floor((d + 0.5) * frame / window) = (2d + 1) * frame / (2 * window) in
// integers, so the result is exactly the software device's.
const char* kPresentVertex = R"(#version 330 core
void main() {
  vec2 p = vec2(gl_VertexID == 1 ? 3.0 : -1.0, gl_VertexID == 2 ? 3.0 : -1.0);
  gl_Position = vec4(p, 0.0, 1.0);
}
)";
const char* kPresentFragment = R"(#version 330 core
uniform sampler2D uFrame;
uniform ivec2 uWindow;
out vec4 fragColor;
void main() {
  // The window's row 0 is the bottom, the frame's the top.
  ivec2 d = ivec2(int(gl_FragCoord.x), uWindow.y - 1 - int(gl_FragCoord.y));
  ivec2 s = (2 * d + 1) * textureSize(uFrame, 0) / (2 * uWindow);
  fragColor = texelFetch(uFrame, s, 0);
}
)";

GLuint Compile(GLenum kind, const char* source, std::string* error) {
  using namespace qor::gl;
  GLuint s = glCreateShader(kind);
  glShaderSource(s, 1, &source, nullptr);
  glCompileShader(s);
  GLint ok = 0;
  glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[1024] = {0};
    glGetShaderInfoLog(s, sizeof log, nullptr, log);
    *error = std::string("shader compile failed: ") + log;
    glDeleteShader(s);
    return 0;
  }
  return s;
}

}  // namespace

namespace {

GLuint Link(GLuint vs, int k, std::string* error) {
  using namespace qor::gl;
  const std::string fragment = FragmentSource(k);
  GLuint fs = Compile(GL_FRAGMENT_SHADER, fragment.c_str(), error);
  if (!fs) return 0;
  GLuint prog = glCreateProgram();
  glAttachShader(prog, vs);
  glAttachShader(prog, fs);
  glBindAttribLocation(prog, 0, "aPos");
  glBindAttribLocation(prog, 1, "aColor");
  glBindAttribLocation(prog, 2, "aUV");
  glBindAttribLocation(prog, 3, "aSlot");
  glBindFragDataLocation(prog, 0, "fragColor");
  glLinkProgram(prog);
  glDeleteShader(fs);
  GLint ok = 0;
  glGetProgramiv(prog, GL_LINK_STATUS, &ok);
  if (!ok) {
    char log[1024] = {0};
    glGetProgramInfoLog(prog, sizeof log, nullptr, log);
    *error = std::string("shader link failed: ") + log;
    glDeleteProgram(prog);
    return 0;
  }
  glUseProgram(prog);
  for (int i = 0; i < kTextureSlots; ++i) {
    std::string name = "uTex[" + std::to_string(i) + "]";
    GLint loc = glGetUniformLocation(prog, name.c_str());
    if (loc >= 0) glUniform1i(loc, i);
  }
  return prog;
}

}  // namespace

bool BuildPresentProgram(Programs* p, std::string* error) {
  using namespace qor::gl;
  GLuint vs = Compile(GL_VERTEX_SHADER, kPresentVertex, error);
  if (!vs) return false;
  GLuint fs = Compile(GL_FRAGMENT_SHADER, kPresentFragment, error);
  if (!fs) {
    glDeleteShader(vs);
    return false;
  }
  GLuint prog = glCreateProgram();
  glAttachShader(prog, vs);
  glAttachShader(prog, fs);
  glBindFragDataLocation(prog, 0, "fragColor");
  glLinkProgram(prog);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = 0;
  glGetProgramiv(prog, GL_LINK_STATUS, &ok);
  if (!ok) {
    *error = "the presenting shader does not link";
    glDeleteProgram(prog);
    return false;
  }
  p->present = prog;
  glUseProgram(prog);
  p->presentWindow = glGetUniformLocation(prog, "uWindow");
  glUniform1i(glGetUniformLocation(prog, "uFrame"), kTextureSlots);  // the frame goes on the scratch unit
  return true;
}

bool BuildPrograms(Programs* p, std::string* error) {
  using namespace qor::gl;
  const std::string vertex = VertexSource();
  GLuint vs = Compile(GL_VERTEX_SHADER, vertex.c_str(), error);
  if (!vs) return false;
  bool ok = true;
  for (int k = 0; k < Programs::kCount && ok; ++k) {
    p->program[k] = Link(vs, k, error);
    ok = p->program[k] != 0;
    if (ok) p->scale[k] = glGetUniformLocation(p->program[k], "uScale");
  }
  glDeleteShader(vs);
  return ok && BuildPresentProgram(p, error);
}

void DestroyPrograms(Programs* p) {
  using namespace qor::gl;
  for (GLuint prog : p->program)
    if (prog) glDeleteProgram(prog);
  if (p->present) glDeleteProgram(p->present);
  *p = Programs{};
}

}  // namespace qor::glb
