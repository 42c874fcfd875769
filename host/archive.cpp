// The archive index: parsing one archive's index, and the process-wide map
// from lower-cased member name to (archive, offset, size) built at start-up.
#include "host/archive.h"

#include <cstdio>
#include <cstring>
#include <map>

#include "host/cipher.h"
#include "host/engine.h"
#include "platform/paths.h"

namespace qor {

namespace {

uint32_t LoadLE32(const uint8_t b[4]) {
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

class MemorySource : public ByteSource {
 public:
  MemorySource(const uint8_t* data, size_t size) : data_(data), left_(size) {}
  size_t Read(void* dst, size_t n) override {
    if (n > left_) n = left_;
    if (n > 0) memcpy(dst, data_, n);
    data_ += n;
    left_ -= n;
    return n;
  }

 private:
  const uint8_t* data_;
  size_t left_;
};

class PlainFileSource : public ByteSource {
 public:
  explicit PlainFileSource(FILE* f) : f_(f) {}
  size_t Read(void* dst, size_t n) override { return fread(dst, 1, n, f_); }

 private:
  FILE* f_;
};

class CipherFileSource : public ByteSource {
 public:
  explicit CipherFileSource(UCipherFile* f) : f_(f) {}
  size_t Read(void* dst, size_t n) override { return CipherRead(f_, 1, dst, n); }

 private:
  UCipherFile* f_;
};

struct ArchiveEntry {
  int32_t archive;
  uint32_t offset;
  uint32_t size;
};

// The index of every archive, and the real file name of each archive found
// (its spelling on disk, e.g. "00.QAR" when a game ships upper-case names).
std::map<std::string, ArchiveEntry> g_index;
char g_archiveFile[100][8];

}  // namespace

bool ParseArchiveIndex(ByteSource& in, ArchiveIndex* out) {
  out->dataStart = 0;
  out->entries.clear();
  uint8_t word[4];
  if (in.Read(word, 4) != 4) return false;
  out->dataStart = LoadLE32(word);
  uint64_t offset = out->dataStart;
  for (;;) {
    uint8_t c;
    if (in.Read(&c, 1) != 1) return false;
    if (c == 'e') return true;
    if (c != '"') return false;
    std::string name;
    for (;;) {
      if (in.Read(&c, 1) != 1) return false;
      if (c == '"') break;
      if (name.size() == kMaxMemberName) return false;
      name.push_back(char(c));
    }
    if (in.Read(word, 4) != 4) return false;
    // A member whose start no longer fits in 32 bits cannot be addressed;
    // accepting it would alias the start of the archive.
    if (offset > UINT32_MAX) return false;
    const uint32_t size = LoadLE32(word);
    out->entries.push_back(ArchiveIndexEntry{std::move(name), uint32_t(offset), size});
    offset += size;
  }
}

bool ParseArchiveIndex(const uint8_t* data, size_t size, ArchiveIndex* out) {
  MemorySource src(data, size);
  return ParseArchiveIndex(src, out);
}

IndexRead ReadArchiveIndexFile(const char* path, bool enciphered, ArchiveIndex* out) {
  bool ok;
  if (enciphered) {
    UCipherFile* f = CipherOpen(path);
    if (!f) return IndexRead::kCannotOpen;
    CipherFileSource src(f);
    ok = ParseArchiveIndex(src, out);
    CipherClose(f);
  } else {
    FILE* f = fopen(path, "rb");
    if (!f) return IndexRead::kCannotOpen;
    PlainFileSource src(f);
    ok = ParseArchiveIndex(src, out);
    fclose(f);
  }
  return ok ? IndexRead::kOk : IndexRead::kCorrupt;
}

int ArchiveNumberFromName(std::string_view path) {
  size_t slash = path.find_last_of('/');
  std::string_view base = slash == std::string_view::npos ? path : path.substr(slash + 1);
  if (base.size() != 6 || base[0] < '0' || base[0] > '9' || base[1] < '0' || base[1] > '9') return -1;
  if (base[2] != '.' || AsciiLower(base[3]) != 'q' || AsciiLower(base[4]) != 'a' || AsciiLower(base[5]) != 'r')
    return -1;
  return (base[0] - '0') * 10 + (base[1] - '0');
}

std::string ArchiveIndexKey(std::string_view storedName) {
  std::string key(storedName);
  for (char& c : key) c = AsciiLower(c);
  return key;
}

std::string ArchiveLookupKey(std::string_view name) {
  std::string key(name);
  for (char& c : key) c = (c == '/') ? '\\' : AsciiLower(c);
  return key;
}

void LoadArchiveIndex() {
  g_index.clear();
  for (int n = 0; n < 100; ++n) {
    char name[8];
    snprintf(name, sizeof name, "%02d.qar", n);
    g_archiveFile[n][0] = 0;
    // Only regular files: a folder of that name is no archive (and reading
    // it would look like a corrupt one).
    if (!platform::RegularFileExists(name)) continue;
    std::string real = platform::ResolvePath(name);
    if (real.size() >= sizeof g_archiveFile[n]) real = name;
    ArchiveIndex index;
    IndexRead r = ReadArchiveIndexFile(real.c_str(), ArchiveIndexEnciphered(n), &index);
    if (r == IndexRead::kCannotOpen) continue;
    if (r == IndexRead::kCorrupt) FatalError("アーカイブ\"%s\"が壊れています！", name);
    snprintf(g_archiveFile[n], sizeof g_archiveFile[n], "%s", real.c_str());
    for (const ArchiveIndexEntry& e : index.entries)
      g_index.insert_or_assign(ArchiveIndexKey(e.name), ArchiveEntry{n, e.offset, e.size});
  }
}

bool ArchiveLookup(const char* name, ArchiveMember* out) {
  // A stored name has at most 255 bytes, so a longer name is never a member
  // (cutting it to 255 could find a different one).
  size_t len = strnlen(name, kMaxMemberName + 1);
  if (len > kMaxMemberName) return false;
  auto it = g_index.find(ArchiveLookupKey(std::string_view(name, len)));
  if (it == g_index.end()) return false;
  const ArchiveEntry& e = it->second;
  if (g_archiveFile[e.archive][0])
    memcpy(out->file, g_archiveFile[e.archive], sizeof out->file);
  else
    snprintf(out->file, sizeof out->file, "%02d.qar", e.archive);
  out->offset = e.offset;
  out->size = e.size;
  return true;
}

}  // namespace qor
