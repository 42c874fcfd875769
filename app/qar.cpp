// qar: makes, lists and unpacks the engine's archives NN.qar.
//
// Layout written by `qar pack` (all integers 32-bit little-endian):
//
//   0          dataStart, then the index entries ("name" + size), then 'e'
//   …          zero bytes up to dataStart, which is a multiple of 32
//   dataStart  the enciphered members (everything but sounds), back to back
//   …          when sounds follow: the member ".qarpad" (zero bytes) whose
//              size brings the next offset to a multiple of 32
//   …          the sounds (.ogg, .wav), stored as they are, back to back
//   …          zero bytes up to a multiple of 32 (the end of the file)
//
// The engine deciphers whole 32-byte blocks at file offsets 0, 32, 64, … and
// reads sounds as stored, so enciphered bytes and sound bytes never share a
// block, and the last enciphered member ends inside a full block. The header
// and index are enciphered in even-numbered archives and plain in odd ones;
// the reader stops at 'e', so the padding after it is never read. Members are
// named relative to the packed folder with '\' separators and sorted by name
// (bytes) within each of the two groups, so the same folder always gives the
// same archive.

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/archive.h"
#include "host/cipher.h"
#include "host/resource.h"
#include "host/resource_stream.h"
#include "platform/file_system.h"

namespace fs = std::filesystem;
using namespace qor;

namespace {

// Name of the padding member that aligns the sounds to a block boundary.
constexpr const char* kPadName = ".qarpad";

const char* const kUsage =
    "usage: qar pack DIR -o NN.qar      pack every file under DIR into archive number NN\n"
    "       qar list ARCHIVE            list the members: offset, size, storage, name\n"
    "       qar extract ARCHIVE [-C DIR] write every member below DIR (default: .)\n"
    "       qar cat ARCHIVE NAME        write one member to standard output\n"
    "       qar --help\n"
    "\n"
    "ARCHIVE must be named NN.qar (00 to 99): even numbers have an enciphered\n"
    "index. Add -n NN to any command to give the number when the file is named\n"
    "otherwise. Sounds (.ogg, .wav) are stored as they are, everything else\n"
    "enciphered. NAME ignores letter case and accepts / or \\ as separator.\n";

[[noreturn]] void Fail(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void Fail(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  fputs("qar: ", stderr);
  vfprintf(stderr, fmt, ap);
  fputc('\n', stderr);
  va_end(ap);
  exit(1);
}

void Warn(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void Warn(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  fputs("qar: warning: ", stderr);
  vfprintf(stderr, fmt, ap);
  fputc('\n', stderr);
  va_end(ap);
}

bool EndsWithNoCase(const std::string& s, const char* suffix) {
  size_t n = strlen(suffix);
  if (s.size() < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (AsciiLower(s[s.size() - n + i]) != suffix[i]) return false;
  return true;
}

// Sounds are read by the engine as stored; everything else through the cipher.
bool IsSoundName(const std::string& name) { return EndsWithNoCase(name, ".ogg") || EndsWithNoCase(name, ".wav"); }

uint64_t RoundUp32(uint64_t v) { return (v + 31) & ~uint64_t(31); }

void PutLE32(std::vector<uint8_t>* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(uint8_t(v >> (8 * i)));
}

// ---- pack ----

struct InputFile {
  std::string name;  // stored name, '\' separators
  fs::path path;
  uint32_t size;
  bool sound;
};

std::vector<InputFile> CollectFiles(const fs::path& dir, const fs::path& outPath) {
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) Fail("%s: not a folder", dir.string().c_str());
  std::vector<InputFile> files;
  fs::recursive_directory_iterator it(dir, fs::directory_options::none, ec), end;
  if (ec) Fail("%s: %s", dir.string().c_str(), ec.message().c_str());
  for (; it != end; it.increment(ec)) {
    if (ec) Fail("%s: %s", dir.string().c_str(), ec.message().c_str());
    const fs::directory_entry& e = *it;
    if (e.is_directory(ec)) continue;
    // An earlier archive written into the folder itself is not packed again.
    if (fs::equivalent(e.path(), outPath, ec)) continue;
    if (!e.is_regular_file(ec)) {
      Warn("%s: not a regular file, skipped", e.path().string().c_str());
      continue;
    }
    std::string name = e.path().lexically_relative(dir).generic_string();
    std::replace(name.begin(), name.end(), '/', '\\');
    uintmax_t size = e.file_size(ec);
    if (ec) Fail("%s: %s", e.path().string().c_str(), ec.message().c_str());
    if (size > UINT32_MAX) Fail("%s: larger than 4 GiB, which an archive cannot hold", e.path().string().c_str());
    if (name.size() > kMaxMemberName) Fail("%s: member name longer than 255 bytes", name.c_str());
    if (name.find('"') != std::string::npos) Fail("%s: member names cannot contain '\"'", name.c_str());
    if (ArchiveIndexKey(name) == kPadName) Fail("%s: name reserved for the archive's padding", name.c_str());
    files.push_back(InputFile{name, e.path(), uint32_t(size), IsSoundName(name)});
  }
  // The engine ignores letter case: two names that differ only in case would
  // hide one another.
  std::map<std::string, const InputFile*> keys;
  for (const InputFile& f : files) {
    auto [pos, fresh] = keys.emplace(ArchiveIndexKey(f.name), &f);
    if (!fresh) Fail("%s and %s differ only in letter case", pos->second->name.c_str(), f.name.c_str());
  }
  std::stable_sort(files.begin(), files.end(), [](const InputFile& a, const InputFile& b) {
    if (a.sound != b.sound) return !a.sound;  // enciphered members first
    return a.name < b.name;
  });
  return files;
}

// Progress on stderr (a terminal) for large folders, at most every 100 files or 16 MB.
struct Progress {
  size_t files = 0, totalFiles = 0;
  uint64_t bytes = 0, totalBytes = 0, lastBytes = 0;
  size_t lastFiles = 0;
  bool enabled = false;

  void Step(uint64_t n) {
    ++files;
    bytes += n;
    if (!enabled) return;
    if (files - lastFiles < 100 && bytes - lastBytes < (16u << 20) && files != totalFiles) return;
    lastFiles = files;
    lastBytes = bytes;
    fprintf(stderr, "\rqar: %llu/%llu files, %.1f/%.1f MB", (unsigned long long)files, (unsigned long long)totalFiles, double(bytes) / (1 << 20),
            double(totalBytes) / (1 << 20));
    if (files == totalFiles) fputc('\n', stderr);
    fflush(stderr);
  }
};

// Writes the archive body: bytes go to `out`, enciphered in whole blocks
// while `cipher` is set. The file offset is always known, so the switch to
// plain bytes can be checked to fall on a block boundary.
class ArchiveWriter {
 public:
  explicit ArchiveWriter(FILE* out) : out_(out) { buf_.reserve(kChunk); }

  void SetCipher(bool on) {
    Flush();
    if (!buf_.empty() || written_ % 32 != 0) Fail("internal error: cipher switch inside a block");
    cipher_ = on;
  }

  void Put(const uint8_t* p, size_t n) {
    while (n > 0) {
      size_t take = std::min(n, kChunk - buf_.size());
      buf_.insert(buf_.end(), p, p + take);
      p += take;
      n -= take;
      if (buf_.size() == kChunk) Flush();
    }
  }

  void Zeros(size_t n) {
    static const uint8_t zero[256] = {};
    while (n > 0) {
      size_t take = std::min(n, sizeof zero);
      Put(zero, take);
      n -= take;
    }
  }

  // Writes out whole blocks; the rest waits for more bytes.
  void Flush() {
    size_t whole = cipher_ ? buf_.size() / 32 * 32 : buf_.size();
    if (whole == 0) return;
    if (cipher_) EncipherBlocks(buf_.data(), whole / 32);
    if (fwrite(buf_.data(), 1, whole, out_) != whole) Fail("write error: %s", strerror(errno));
    written_ += whole;
    buf_.erase(buf_.begin(), buf_.begin() + long(whole));
  }

  uint64_t Offset() const { return written_ + buf_.size(); }

 private:
  static constexpr size_t kChunk = 1 << 20;
  FILE* out_;
  std::vector<uint8_t> buf_;
  uint64_t written_ = 0;
  bool cipher_ = false;
};

void CopyFileInto(const InputFile& f, ArchiveWriter* w) {
  FILE* in = fopen(f.path.string().c_str(), "rb");
  if (!in) Fail("%s: %s", f.path.string().c_str(), strerror(errno));
  std::vector<uint8_t> buf(1 << 20);
  uint64_t left = f.size;
  while (left > 0) {
    size_t want = size_t(std::min<uint64_t>(left, buf.size()));
    size_t got = fread(buf.data(), 1, want, in);
    if (got == 0) break;
    w->Put(buf.data(), got);
    left -= got;
  }
  bool grew = fgetc(in) != EOF;
  fclose(in);
  if (left > 0 || grew) Fail("%s: the file changed while it was being packed", f.path.string().c_str());
}

int Pack(const std::string& dir, const std::string& outPath, int number) {
  std::vector<InputFile> files = CollectFiles(dir, outPath);

  // The index: enciphered members, the padding member when sounds follow, sounds.
  struct Entry {
    std::string name;
    uint32_t size;
  };
  std::vector<Entry> entries;
  uint64_t headerSize = 4 + 1;
  uint64_t cipherBytes = 0, soundBytes = 0;
  for (const InputFile& f : files) (f.sound ? soundBytes : cipherBytes) += f.size;
  for (const InputFile& f : files) headerSize += 1 + f.name.size() + 1 + 4;
  bool hasSounds = std::any_of(files.begin(), files.end(), [](const InputFile& f) { return f.sound; });
  if (hasSounds) headerSize += 1 + strlen(kPadName) + 1 + 4;
  const uint64_t dataStart = RoundUp32(headerSize);
  const uint64_t cipherEnd = dataStart + cipherBytes;
  const uint64_t padSize = hasSounds ? RoundUp32(cipherEnd) - cipherEnd : 0;
  const uint64_t fileSize = RoundUp32(cipherEnd + padSize + soundBytes);
  if (fileSize > UINT32_MAX) Fail("the archive would be larger than 4 GiB; split the folder into several archives");

  for (const InputFile& f : files)
    if (!f.sound) entries.push_back(Entry{f.name, f.size});
  if (hasSounds) entries.push_back(Entry{kPadName, uint32_t(padSize)});
  for (const InputFile& f : files)
    if (f.sound) entries.push_back(Entry{f.name, f.size});

  std::vector<uint8_t> header;
  PutLE32(&header, uint32_t(dataStart));
  for (const Entry& e : entries) {
    header.push_back('"');
    header.insert(header.end(), e.name.begin(), e.name.end());
    header.push_back('"');
    PutLE32(&header, e.size);
  }
  header.push_back('e');
  header.resize(size_t(dataStart), 0);

  // Written beside the target and renamed over it, so a failed run never
  // leaves a half-written archive under the real name.
  std::string tmp = outPath + ".tmp-XXXXXX";
  FILE* out = platform::CreateTempBeside(outPath, &tmp);
  if (!out) Fail("%s: cannot create: %s", outPath.c_str(), strerror(errno));
  static std::string s_tmpName;
  s_tmpName = tmp;
  atexit([] {
    if (!s_tmpName.empty()) remove(s_tmpName.c_str());
  });

  Progress progress;
  progress.totalFiles = files.size();
  progress.totalBytes = cipherBytes + soundBytes;
  // Only on a terminal: in a log, lines rewritten with \r are just noise.
  progress.enabled = platform::IsTerminal(stderr) && (files.size() >= 500 || progress.totalBytes >= (64u << 20));

  ArchiveWriter w(out);
  w.SetCipher(ArchiveIndexEnciphered(number));
  w.Put(header.data(), header.size());
  w.SetCipher(true);
  size_t i = 0;
  for (; i < files.size() && !files[i].sound; ++i) {
    CopyFileInto(files[i], &w);
    progress.Step(files[i].size);
  }
  if (hasSounds) {
    w.Zeros(size_t(padSize));
    w.SetCipher(false);
    for (; i < files.size(); ++i) {
      CopyFileInto(files[i], &w);
      progress.Step(files[i].size);
    }
  }
  w.Zeros(size_t(fileSize - w.Offset()));
  w.Flush();
  if (w.Offset() != fileSize) Fail("internal error: archive size %llu, expected %llu", (unsigned long long)w.Offset(),
                                   (unsigned long long)fileSize);
  if (!platform::SyncFile(out)) Fail("%s: write error: %s", outPath.c_str(), strerror(errno));
  if (fclose(out) != 0) Fail("%s: write error: %s", outPath.c_str(), strerror(errno));
  if (!platform::RenameOver(tmp, outPath)) Fail("%s: %s", outPath.c_str(), strerror(errno));
  s_tmpName.clear();
  return 0;
}

// ---- reading ----

ArchiveIndex ReadIndex(const std::string& path, int number) {
  platform::PathKind kind = platform::KindOfPath(path);
  if (kind == platform::PathKind::kMissing) Fail("%s: %s", path.c_str(), strerror(errno));
  if (kind != platform::PathKind::kFile) Fail("%s: not a file", path.c_str());
  ArchiveIndex index;
  switch (ReadArchiveIndexFile(path.c_str(), ArchiveIndexEnciphered(number), &index)) {
    case IndexRead::kOk:
      break;
    case IndexRead::kCannotOpen:
      Fail("%s: %s", path.c_str(), strerror(errno));
    case IndexRead::kCorrupt:
      Fail("%s: the archive's index is corrupt (or the archive number %02d is wrong)", path.c_str(), number);
  }
  return index;
}

bool IsPad(const ArchiveIndexEntry& e) { return e.name == kPadName; }

// A member's bytes exactly as the engine reads them: sounds as stored,
// everything else deciphered. False when it extends past the archive's end
// (the bytes that exist are in `out`).
bool ReadMember(const std::string& path, const ArchiveIndexEntry& e, std::vector<uint8_t>* out) {
  ResourceLocation loc{path, e.offset, e.size, true};
  errno = 0;
  std::unique_ptr<ResourceStream> s =
      OpenResourceStream(loc, IsSoundName(e.name) ? MemberBytes::Stored : MemberBytes::Deciphered);
  if (!s) Fail("%s: %s", path.c_str(), strerror(errno ? errno : ENOMEM));
  if (!ReadRest(*s, out)) Fail("%s: %s: read error", path.c_str(), e.name.c_str());
  return out->size() == e.size;
}

// fwrite of all of `data`; an empty block writes nothing (and hands fwrite no
// null pointer).
bool WriteAll(const std::vector<uint8_t>& data, FILE* f) {
  return data.empty() || fwrite(data.data(), 1, data.size(), f) == data.size();
}

int List(const std::string& path, int number) {
  ArchiveIndex index = ReadIndex(path, number);
  for (const ArchiveIndexEntry& e : index.entries) {
    if (IsPad(e)) continue;
    printf("%10u %10u %-10s %s\n", e.offset, e.size, IsSoundName(e.name) ? "plain" : "enciphered", e.name.c_str());
  }
  return 0;
}

// A stored name as a relative path below the extraction folder, or "" when
// it would leave that folder.
std::string SafeRelativePath(const std::string& name) {
  std::string p = name;
  std::replace(p.begin(), p.end(), '\\', '/');
  if (p.empty() || p[0] == '/') return "";
  size_t start = 0;
  while (start <= p.size()) {
    size_t end = p.find('/', start);
    if (end == std::string::npos) end = p.size();
    std::string comp = p.substr(start, end - start);
    if (comp.empty() || comp == "." || comp == "..") return "";
    start = end + 1;
  }
  return p;
}

int Extract(const std::string& path, int number, const std::string& dir) {
  ArchiveIndex index = ReadIndex(path, number);
  int status = 0;
  std::vector<uint8_t> data;
  for (const ArchiveIndexEntry& e : index.entries) {
    if (IsPad(e)) continue;
    std::string rel = SafeRelativePath(e.name);
    if (rel.empty()) {
      Warn("%s: member name leaves the target folder, skipped", e.name.c_str());
      status = 1;
      continue;
    }
    if (!ReadMember(path, e, &data)) {
      Warn("%s: extends past the end of the archive; only %llu of %u bytes written", e.name.c_str(), (unsigned long long)data.size(),
           e.size);
      status = 1;
    }
    fs::path target = fs::path(dir) / rel;
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    if (ec) Fail("%s: %s", target.parent_path().string().c_str(), ec.message().c_str());
    FILE* f = fopen(target.string().c_str(), "wb");
    if (!f) Fail("%s: %s", target.string().c_str(), strerror(errno));
    bool ok = WriteAll(data, f);
    if (fclose(f) != 0) ok = false;
    if (!ok) Fail("%s: write error", target.string().c_str());
  }
  return status;
}

int Cat(const std::string& path, int number, const std::string& name) {
  ArchiveIndex index = ReadIndex(path, number);
  const std::string key = ArchiveLookupKey(name);
  const ArchiveIndexEntry* found = nullptr;
  for (const ArchiveIndexEntry& e : index.entries)  // a later entry replaces an earlier one
    if (ArchiveIndexKey(e.name) == key && !IsPad(e)) found = &e;
  if (!found) Fail("%s: no member named %s", path.c_str(), name.c_str());
  std::vector<uint8_t> data;
  bool whole = ReadMember(path, *found, &data);
  platform::SetBinaryMode(stdout);  // member bytes unchanged (no CR added on Windows)
  if (!WriteAll(data, stdout) || fflush(stdout) != 0)
    Fail("write error: %s", strerror(errno));
  if (!whole) Fail("%s: extends past the end of the archive", found->name.c_str());
  return 0;
}

int ParseNumber(const std::string& s) {
  if (s.size() != 2 || !isdigit((unsigned char)s[0]) || !isdigit((unsigned char)s[1]))
    Fail("-n wants a two-digit archive number (00 to 99), not \"%s\"", s.c_str());
  return (s[0] - '0') * 10 + (s[1] - '0');
}

int NumberOf(const std::string& path, int given) {
  if (given >= 0) return given;
  int n = ArchiveNumberFromName(path);
  if (n < 0) Fail("%s: archives are named NN.qar (00 to 99); add -n NN to give the number", path.c_str());
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  memcpy(g_engineKey, kEngineKey, 96);
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    fputs(kUsage, stderr);
    return 1;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    fputs(kUsage, stdout);
    return 0;
  }
  // Options may come anywhere after the command; the rest are positional.
  std::string command = args[0], outPath, dir = ".";
  int number = -1;
  bool haveDir = false;
  std::vector<std::string> pos;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](const char* opt) -> std::string {
      if (i + 1 >= args.size()) Fail("%s needs a value", opt);
      return args[++i];
    };
    if (a == "-o") {
      outPath = value("-o");
    } else if (a == "-C") {
      dir = value("-C");
      haveDir = true;
    } else if (a == "-n") {
      number = ParseNumber(value("-n"));
    } else if (a == "--help" || a == "-h") {
      fputs(kUsage, stdout);
      return 0;
    } else if (a.size() > 1 && a[0] == '-') {
      Fail("unknown option %s (see qar --help)", a.c_str());
    } else {
      pos.push_back(a);
    }
  }
  try {
    if (command == "pack") {
      if (pos.size() != 1 || outPath.empty()) Fail("usage: qar pack DIR -o NN.qar");
      if (haveDir) Fail("-C is for extract");
      return Pack(pos[0], outPath, NumberOf(outPath, number));
    }
    if (!outPath.empty()) Fail("-o is for pack");
    if (command == "list") {
      if (pos.size() != 1) Fail("usage: qar list ARCHIVE");
      return List(pos[0], NumberOf(pos[0], number));
    }
    if (command == "extract") {
      if (pos.size() != 1) Fail("usage: qar extract ARCHIVE [-C DIR]");
      return Extract(pos[0], NumberOf(pos[0], number), dir);
    }
    if (command == "cat") {
      if (pos.size() != 2) Fail("usage: qar cat ARCHIVE NAME");
      return Cat(pos[0], NumberOf(pos[0], number), pos[1]);
    }
  } catch (const std::exception& e) {
    Fail("%s", e.what());
  }
  Fail("unknown command \"%s\" (see qar --help)", command.c_str());
}
