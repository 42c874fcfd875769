// conf.ini reading: the profile functions' rules for sections, keys and integers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <string>

#include "host/config.h"
#include "host/engine.h"
#include "scratch_dir.h"

using namespace qor;

TEST(ConfigIni, NamesAreCaseInsensitiveTrimmedAndFirstWins) {
  const char* ini =
      "; comment line\r\n"
      "  [ QorConfig ]  \r\n"
      "   debuglogmode   =   1   \r\n"
      "WindowsAeroOff=3\r\n";
  EXPECT_EQ(IniReadInt(ini, "QORCONFIG", "DebugLogMode", 9), 1);
  EXPECT_EQ(IniReadInt(ini, "qorconfig", "WINDOWSAEROOFF", 9), 3);
  EXPECT_EQ(IniReadInt(ini, "QORCONFIG", " WindowsAeroOff ", 9), 3);
  // Only the first section of a name and the first key of a name count.
  const char* twice = "[S]\nk=1\nk=2\n[T]\nk=3\n[s]\nk=4\nonlylater=5\n";
  EXPECT_EQ(IniReadInt(twice, "S", "k", 0), 1);
  EXPECT_EQ(IniReadInt(twice, "T", "k", 0), 3);
  EXPECT_EQ(IniReadInt(twice, "S", "onlylater", -1), -1);
}

TEST(ConfigIni, MissingThingsGiveTheDefault) {
  const char* ini = "[QORCONFIG]\nA=5\nEmpty=\nNoEquals\n[Other]\nB=6\n";
  EXPECT_EQ(IniReadInt(ini, "QORCONFIG", "B", 42), 42);       // key of another section
  EXPECT_EQ(IniReadInt(ini, "Missing", "A", 42), 42);         // no such section
  EXPECT_EQ(IniReadInt(ini, "QORCONFIG", "Empty", 42), 42);   // empty value
  EXPECT_EQ(IniReadInt(ini, "QORCONFIG", "NoEquals", 42), 42);
  EXPECT_EQ(IniReadInt("", "QORCONFIG", "A", 7), 7);
  EXPECT_EQ(IniReadInt("A=5\n[QORCONFIG]\n", "QORCONFIG", "A", 7), 7);  // key before any section
}

TEST(ConfigIni, ValuesTakeLeadingDigitsClampedToInt) {
  struct Case {
    const char* value;
    int want;
  } cases[] = {
      {"abc", 0},  // present but not numeric: 0, not the default
      {"12abc", 12}, {"-34", -34}, {"+8", 8}, {"  56 ; not a comment here", 56}, {"\"78\"", 78},
      {"-", 0}, {"0x10", 0}, {"2.9", 2},
      {"99999999999999999999999999", INT_MAX}, {"-4294967297", INT_MIN},  // clamped to int
  };
  for (const Case& c : cases)
    EXPECT_EQ(IniReadInt(std::string("[S]\nk=") + c.value + "\n", "S", "k", 9), c.want) << c.value;
}

TEST(ConfigIni, LineEndsBomAndUnterminatedLastLine) {
  EXPECT_EQ(IniReadInt("\xEF\xBB\xBF[S]\r\nk=5", "S", "k", 0), 5);
  EXPECT_EQ(IniReadInt(std::string("\xFE\xFF\0[\0S\0]\0\n\0k\0=\0008", 16), "S", "k", 0), 8);  // UTF-16BE
  EXPECT_EQ(IniReadInt("[S]\rk=6\r", "S", "k", 0), 6);  // bare CR ends lines too
  EXPECT_EQ(IniReadInt("[S]\n;k=1\nk=7\n", "S", "k", 0), 7);
  EXPECT_EQ(IniReadInt("[S", "S", "k", 3), 3);  // broken header, no crash
}

// The file side: conf.ini in the current folder, any case of its name.
class ConfigFile : public test::InScratchDir {
 protected:
  void SetUp() override {
    InScratchDir::SetUp();
    g_logEnabled = false;
  }
  void TearDown() override {
    g_logEnabled = false;
    InScratchDir::TearDown();
  }
};

// Which DebugLogMode values start the log is checked end to end by the
// host_getconfig (2: no log) and screen_bootlog (1: the log) scenarios.
// Notepad's "Unicode" file (UTF-16LE with a BOM, made by iconv) reads like an 8-bit one.
TEST_F(ConfigFile, Utf16FileIsRead) {
  std::filesystem::copy_file(QOR_FIXTURES "/config/conf_utf16le.ini", "conf.ini");
  ReadConfig();
  EXPECT_TRUE(g_logEnabled);
  EXPECT_EQ(ReadConfigInt("Speed"), -15);
  EXPECT_EQ(ReadConfigInt("名前"), 7);
}

TEST_F(ConfigFile, NameOfAnyCaseIsFound) {
  Write("Conf.INI", "[QORCONFIG]\nSpeed=12\n");
  EXPECT_EQ(ReadConfigInt("speed"), 12);
}
