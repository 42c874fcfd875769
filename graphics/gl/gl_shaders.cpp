// The GL backend's shader program. Vertices arrive pre-transformed in
// pixels with pixel centres at integers; GL's centres are at .5, so the
// vertex shader adds half a pixel before mapping to clip space. The picture
// is stored top row first, so y needs no flip here (Present flips).
#include <string>

#include "graphics/gl/gl_device.h"

namespace qor::glb {
namespace {

const char* kVertex = R"(#version 330 core
in vec2 aPos;
in float aSlot;  // texture slot, -1 = untextured (carried in the unused z)
in vec4 aColor;
in vec2 aUV;
uniform vec2 uScale;  // 2/width, 2/height of the current target
flat out int vSlot;
out vec4 vColor;
out vec2 vUV;
void main() {
  gl_Position = vec4((aPos + 0.5) * uScale - 1.0, 0.0, 1.0);
  vSlot = int(aSlot);
  vColor = aColor;
  vUV = aUV;
}
)";

// texture x diffuse, or the diffuse alone. `unit` >= kTextureSlots: every
// vertex is textured from unit - kTextureSlots; 0 <= `unit` < kTextureSlots:
// every textured vertex uses that one unit, some are untextured; -1: the batch mixes units and each
// slot is its own branch (GLSL 3.30 indexes sampler arrays with constants
// only, and Mesa's software rasterisers run every branch, so this variant is
// only used when a batch really mixes textures); -2: untextured.
std::string FragmentSource(int unit) {
  std::string s =
      "#version 330 core\n"
      "flat in int vSlot;\n"
      "in vec4 vColor;\n"
      "in vec2 vUV;\n"
      "uniform sampler2D uTex[" + std::to_string(kTextureSlots) + "];\n"
      "out vec4 fragColor;\n"
      "void main() {\n"
      "  vec4 c = vColor;\n";
  if (unit >= kTextureSlots) {
    // Every vertex textured from one unit: no branch at all, the form Mesa's
    // software rasteriser runs fastest.
    s += "  c = texture(uTex[" + std::to_string(unit - kTextureSlots) + "], vUV) * vColor;\n";
  } else if (unit >= 0) {
    s += "  if (vSlot >= 0) c *= textureLod(uTex[" + std::to_string(unit) + "], vUV, 0.0);\n";
  } else if (unit == -1) {
    for (int i = 0; i < kTextureSlots; ++i)
      s += std::string(i ? "  else " : "  ") + "if (vSlot == " + std::to_string(i) + ") c *= textureLod(uTex[" +
           std::to_string(i) + "], vUV, 0.0);\n";
  }
  s += "  fragColor = c;\n}\n";
  return s;
}

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

GLuint Link(GLuint vs, int unit, std::string* error) {
  using namespace qor::gl;
  const std::string fragment = FragmentSource(unit);
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

bool BuildPrograms(Programs* p, std::string* error) {
  using namespace qor::gl;
  GLuint vs = Compile(GL_VERTEX_SHADER, kVertex, error);
  if (!vs) return false;
  bool ok = true;
  for (int k = 0; k < Programs::kCount && ok; ++k) {
    // 0: untextured, 1: mixed units, 2 + i: unit i and untextured,
    // 2 + kTextureSlots + i: unit i only.
    int unit = k == 0 ? -2 : k == 1 ? -1 : k - 2;
    p->program[k] = Link(vs, unit, error);
    ok = p->program[k] != 0;
    if (ok) p->scale[k] = glGetUniformLocation(p->program[k], "uScale");
  }
  glDeleteShader(vs);
  return ok;
}

void DestroyPrograms(Programs* p) {
  using namespace qor::gl;
  for (GLuint prog : p->program)
    if (prog) glDeleteProgram(prog);
  *p = Programs{};
}

}  // namespace qor::glb
