// (placeholder until the software rasteriser lands)
#include "graphics/device.h"
namespace qor {
std::unique_ptr<Device> CreateSoftDevice(SDL_Window*, int, int, std::string* e) { *e = "not built yet"; return nullptr; }
}  // namespace qor
