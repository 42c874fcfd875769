// The GL backend's two shader programs. Vertices arrive pre-transformed in
// pixels with pixel centres at integers; GL's centres are at .5, so the
// vertex shader adds half a pixel before mapping to clip space. The picture
// is stored top row first, so y needs no flip here (Present flips).
#include <string>

#include "graphics/gl/gl_device.h"

namespace qor::glb {
namespace {

const char* kVertex = R"(#version 330 core
in vec2 aPos;
in vec4 aColor;
in vec2 aUV;
uniform vec2 uScale;  // 2/width, 2/height of the current target
out vec4 vColor;
out vec2 vUV;
void main() {
  gl_Position = vec4((aPos + 0.5) * uScale - 1.0, 0.0, 1.0);
  vColor = aColor;
  vUV = aUV;
}
)";

const char* kTextured = R"(#version 330 core
in vec4 vColor;
in vec2 vUV;
uniform sampler2D uTex;
out vec4 fragColor;
void main() { fragColor = texture(uTex, vUV) * vColor; }
)";

const char* kPlain = R"(#version 330 core
in vec4 vColor;
in vec2 vUV;
out vec4 fragColor;
void main() { fragColor = vColor; }
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

GLuint Link(const char* fragment, std::string* error) {
  using namespace qor::gl;
  GLuint vs = Compile(GL_VERTEX_SHADER, kVertex, error);
  if (!vs) return 0;
  GLuint fs = Compile(GL_FRAGMENT_SHADER, fragment, error);
  if (!fs) {
    glDeleteShader(vs);
    return 0;
  }
  GLuint p = glCreateProgram();
  glAttachShader(p, vs);
  glAttachShader(p, fs);
  glBindAttribLocation(p, 0, "aPos");
  glBindAttribLocation(p, 1, "aColor");
  glBindAttribLocation(p, 2, "aUV");
  glBindFragDataLocation(p, 0, "fragColor");
  glLinkProgram(p);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = 0;
  glGetProgramiv(p, GL_LINK_STATUS, &ok);
  if (!ok) {
    char log[1024] = {0};
    glGetProgramInfoLog(p, sizeof log, nullptr, log);
    *error = std::string("shader link failed: ") + log;
    glDeleteProgram(p);
    return 0;
  }
  return p;
}

}  // namespace

bool BuildPrograms(Programs* p, std::string* error) {
  using namespace qor::gl;
  p->textured = Link(kTextured, error);
  if (!p->textured) return false;
  p->plain = Link(kPlain, error);
  if (!p->plain) return false;
  p->texturedScale = glGetUniformLocation(p->textured, "uScale");
  p->plainScale = glGetUniformLocation(p->plain, "uScale");
  glUseProgram(p->textured);
  glUniform1i(glGetUniformLocation(p->textured, "uTex"), 0);
  glUseProgram(0);
  return true;
}

void DestroyPrograms(Programs* p) {
  using namespace qor::gl;
  if (p->textured) glDeleteProgram(p->textured);
  if (p->plain) glDeleteProgram(p->plain);
  *p = Programs{};
}

}  // namespace qor::glb
