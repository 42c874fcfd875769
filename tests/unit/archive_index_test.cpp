// The archive index: parsing one index, building the process-wide map from
// the archives in a folder, and looking names up.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "host/archive.h"
#include "host/cipher.h"
#include "host/engine.h"

namespace qor {
namespace {

struct Member {
  std::string name;
  std::string data;
};

// The header and index bytes: dataStart, the entries and the end marker.
std::vector<uint8_t> IndexBytes(uint32_t dataStart, const std::vector<Member>& members) {
  std::vector<uint8_t> v;
  auto put32 = [&](uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
  };
  put32(dataStart);
  for (const Member& m : members) {
    v.push_back('"');
    v.insert(v.end(), m.name.begin(), m.name.end());
    v.push_back('"');
    put32(uint32_t(m.data.size()));
  }
  v.push_back('e');
  return v;
}

bool Parse(const std::vector<uint8_t>& bytes, ArchiveIndex* out) {
  return ParseArchiveIndex(bytes.data(), bytes.size(), out);
}

TEST(ArchiveIndexParse, EntriesGetRunningOffsetsAndKeepTheirSpelling) {
  ArchiveIndex ix;
  ASSERT_TRUE(Parse(IndexBytes(100, {{"Data\\A.png", "12345"}, {"b", "1234567"}, {"", ""}, {"c", "x"}}), &ix));
  EXPECT_EQ(ix.dataStart, 100u);
  ASSERT_EQ(ix.entries.size(), 4u);
  EXPECT_EQ(ix.entries[0].name, "Data\\A.png");
  EXPECT_EQ(ix.entries[0].offset, 100u);
  EXPECT_EQ(ix.entries[1].offset, 105u);
  EXPECT_EQ(ix.entries[1].size, 7u);
  EXPECT_EQ(ix.entries[3].offset, 112u);

  ASSERT_TRUE(Parse({7, 0, 0, 0, 'e'}, &ix));  // an empty archive
  EXPECT_TRUE(ix.entries.empty());
  // Whatever follows the end marker is not part of the index.
  ASSERT_TRUE(Parse({7, 0, 0, 0, 'e', 'x', 0xff}, &ix));
}

TEST(ArchiveIndexParse, CorruptIndexes) {
  ArchiveIndex ix;
  std::vector<uint8_t> good = IndexBytes(64, {{"name", "abc"}, {"other", "de"}});
  ASSERT_TRUE(Parse(good, &ix));
  // Cut anywhere before the end marker: dataStart, name, size, next entry.
  for (size_t n = 0; n < good.size(); ++n)
    EXPECT_FALSE(Parse(std::vector<uint8_t>(good.begin(), good.begin() + long(n)), &ix)) << n;
  // A byte other than '"' or 'e' where an entry starts.
  std::vector<uint8_t> bad = good;
  bad[4] = 'E';
  EXPECT_FALSE(Parse(bad, &ix));
  bad = good;
  bad[4 + 1 + 4 + 1 + 4] = 0;  // the second entry's quote
  EXPECT_FALSE(Parse(bad, &ix));
  // Names of 255 bytes fit; 256 do not.
  EXPECT_TRUE(Parse(IndexBytes(0, {{std::string(255, 'n'), ""}}), &ix));
  EXPECT_FALSE(Parse(IndexBytes(0, {{std::string(256, 'n'), ""}}), &ix));
  // A member whose start no longer fits in 32 bits.
  std::vector<uint8_t> huge = IndexBytes(0xFFFFFF00u, {{"a", ""}, {"b", ""}});
  huge[4 + 3 + 1] = 0x00;  // size of "a" = 0x10000
  huge[4 + 3 + 2] = 0x01;
  EXPECT_FALSE(Parse(huge, &ix));
  huge = IndexBytes(0xFFFFFF00u, {{"a", ""}});
  huge[4 + 3 + 2] = 0x01;  // only the last member runs past 4 GiB: still addressable
  EXPECT_TRUE(Parse(huge, &ix));
}

TEST(ArchiveIndexParse, KeysAndNumbers) {
  EXPECT_EQ(ArchiveIndexKey("Data\\Title.PNG"), "data\\title.png");
  EXPECT_EQ(ArchiveLookupKey("Data/Title.PNG"), "data\\title.png");
  // Bytes above 0x7F (CP932 lead bytes, UTF-8) are left alone whatever the locale.
  EXPECT_EQ(ArchiveIndexKey("\x83\x41\xC3\x89"), "\x83\x61\xC3\x89");
  const std::pair<const char*, int> numbers[] = {{"00.qar", 0},   {"dir/37.QAR", 37}, {"7.qar", -1},
                                                 {"100.qar", -1}, {"ab.qar", -1},     {"00.zip", -1}};
  for (const auto& [name, n] : numbers) EXPECT_EQ(ArchiveNumberFromName(name), n) << name;
}

// Builds archives in a temporary folder that becomes the current directory.
class ArchiveFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    memcpy(g_engineKey, kEngineKey, 96);
    dir_ = (std::filesystem::temp_directory_path() / ("qor_archive_" + std::to_string(std::random_device{}()))).generic_string();
    ASSERT_TRUE(std::filesystem::create_directory(dir_));
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
  }
  void TearDown() override {
    // Leave an empty index behind for other tests.
    for (const auto& e : std::filesystem::directory_iterator(dir_)) std::filesystem::remove_all(e.path());
    LoadArchiveIndex();
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }

  // Writes archive `file` holding `members`, enciphered as the engine expects
  // for archive number `n` (index of even archives, every member's data).
  void Write(const char* file, int n, const std::vector<Member>& members) {
    std::vector<uint8_t> head = IndexBytes(0, members);
    uint32_t dataStart = uint32_t((head.size() + 31) / 32 * 32);
    head = IndexBytes(dataStart, members);
    head.resize(dataStart);
    if (ArchiveIndexEnciphered(n)) EncipherBlocks(head.data(), head.size() / 32);
    std::vector<uint8_t> body;
    for (const Member& m : members) body.insert(body.end(), m.data.begin(), m.data.end());
    body.resize((body.size() + 31) / 32 * 32);
    EncipherBlocks(body.data(), body.size() / 32);
    head.insert(head.end(), body.begin(), body.end());
    FILE* f = fopen(file, "wb");
    ASSERT_NE(f, nullptr);
    fwrite(head.data(), 1, head.size(), f);
    fclose(f);
  }

  std::string Read(const char* name) {
    ArchiveMember m;
    if (!ArchiveLookup(name, &m)) return "<missing>";
    UCipherFile* f = CipherOpen(m.file);
    if (!f) return "<cannot open>";
    std::string s(m.size, '\0');
    CipherSeek(f, m.offset);
    s.resize(CipherRead(f, 1, s.data(), m.size));
    CipherClose(f);
    return s;
  }

  std::string dir_;
  std::filesystem::path old_;
};

TEST_F(ArchiveFolder, LaterEntriesAndHigherArchivesWin) {
  Write("00.qar", 0, {{"Data\\Title.png", "title"}, {"dup", "first"}, {"shared", "from 00"}, {"dup", "second"}});
  Write("03.qar", 3, {{"SHARED", "from 03"}, {"only3", "three"}});
  Write("04.qar", 4, {});
  LoadArchiveIndex();
  EXPECT_EQ(Read("data/title.PNG"), "title");
  EXPECT_EQ(Read("Data\\Title.png"), "title");
  EXPECT_EQ(Read("dup"), "second");
  EXPECT_EQ(Read("shared"), "from 03");
  EXPECT_EQ(Read("only3"), "three");
  EXPECT_EQ(Read("data"), "<missing>");
  EXPECT_EQ(Read(("dup" + std::string(300, 'x')).c_str()), "<missing>");
  ArchiveMember m;
  ASSERT_TRUE(ArchiveLookup("only3", &m));
  EXPECT_STREQ(m.file, "03.qar");
}

// An upper-case file name is an archive; a folder named like one is not.
TEST_F(ArchiveFolder, FileNameCaseAndFoldersNamedLikeArchives) {
  Write("02.QAR", 2, {{"a.txt", "upper-case archive name"}});
  ASSERT_TRUE(std::filesystem::create_directory("05.qar"));
  LoadArchiveIndex();
  EXPECT_EQ(Read("A.TXT"), "upper-case archive name");
  ArchiveMember m;
  ASSERT_TRUE(ArchiveLookup("a.txt", &m));
  EXPECT_STREQ(m.file, "02.QAR");
}

}  // namespace
}  // namespace qor
