// (placeholder until the OpenGL backend lands)
#include "graphics/device.h"
namespace qor {
bool ProbeOpenGL(std::string*, bool*) { return false; }
}  // namespace qor
