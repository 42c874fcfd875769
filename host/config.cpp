// (placeholder until conf.ini lands)
#include "host/config.h"
namespace qor {
int IniReadInt(std::string_view, std::string_view, std::string_view, int def) { return def; }
int ReadConfigInt(const char*) { return 0; }
void ReadConfig() {}
}  // namespace qor
