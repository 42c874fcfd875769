// The Windows-style name rule and atomic file writes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/paths.h"

using namespace qor::platform;

namespace {

struct TempFolder {
  std::string dir;
  TempFolder() {
    char tmpl[] = "/tmp/qor-paths-XXXXXX";
    dir = mkdtemp(tmpl);
  }
  ~TempFolder() { std::system(("rm -rf " + dir).c_str()); }
  void Touch(const std::string& rel, const std::string& text = "x") {
    std::ofstream(dir + "/" + rel) << text;
  }
};

std::string Slurp(const std::string& p) {
  std::ifstream f(p);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

}  // namespace

TEST(Paths, BackslashesAndLetterCaseFindTheRealFile) {
  TempFolder t;
  mkdir((t.dir + "/Data").c_str(), 0755);
  mkdir((t.dir + "/Data/BG").c_str(), 0755);
  t.Touch("Data/BG/title.png");
  EXPECT_EQ(ResolvePath((t.dir + "\\data\\bg\\TITLE.PNG").c_str()), t.dir + "/Data/BG/title.png");
  EXPECT_TRUE(FileExists((t.dir + "/DATA/bg/Title.png").c_str()));
  EXPECT_TRUE(RegularFileExists((t.dir + "/data/bg/title.png").c_str()));
  EXPECT_FALSE(RegularFileExists((t.dir + "/data/bg").c_str()));  // a folder is not a file
}

TEST(Paths, MissingNamesComeBackAsGivenWithSlashes) {
  TempFolder t;
  EXPECT_EQ(ResolvePath((t.dir + "\\new\\file.txt").c_str()), t.dir + "/new/file.txt");
  EXPECT_FALSE(FileExists((t.dir + "/nothing").c_str()));
}

TEST(Paths, NewFilesAreSeenAtOnce) {
  TempFolder t;
  EXPECT_FALSE(FileExists((t.dir + "/LATE.TXT").c_str()));  // caches the listing
  t.Touch("late.txt");
  EXPECT_TRUE(FileExists((t.dir + "/LATE.TXT").c_str()));
}

TEST(Paths, AtomicWriteReplacesWholeFileAndLeavesNoTemporary) {
  TempFolder t;
  std::string target = t.dir + "/save.dat";
  t.Touch("save.dat", "old contents");
  ASSERT_TRUE(WriteFileAtomic(target, "new", 3));
  EXPECT_EQ(Slurp(target), "new");
  std::string listing;
  FILE* p = popen(("ls " + t.dir).c_str(), "r");
  char buf[256];
  while (fgets(buf, sizeof buf, p)) listing += buf;
  pclose(p);
  EXPECT_EQ(listing, "save.dat\n");
}

TEST(Paths, AtomicWriteIntoMissingFolderFailsAndKeepsNothing) {
  TempFolder t;
  EXPECT_FALSE(WriteFileAtomic(t.dir + "/no/such/folder/x.png", "abc", 3));
}
