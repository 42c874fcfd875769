// The Lua class `bitset`: create, load, get, set, reset, save, delete, __gc.
#include <cerrno>
#include <cmath>
#include <cstring>
#include <string>

#include "host/binding.h"
#include "host/modules.h"
#include "image/bitset.h"

namespace qor {
namespace {

constexpr const char* kClass = "bitset";
constexpr const char* kMsgRange = "bitsetに与えた位置が範囲外です。0～%d";
constexpr const char* kMsgBadCount = "bitsetの大きさが不正です。(%d)";
constexpr const char* kMsgDeleted = "削除済みのbitsetは使えません。";
constexpr const char* kMsgWriteFailed = "ファイル\"%s\"に書き込めませんでした。(%s)";

// The live record of argument 1 (a deleted one raises).
UBitset* CheckBitset(lua_State* L) {
  UBitset* b = CheckSelf<UBitset>(L, kClass);
  if (!b->bytes) RaiseMessage(L, "%s", kMsgDeleted);
  return b;
}

// The position argument, truncated toward zero and checked against the
// record's range as a number: lua_tointeger's result for values beyond 64 bits
// differs between Lua builds, the comparison does not (NaN is out of range).
int CheckPosition(lua_State* L, const UBitset* b) {
  lua_Number p = std::trunc(luaL_checknumber(L, 2));
  if (!(p >= 0 && p < b->bitCount)) RaiseMessage(L, kMsgRange, b->bitCount - 1);
  return static_cast<int>(p);
}

int BitsetCreate(lua_State* L) {
  int n = CheckInt(L, 1);
  if (n < 0) RaiseMessage(L, kMsgBadCount, n);
  UBitset* b = NewRecord<UBitset>(L, kClass);
  if (qor::BitsetCreate(b, n) != BitsetStatus::kOk) RaiseMessage(L, "%s", kOutOfMemoryMessage);
  return ReturnResults(L, 1);
}

// A missing, empty or unreadable file gives nil.
int BitsetLoad(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  UBitset* b = NewRecord<UBitset>(L, kClass);
  BitsetStatus s = BitsetStatus::kOk;
  RunGuarded(L, [&](Outcome&) { s = qor::BitsetLoad(b, name); });
  if (s == BitsetStatus::kNoMemory) RaiseMessage(L, "%s", kOutOfMemoryMessage);
  if (s != BitsetStatus::kOk) {
    ClearStack(L);
    lua_pushnil(L);
    return 1;
  }
  return ReturnResults(L, 1);
}

int BitsetGet(lua_State* L) {
  UBitset* b = CheckBitset(L);
  int p = CheckPosition(L, b);
  ClearStack(L);
  lua_pushboolean(L, qor::BitsetGet(*b, p));
  return 1;
}

int BitsetSet(lua_State* L) {
  UBitset* b = CheckBitset(L);
  qor::BitsetSet(b, CheckPosition(L, b));
  ClearStack(L);
  return 0;
}

int BitsetReset(lua_State* L) {
  UBitset* b = CheckBitset(L);
  qor::BitsetReset(b, CheckPosition(L, b));
  ClearStack(L);
  return 0;
}

int BitsetSave(lua_State* L) {
  UBitset* b = CheckBitset(L);
  const char* name = luaL_checkstring(L, 2);
  RunGuarded(L, [&](Outcome& out) {
    if (qor::BitsetSave(*b, name) != BitsetStatus::kOk) out.Fail(kMsgWriteFailed, name, strerror(errno));
  });
  ClearStack(L);
  return 0;
}

int BitsetDelete(lua_State* L) {
  BitsetFree(CheckSelf<UBitset>(L, kClass));
  ClearStack(L);
  return 0;
}

}  // namespace

const luaL_Reg kBitsetMethods[] = {
    {"get", BitsetGet},       {"set", BitsetSet},         {"reset", BitsetReset}, {"save", BitsetSave},
    {"delete", BitsetDelete}, {"__gc", BitsetDelete},     {nullptr, nullptr},
};
const luaL_Reg kBitsetCtors[] = {
    {"create", BitsetCreate},
    {"load", BitsetLoad},
    {nullptr, nullptr},
};

}  // namespace qor
