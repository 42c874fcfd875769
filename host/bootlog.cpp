// (placeholder until the boot log lands)
#include "host/bootlog.h"
namespace qor {
void WriteBootLog(const char*, ...) {}
void EndBootLog() {}
void StartBootLog() {}
void StartBootLogSection() {}
}  // namespace qor
