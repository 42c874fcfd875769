// Shared memory blocks on Windows: page-file mappings by name, one view per
// access. The system removes a mapping with its last handle.
#include "platform/shared_memory.h"

#include <windows.h>

#include <cstring>

namespace qor::platform {
namespace {

HANDLE Handle(const SharedBlock& b) { return reinterpret_cast<HANDLE>(b.handle); }

// The size of an existing mapping: its first view's region (whole pages).
size_t MappedSize(HANDLE h) {
  void* p = MapViewOfFile(h, FILE_MAP_READ, 0, 0, 0);
  if (!p) return 0;
  MEMORY_BASIC_INFORMATION info{};
  size_t size = VirtualQuery(p, &info, sizeof info) ? info.RegionSize : 0;
  UnmapViewOfFile(p);
  return size;
}

bool Keep(HANDLE h, const std::string& name, size_t size, SharedBlock* out) {
  if (size == 0) {
    CloseHandle(h);
    return false;
  }
  out->handle = reinterpret_cast<intptr_t>(h);
  out->size = size;
  out->name = name;
  return true;
}

}  // namespace

std::string SharedMemoryName(const std::string& scriptName) { return scriptName; }

bool CreateSharedBlock(const std::string& scriptName, size_t size, SharedBlock* out) {
  if (size == 0 || size > 0xFFFFFFFFu) return false;
  HANDLE h = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, DWORD(size), scriptName.c_str());
  if (!h) return false;
  // An existing mapping of that name is opened instead and keeps its size.
  bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  return Keep(h, scriptName, existed ? MappedSize(h) : size, out);
}

bool OpenSharedBlock(const std::string& scriptName, SharedBlock* out) {
  HANDLE h = OpenFileMappingA(FILE_MAP_ALL_ACCESS, TRUE, scriptName.c_str());
  if (!h) return false;
  return Keep(h, scriptName, MappedSize(h), out);
}

bool ReadSharedBlock(const SharedBlock& b, std::string* out) {
  if (b.handle == -1) return false;
  void* p = MapViewOfFile(Handle(b), FILE_MAP_READ, 0, 0, 0);
  if (!p) return false;
  const char* s = static_cast<const char*>(p);
  out->assign(s, strnlen(s, b.size));
  UnmapViewOfFile(p);
  return true;
}

bool WriteSharedBlock(const SharedBlock& b, const char* data, size_t len) {
  if (b.handle == -1 || len >= b.size) return false;
  void* p = MapViewOfFile(Handle(b), FILE_MAP_WRITE, 0, 0, 0);
  if (!p) return false;
  memcpy(p, data, len);
  static_cast<char*>(p)[len] = 0;
  UnmapViewOfFile(p);
  return true;
}

void CloseSharedBlock(SharedBlock* b) {
  if (b->handle == -1) return;
  CloseHandle(Handle(*b));
  b->handle = -1;
}

}  // namespace qor::platform
