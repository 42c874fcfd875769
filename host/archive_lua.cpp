// The archive module (dofile, seek, read) and encoding.encryption / decryption.
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "host/binding.h"
#include "host/engine.h"
#include "host/modules.h"
#include "host/resource.h"
#include "host/resource_stream.h"

namespace qor {

namespace {

// What archive.seek selected for archive.read. A loose file keeps its mode
// until the next successful seek, so reading it twice reads the file twice
// (rather than reading it the second time through the cipher as a member).
struct Selection {
  std::string file;  // the loose file's real path, or the archive's file name
  uint32_t offset = 0;
  uint32_t size = 0;
  bool loose = true;
};
Selection g_selection;

// archive.dofile(name): runs the script (loose file first, else member) and
// returns all its results. Every failure is fatal.
int ArchiveDofile(lua_State* L) {
  luaL_checkstring(L, 1);
  // The name stays at the bottom of the stack while the script runs, so the
  // string cannot be collected; the chunk's results are everything above it.
  lua_settop(L, 1);
  RunScript(L, lua_tostring(L, 1));
  lua_remove(L, 1);
  return lua_gettop(L);
}

// archive.seek(name): selects a loose file or a member for archive.read.
int ArchiveSeek(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  bool found = false;
  RunGuarded(L, [&](Outcome&) {
    ResourceLocation loc;
    found = FindResource(name, &loc);
    if (found) {
      g_selection.file = std::move(loc.path);
      g_selection.offset = loc.offset;
      g_selection.size = loc.size;
      g_selection.loose = !loc.archived;
    }
  });
  ClearStack(L);
  lua_pushboolean(L, found);
  return 1;
}

// The selected resource as a stream: a loose file keeps its loose mode; a
// member is deciphered and sized by the bytes its archive really holds.
std::unique_ptr<ResourceStream> OpenSelection() {
  ResourceLocation loc{g_selection.file, g_selection.offset, g_selection.size, !g_selection.loose};
  return OpenResourceStream(loc, MemberBytes::Deciphered);
}

// archive.read([suffix]): the whole selected resource up to its first zero
// byte, followed by the suffix.
int ArchiveRead(lua_State* L) {
  size_t suffixLen = 0;
  const char* suffix = (lua_gettop(L) >= 1 && lua_isstring(L, 1)) ? lua_tolstring(L, 1, &suffixLen) : nullptr;
  if (suffix) suffixLen = strlen(suffix);

  // The buffer is sized by the bytes that exist, never by an index entry's
  // declared size. The stream is opened once to size the buffer and again to
  // fill it, so that no C++ object is alive when Lua allocates (and may raise).
  bool opened = false;
  uint64_t size = 0;
  RunGuarded(L, [&](Outcome&) {
    std::unique_ptr<ResourceStream> s = OpenSelection();
    if (s) size = s->Size();
    opened = s != nullptr;
  });
  if (!opened) return RaiseMessage(L, "ファイルが開かれていません。");
  if (size > uint64_t(SIZE_MAX / 2)) return RaiseMessage(L, "not enough memory");
  // The buffer belongs to Lua (a userdata), so an error raised later leaks nothing.
  const size_t capacity = size_t(size) + 1 + suffixLen + 1;
  auto* buf = static_cast<uint8_t*>(lua_newuserdata(L, capacity));
  size_t got = 0;
  RunGuarded(L, [&](Outcome& out) {
    std::unique_ptr<ResourceStream> s = OpenSelection();
    if (!s) return out.Fail("ファイルが開かれていません。");
    while (got < size) {
      size_t n = s->Read(buf + got, size_t(size) - got);
      if (n == 0) break;
      got += n;
    }
  });
  // Every byte not read (a file that shrank, a read error) is zero.
  memset(buf + got, 0, capacity - got);
  // The result is the data up to their first zero byte, then the suffix. The
  // suffix ends the string there: data after a zero byte never show behind it.
  size_t len = strnlen(reinterpret_cast<char*>(buf), size_t(size));
  if (suffix) memcpy(buf + len, suffix, suffixLen);
  lua_pushlstring(L, reinterpret_cast<char*>(buf), len + suffixLen);
  return ReturnResults(L, 1);
}

// encoding.encryption(text): each byte of the text up to its first zero byte
// XOR 0xA7; zero bytes in the result are kept.
int EncodingEncryption(lua_State* L) {
  const char* text = luaL_checkstring(L, 1);
  size_t len = strlen(text);
  luaL_Buffer b;
  luaL_buffinit(L, &b);
  for (size_t i = 0; i < len; ++i) luaL_addchar(&b, char(uint8_t(text[i]) ^ 0xA7));
  luaL_pushresult(&b);
  return ReturnResults(L, 1);
}

// encoding.decryption(data): each byte XOR 0xA7, cut at the first zero byte
// of the result (i.e. at the first 0xA7 of the input).
int EncodingDecryption(lua_State* L) {
  size_t len;
  const char* data = luaL_checklstring(L, 1, &len);
  const void* stop = memchr(data, 0xA7, len);
  if (stop) len = size_t(static_cast<const char*>(stop) - data);
  luaL_Buffer b;
  luaL_buffinit(L, &b);
  for (size_t i = 0; i < len; ++i) luaL_addchar(&b, char(uint8_t(data[i]) ^ 0xA7));
  luaL_pushresult(&b);
  return ReturnResults(L, 1);
}

}  // namespace

const luaL_Reg kArchiveFuncs[] = {
    {"dofile", ArchiveDofile},
    {"seek", ArchiveSeek},
    {"read", ArchiveRead},
    {nullptr, nullptr},
};

const luaL_Reg kEncodingCipherFuncs[] = {
    {"encryption", EncodingEncryption},
    {"decryption", EncodingDecryption},
    {nullptr, nullptr},
};

}  // namespace qor
