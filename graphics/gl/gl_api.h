// The OpenGL 3.3 core entry points the GL backend uses, loaded at run time
// through SDL_GL_GetProcAddress (no loader library). Add a function to the
// list below before using it.
#pragma once
#include <GL/glcorearb.h>

#include <string>

#define QOR_GL_FUNCTIONS(X)                                              \
  X(PFNGLGETSTRINGPROC, glGetString)                                     \
  X(PFNGLGETINTEGERVPROC, glGetIntegerv)                                 \
  X(PFNGLGETERRORPROC, glGetError)                                       \
  X(PFNGLENABLEPROC, glEnable)                                           \
  X(PFNGLDISABLEPROC, glDisable)                                         \
  X(PFNGLVIEWPORTPROC, glViewport)                                       \
  X(PFNGLSCISSORPROC, glScissor)                                         \
  X(PFNGLCLEARCOLORPROC, glClearColor)                                   \
  X(PFNGLCLEARPROC, glClear)                                             \
  X(PFNGLBLENDFUNCSEPARATEPROC, glBlendFuncSeparate)                     \
  X(PFNGLPIXELSTOREIPROC, glPixelStorei)                                 \
  X(PFNGLREADPIXELSPROC, glReadPixels)                                   \
  X(PFNGLFINISHPROC, glFinish)                                           \
  X(PFNGLGENTEXTURESPROC, glGenTextures)                                 \
  X(PFNGLDELETETEXTURESPROC, glDeleteTextures)                           \
  X(PFNGLBINDTEXTUREPROC, glBindTexture)                                 \
  X(PFNGLACTIVETEXTUREPROC, glActiveTexture)                             \
  X(PFNGLTEXIMAGE2DPROC, glTexImage2D)                                   \
  X(PFNGLTEXSUBIMAGE2DPROC, glTexSubImage2D)                             \
  X(PFNGLTEXPARAMETERIPROC, glTexParameteri)                             \
  X(PFNGLGENBUFFERSPROC, glGenBuffers)                                   \
  X(PFNGLDELETEBUFFERSPROC, glDeleteBuffers)                             \
  X(PFNGLBINDBUFFERPROC, glBindBuffer)                                   \
  X(PFNGLBUFFERDATAPROC, glBufferData)                                   \
  X(PFNGLBUFFERSUBDATAPROC, glBufferSubData)                             \
  X(PFNGLGENVERTEXARRAYSPROC, glGenVertexArrays)                         \
  X(PFNGLDELETEVERTEXARRAYSPROC, glDeleteVertexArrays)                   \
  X(PFNGLBINDVERTEXARRAYPROC, glBindVertexArray)                         \
  X(PFNGLENABLEVERTEXATTRIBARRAYPROC, glEnableVertexAttribArray)         \
  X(PFNGLVERTEXATTRIBPOINTERPROC, glVertexAttribPointer)                 \
  X(PFNGLDRAWARRAYSPROC, glDrawArrays)                                   \
  X(PFNGLCREATESHADERPROC, glCreateShader)                               \
  X(PFNGLDELETESHADERPROC, glDeleteShader)                               \
  X(PFNGLSHADERSOURCEPROC, glShaderSource)                               \
  X(PFNGLCOMPILESHADERPROC, glCompileShader)                             \
  X(PFNGLGETSHADERIVPROC, glGetShaderiv)                                 \
  X(PFNGLGETSHADERINFOLOGPROC, glGetShaderInfoLog)                       \
  X(PFNGLCREATEPROGRAMPROC, glCreateProgram)                             \
  X(PFNGLDELETEPROGRAMPROC, glDeleteProgram)                             \
  X(PFNGLATTACHSHADERPROC, glAttachShader)                               \
  X(PFNGLBINDATTRIBLOCATIONPROC, glBindAttribLocation)                   \
  X(PFNGLBINDFRAGDATALOCATIONPROC, glBindFragDataLocation)               \
  X(PFNGLLINKPROGRAMPROC, glLinkProgram)                                 \
  X(PFNGLGETPROGRAMIVPROC, glGetProgramiv)                               \
  X(PFNGLGETPROGRAMINFOLOGPROC, glGetProgramInfoLog)                     \
  X(PFNGLUSEPROGRAMPROC, glUseProgram)                                   \
  X(PFNGLGETUNIFORMLOCATIONPROC, glGetUniformLocation)                   \
  X(PFNGLUNIFORM1IPROC, glUniform1i)                                     \
  X(PFNGLUNIFORM2FPROC, glUniform2f)                                     \
  X(PFNGLUNIFORM2IPROC, glUniform2i)                                     \
  X(PFNGLGENFRAMEBUFFERSPROC, glGenFramebuffers)                         \
  X(PFNGLDELETEFRAMEBUFFERSPROC, glDeleteFramebuffers)                   \
  X(PFNGLBINDFRAMEBUFFERPROC, glBindFramebuffer)                         \
  X(PFNGLFRAMEBUFFERTEXTURE2DPROC, glFramebufferTexture2D)               \
  X(PFNGLCHECKFRAMEBUFFERSTATUSPROC, glCheckFramebufferStatus)           \
  X(PFNGLBLITFRAMEBUFFERPROC, glBlitFramebuffer)

namespace qor::gl {

#define QOR_GL_DECLARE(type, name) extern type name;
QOR_GL_FUNCTIONS(QOR_GL_DECLARE)
#undef QOR_GL_DECLARE

// Optional: reset notification (GL 4.5 core, or ARB/KHR robustness); null when absent.
extern PFNGLGETGRAPHICSRESETSTATUSPROC glGetGraphicsResetStatus;

// Fills the pointers from the current context. False (with the missing
// function's name in `missing`) when any required one is absent.
bool LoadFunctions(std::string* missing);

// Keeps the GL driver loaded until the process ends. Picking a backend makes
// and destroys a probe window, and the game's window loads the driver again;
// unloading it at exit buys nothing and would leave the driver's lifetime
// allocations nameless to leak checkers.
void PinDriver();

}  // namespace qor::gl
