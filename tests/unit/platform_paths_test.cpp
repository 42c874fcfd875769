// The Windows-style name rule and atomic file writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/paths.h"
#include "scratch_dir.h"

using namespace qor::platform;
using Paths = qor::test::InScratchDir;

TEST_F(Paths, BackslashesAndLetterCaseFindTheRealFile) {
  std::filesystem::create_directories("Data/BG");
  Write("Data/BG/title.png", "x");
#ifdef _WIN32
  // The file system itself ignores case: only the separators change.
  EXPECT_EQ(ResolvePath((dir_ + "\\data\\bg\\TITLE.PNG").c_str()), dir_ + "/data/bg/TITLE.PNG");
#else
  EXPECT_EQ(ResolvePath((dir_ + "\\data\\bg\\TITLE.PNG").c_str()), dir_ + "/Data/BG/title.png");
#endif
  EXPECT_TRUE(FileExists((dir_ + "/DATA/bg/Title.png").c_str()));
  EXPECT_TRUE(RegularFileExists((dir_ + "/data/bg/title.png").c_str()));
  EXPECT_FALSE(RegularFileExists((dir_ + "/data/bg").c_str()));  // a folder is not a file
  // Missing names come back as given, with slashes.
  EXPECT_EQ(ResolvePath((dir_ + "\\new\\file.txt").c_str()), dir_ + "/new/file.txt");
  // A file made after a lookup cached the listing is seen at once.
  EXPECT_FALSE(FileExists((dir_ + "/LATE.TXT").c_str()));
  Write("late.txt", "x");
  EXPECT_TRUE(FileExists((dir_ + "/LATE.TXT").c_str()));
}

TEST_F(Paths, AtomicWriteReplacesWholeFileAndLeavesNoTemporary) {
  Write("save.dat", "old contents");
  ASSERT_TRUE(WriteFileAtomic(dir_ + "/save.dat", "new", 3));
  std::string text;
  ASSERT_TRUE(ReadWholeFile("save.dat", &text));
  EXPECT_EQ(text, "new");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 1);
  EXPECT_FALSE(WriteFileAtomic(dir_ + "/no/such/folder/x.png", "abc", 3));
}
