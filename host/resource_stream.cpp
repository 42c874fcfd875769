// The resource stream: loose files, stored archive members and deciphered
// archive members behind one reading interface.
#include "host/resource_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <new>

#include "host/cipher.h"
#include "platform/file_system.h"

namespace qor {
namespace {

// The length of an open regular file; false (errno set) for a folder or
// anything else whose "length" does not count readable bytes.
bool FileLength(FILE* f, uint64_t* length) {
  switch (platform::KindOfOpenFile(f, length)) {
    case platform::PathKind::kFile: return true;
    case platform::PathKind::kMissing: return false;
    case platform::PathKind::kFolder: errno = EISDIR; return false;
    case platform::PathKind::kOther: errno = EINVAL; return false;
  }
  return false;
}

// The readable part of a member: its declared extent clamped to the file.
uint64_t ClampedSize(uint64_t fileLength, uint64_t offset, uint64_t declared) {
  if (offset >= fileLength) return 0;
  return std::min<uint64_t>(declared, fileLength - offset);
}

// A window of `size` bytes from `base` of some file. Positions are kept here;
// the file is placed only when a read follows a seek.
class WindowStream : public ResourceStream {
 public:
  WindowStream(uint64_t base, uint64_t size) : base_(base), size_(size) {}
  uint64_t Size() const override { return size_; }
  uint64_t Tell() const override { return pos_; }
  size_t Read(void* dst, size_t n) override {
    n = size_t(std::min<uint64_t>(n, size_ - pos_));
    if (n == 0) return 0;
    if (!placed_) {
      if (!Place(base_ + pos_)) return 0;
      placed_ = true;
    }
    size_t got = Fetch(dst, n);
    pos_ += got;
    return got;
  }
  bool Seek(uint64_t pos) override {
    if (pos > size_) return false;
    pos_ = pos;
    placed_ = false;
    return true;
  }

 protected:
  virtual bool Place(uint64_t absolute) = 0;
  virtual size_t Fetch(void* dst, size_t n) = 0;

 private:
  uint64_t base_, size_, pos_ = 0;
  bool placed_ = false;
};

// A loose file (base 0, the whole file) or a member stored as it is.
class PlainStream final : public WindowStream {
 public:
  PlainStream(FILE* f, uint64_t base, uint64_t size) : WindowStream(base, size), f_(f) {}
  ~PlainStream() override { fclose(f_); }

 private:
  bool Place(uint64_t absolute) override { return fseeko(f_, off_t(absolute), SEEK_SET) == 0; }
  size_t Fetch(void* dst, size_t n) override { return fread(dst, 1, n, f_); }
  FILE* f_;
};

// An enciphered archive member, deciphered block by block.
class CipherStream final : public WindowStream {
 public:
  CipherStream(UCipherFile* f, uint32_t base, uint64_t size) : WindowStream(base, size), f_(f) {}
  ~CipherStream() override { CipherClose(f_); }

 private:
  bool Place(uint64_t absolute) override { return absolute <= UINT32_MAX && CipherSeek(f_, uint32_t(absolute)) == 0; }
  size_t Fetch(void* dst, size_t n) override { return CipherRead(f_, 1, dst, n); }
  UCipherFile* f_;
};

}  // namespace

std::unique_ptr<ResourceStream> OpenResourceStream(const ResourceLocation& loc, MemberBytes mode) {
  try {
    if (loc.archived && mode == MemberBytes::Deciphered) {
      UCipherFile* f = CipherOpen(loc.path.c_str());
      if (!f) return nullptr;
      // The reader's own length is 32-bit; clamp by the file's real length.
      uint64_t length = 0;
      if (!FileLength(f->file, &length)) {
        CipherClose(f);
        return nullptr;
      }
      uint64_t size = ClampedSize(length, loc.offset, loc.size);
      try {
        return std::make_unique<CipherStream>(f, loc.offset, size);
      } catch (...) {
        CipherClose(f);
        throw;
      }
    }
    FILE* f = fopen(loc.path.c_str(), "rb");
    if (!f) return nullptr;
    uint64_t length = 0;
    if (!FileLength(f, &length)) {
      fclose(f);
      return nullptr;
    }
    uint64_t base = loc.archived ? loc.offset : 0;
    uint64_t size = loc.archived ? ClampedSize(length, loc.offset, loc.size) : length;
    try {
      return std::make_unique<PlainStream>(f, base, size);
    } catch (...) {
      fclose(f);
      throw;
    }
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

std::unique_ptr<ResourceStream> OpenResourceStream(const char* name, MemberBytes mode, bool* found) {
  ResourceLocation loc;
  bool exists = false;
  try {
    exists = FindResource(name, &loc);
  } catch (const std::bad_alloc&) {
  }
  if (found) *found = exists;
  if (!exists) return nullptr;
  return OpenResourceStream(loc, mode);
}

bool ReadRest(ResourceStream& s, std::vector<uint8_t>* out) {
  out->clear();
  uint64_t left = s.Size() - std::min(s.Size(), s.Tell());
  try {
    out->resize(size_t(left));
  } catch (const std::exception&) {  // bad_alloc, or length_error beyond max_size
    return false;
  }
  size_t got = 0;
  while (got < out->size()) {
    size_t n = s.Read(out->data() + got, out->size() - got);
    if (n == 0) break;
    got += n;
  }
  out->resize(got);
  return got == left;
}

}  // namespace qor
