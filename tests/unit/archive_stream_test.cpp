// The resource stream: loose files, stored and deciphered archive members,
// members whose declared size runs past the archive's end, and seek bounds.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/cipher.h"
#include "host/engine.h"
#include "host/resource_stream.h"

namespace qor {
namespace {

using Bytes = std::vector<uint8_t>;

class ResourceStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    memcpy(g_engineKey, kEngineKey, 96);
    for (size_t i = 0; i < 224; ++i) plain.push_back(uint8_t(i * 7 + 3));  // seven whole blocks
    Bytes enciphered = plain;
    EncipherBlocks(enciphered.data(), enciphered.size() / 32);
    plainPath = Write("plain", plain);
    cipherPath = Write("cipher", enciphered);
  }
  void TearDown() override {
    unlink(plainPath.c_str());
    unlink(cipherPath.c_str());
  }
  static std::string Write(const char* tag, const Bytes& data) {
    std::string path = testing::TempDir() + "qor_stream_" + tag + "_" + std::to_string(getpid());
    FILE* f = fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr);
    fwrite(data.data(), 1, data.size(), f);
    fclose(f);
    return path;
  }
  static Bytes All(const ResourceLocation& loc, MemberBytes mode, uint64_t* size = nullptr) {
    std::unique_ptr<ResourceStream> s = OpenResourceStream(loc, mode);
    EXPECT_NE(s, nullptr);
    if (!s) return {};
    if (size) *size = s->Size();
    Bytes out;
    EXPECT_TRUE(ReadRest(*s, &out));
    return out;
  }
  Bytes Part(size_t from, size_t n) const { return Bytes(plain.begin() + long(from), plain.begin() + long(from + n)); }

  Bytes plain;
  std::string plainPath, cipherPath;
};

TEST_F(ResourceStreamTest, LooseStoredAndDecipheredBytes) {
  EXPECT_EQ(All({plainPath, 0, 0, false}, MemberBytes::Deciphered), plain);  // loose files are never deciphered
  EXPECT_EQ(All({plainPath, 45, 100, true}, MemberBytes::Stored), Part(45, 100));
  EXPECT_EQ(All({cipherPath, 45, 100, true}, MemberBytes::Deciphered), Part(45, 100));
  EXPECT_EQ(OpenResourceStream({"/nonexistent/qor/00.qar", 0, 4, true}, MemberBytes::Deciphered), nullptr);
  bool found = true;
  EXPECT_EQ(OpenResourceStream("no/such/qor_resource.png", MemberBytes::Deciphered, &found), nullptr);
  EXPECT_FALSE(found);
}

TEST_F(ResourceStreamTest, DeclaredSizePastTheEndGivesTheBytesThatExist) {
  for (MemberBytes mode : {MemberBytes::Stored, MemberBytes::Deciphered}) {
    const std::string& path = mode == MemberBytes::Stored ? plainPath : cipherPath;
    uint64_t size = 0;
    EXPECT_EQ(All({path, 150, 0xFFFFFF00u, true}, mode, &size), Part(150, 74));
    EXPECT_EQ(size, 74u);
    EXPECT_TRUE(All({path, 224, 0xFFFFFF00u, true}, mode, &size).empty());
    EXPECT_EQ(size, 0u);
    EXPECT_TRUE(All({path, 0xFFFFFFF0u, 0xFFFFFF00u, true}, mode, &size).empty());
    EXPECT_EQ(size, 0u);
  }
}

TEST_F(ResourceStreamTest, SeekAndTellStayInsideTheResource) {
  for (MemberBytes mode : {MemberBytes::Stored, MemberBytes::Deciphered}) {
    std::unique_ptr<ResourceStream> s =
        OpenResourceStream({mode == MemberBytes::Stored ? plainPath : cipherPath, 20, 50, true}, mode);
    ASSERT_NE(s, nullptr);
    uint8_t buf[64];
    ASSERT_TRUE(s->Seek(33));  // inside a block of the archive
    EXPECT_EQ(s->Read(buf, 10), 10u);
    EXPECT_EQ(Bytes(buf, buf + 10), Part(53, 10));
    EXPECT_EQ(s->Tell(), 43u);
    EXPECT_EQ(s->Read(buf, 64), 7u);  // up to the member's end, not the archive's
    EXPECT_EQ(s->Read(buf, 64), 0u);
    EXPECT_TRUE(s->Seek(50));
    EXPECT_FALSE(s->Seek(51));
    EXPECT_EQ(s->Tell(), 50u);
    ASSERT_TRUE(s->Seek(2));
    Bytes rest;
    EXPECT_TRUE(ReadRest(*s, &rest));
    EXPECT_EQ(rest, Part(22, 48));
  }
}

}  // namespace
}  // namespace qor
