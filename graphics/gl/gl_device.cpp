// (placeholder until the OpenGL backend lands)
#include "graphics/device.h"
namespace qor {
std::unique_ptr<Device> CreateGLDevice(SDL_Window*, int, int, std::string* e) { *e = "not built yet"; return nullptr; }
}  // namespace qor
