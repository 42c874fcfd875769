// Benchmark: reading a 50 MB enciphered archive member, against plain fread
// of the same bytes and the bare cipher (three MD5 compressions per 32 bytes)
// measured in the same run. Prints one "name value unit" line per figure.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "host/archive.h"
#include "host/cipher.h"
#include "host/engine.h"
#include "host/lua.h"
#include "host/modules.h"
#include "host/resource_stream.h"

using namespace qor;

namespace {

constexpr size_t kSize = 50u << 20;
constexpr int kRuns = 3;

struct Figure {
  double wall;  // MB/s by the clock on the wall
  double cpu;   // MB/s by this process's CPU time (steadier on a shared machine)
};

double CpuSeconds() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// Best of kRuns for kSize bytes.
Figure Rate(const std::function<void()>& body) {
  double bestWall = 1e30, bestCpu = 1e30;
  for (int i = 0; i < kRuns; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    double c0 = CpuSeconds();
    body();
    bestCpu = std::min(bestCpu, CpuSeconds() - c0);
    bestWall = std::min(bestWall, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  const double mb = double(kSize) / (1 << 20);
  return Figure{mb / bestWall, mb / bestCpu};
}

void Print(const char* name, Figure f) {
  printf("%s %.1f MB/s\n", name, f.wall);
  printf("%s_cpu %.1f MB/s\n", name, f.cpu);
}

void WriteFile(const char* name, const std::vector<uint8_t>& bytes) {
  FILE* f = fopen(name, "wb");
  if (!f || fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || fclose(f) != 0) {
    fprintf(stderr, "archive_read: cannot write %s\n", name);
    exit(1);
  }
}

}  // namespace

int main() {
  memcpy(g_engineKey, kEngineKey, 96);
  char tmpl[] = "/tmp/qor_bench_archive_XXXXXX";
  if (!mkdtemp(tmpl) || chdir(tmpl) != 0) return 1;

  // Non-zero random bytes, so archive.read returns all of them.
  std::vector<uint8_t> data(kSize);
  std::mt19937 rng(1);
  for (auto& b : data) b = uint8_t(1 + rng() % 255);
  WriteFile("plain.bin", data);

  // 00.qar: one 32-byte enciphered header block, then the member.
  std::vector<uint8_t> archive(32, 0);
  const char head[] = "\x20\0\0\0\"big.bin\"";
  memcpy(archive.data(), head, sizeof head - 1);
  for (int i = 0; i < 4; ++i) archive[sizeof head - 1 + i] = uint8_t(kSize >> (8 * i));
  archive[sizeof head - 1 + 4] = 'e';
  archive.insert(archive.end(), data.begin(), data.end());
  EncipherBlocks(archive.data(), archive.size() / 32);
  WriteFile("00.qar", archive);
  archive = std::vector<uint8_t>();
  LoadArchiveIndex();

  std::vector<uint8_t> buf(kSize);
  const Figure fread_ = Rate([&] {
    FILE* f = fopen("plain.bin", "rb");
    if (!f || fread(buf.data(), 1, kSize, f) != kSize) exit(1);
    fclose(f);
  });

  auto readMember = [](std::vector<uint8_t>* out) {
    std::unique_ptr<ResourceStream> s = OpenResourceStream("big.bin", MemberBytes::Deciphered);
    return s && ReadRest(*s, out);
  };
  {
    std::vector<uint8_t> out;
    if (!readMember(&out) || out != data) {
      fprintf(stderr, "archive_read: the member does not read back\n");
      return 1;
    }
  }
  const Figure deciphered = Rate([&] {
    std::vector<uint8_t> out;
    if (!readMember(&out)) exit(1);
  });

  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  luaL_register(L, "archive", kArchiveFuncs);
  lua_pop(L, 1);
  if (luaL_loadstring(L, "assert(archive.seek('Big.bin')) assert(#archive.read() == ...)") != 0) return 1;
  const int chunk = luaL_ref(L, LUA_REGISTRYINDEX);
  const Figure lua = Rate([&] {
    lua_rawgeti(L, LUA_REGISTRYINDEX, chunk);
    lua_pushnumber(L, double(kSize));
    if (lua_pcall(L, 1, 0, 0) != 0) {
      fprintf(stderr, "archive_read: %s\n", lua_tostring(L, -1));
      exit(1);
    }
    lua_gc(L, LUA_GCCOLLECT, 0);
  });
  lua_close(L);

  std::copy(data.begin(), data.end(), buf.begin());
  const Figure floor = Rate([&] { DecipherBlocks(buf.data(), kSize / 32); });

  std::copy(data.begin(), data.end(), buf.begin());
  const Figure oneLane = Rate([&] {
    for (size_t off = 0; off < kSize; off += 32) BlockDecipher(&buf[off], &buf[off]);
  });

  Print("archive_plain_fread", fread_);
  Print("archive_read_deciphered", deciphered);
  Print("archive_read_lua", lua);
  Print("archive_decipher_floor", floor);
  Print("archive_decipher_floor_one_block_at_a_time", oneLane);
  printf("archive_deciphered_vs_fread %.3f ratio\n", deciphered.cpu / fread_.cpu);
  printf("archive_deciphered_vs_floor %.3f ratio\n", deciphered.cpu / floor.cpu);
  printf("archive_lua_vs_floor %.3f ratio\n", lua.cpu / floor.cpu);
  printf("archive_floor_vs_one_block_at_a_time %.3f ratio\n", floor.cpu / oneLane.cpu);

  unlink("plain.bin");
  unlink("00.qar");
  if (chdir("/") == 0) rmdir(tmpl);
  return 0;
}
