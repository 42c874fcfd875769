// Path services every backend shares: existence tests through ResolvePath,
// whole-file reads and the atomic write (a temporary file renamed over the target).
#include "platform/paths.h"

#include <cerrno>

#include "platform/file_system.h"

namespace qor::platform {

bool FileExists(const char* name) { return KindOfPath(ResolvePath(name)) != PathKind::kMissing; }

bool RegularFileExists(const char* name) { return KindOfPath(ResolvePath(name)) == PathKind::kFile; }

FILE* OpenFile(const char* name, const char* mode) { return fopen(ResolvePath(name).c_str(), mode); }

namespace {
template <class Bytes>
bool ReadInto(const std::string& path, Bytes* out) {
  out->clear();
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out->insert(out->end(), buf, buf + n);
  bool ok = !ferror(f);
  fclose(f);
  return ok;
}
}  // namespace

bool ReadWholeFile(const std::string& path, std::string* out) { return ReadInto(path, out); }
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* out) { return ReadInto(path, out); }

bool WriteFileAtomic(const std::string& path, const void* data, size_t size) {
  std::string tmp;
  FILE* f = CreateTempBeside(path, &tmp);
  if (!f) return false;
  bool ok = fwrite(data, 1, size, f) == size && SyncFile(f);
  int saved = errno;
  if (fclose(f) != 0 && ok) {
    ok = false;
    saved = errno;
  }
  if (ok && !RenameOver(tmp, path)) {
    ok = false;
    saved = errno;
  }
  if (!ok) {
    remove(tmp.c_str());
    errno = saved;
  }
  return ok;
}

}  // namespace qor::platform
