// The start-up log's exact bytes: CP932 text, CR LF line ends, written only when enabled.
#include <gtest/gtest.h>

#include <filesystem>

#include <fstream>
#include <sstream>
#include <string>

#include "host/bootlog.h"
#include "host/engine.h"
#include "platform/text.h"
#include "scratch_dir.h"

using namespace qor;

namespace {

class BootLog : public test::InScratchDir {
 protected:
  void TearDown() override {
    g_logEnabled = false;
    InScratchDir::TearDown();
  }
  static std::string Log() {
    std::ifstream f("qordxbootlog.txt", std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
  }
};

const char kHeader[] =
    "\x81\x83QOR\x83G\x83\x93\x83W\x83\x93\x82\xCC\x8E\xC0\x8D\x73\x83\x8D\x83O\x81\x84\r\n";
const char kSep[] = "---------------------------\r\n";

}  // namespace

TEST_F(BootLog, DisabledWritesNothing) {
  g_logEnabled = false;
  StartBootLog();
  WriteBootLog("step %d", 1);
  StartBootLogSection();
  EndBootLog();
  EXPECT_FALSE(std::filesystem::exists("qordxbootlog.txt"));
}

TEST_F(BootLog, HeaderSectionsAndLinesAreCp932WithCrLf) {
  g_logEnabled = true;
  {
    std::ofstream old("qordxbootlog.txt");
    old << "an earlier run\n";
  }
  StartBootLog();
  WriteBootLog("ウィンドウ作成を開始します。%d", 42);
  EndBootLog();
  StartBootLogSection();
  EndBootLog();

  std::string want = std::string(kHeader);
  EXPECT_EQ(platform::Utf8ToAnsi("＜QORエンジンの実行ログ＞") + "\r\n", want);  // the literal above is right
  want += platform::Utf8ToAnsi("不具合が出た場合のエラー箇所の特定に役立つ情報です。") + "\r\n";
  want += kSep;
  want += platform::Utf8ToAnsi("ウィンドウ作成を開始します。") + "42\r\n";
  want += platform::Utf8ToAnsi("実行ログ処理を終了します。") + "\r\n";
  want += kSep;
  want += platform::Utf8ToAnsi("実行ログ処理を終了します。") + "\r\n";
  EXPECT_EQ(Log(), want);  // the earlier log is gone
}

TEST_F(BootLog, LongLinesAreCutNotOverrun) {
  g_logEnabled = true;
  std::string big(5000, 'x');
  WriteBootLog("%s", big.c_str());
  std::string log = Log();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
  EXPECT_EQ(log.size(), 2047u + 2u);
}

TEST_F(BootLog, UnwritableLogIsIgnored) {
  g_logEnabled = true;
  ASSERT_TRUE(std::filesystem::create_directory("qordxbootlog.txt"));  // a folder in the way
  StartBootLog();
  WriteBootLog("lost");
  EndBootLog();
  SUCCEED();
}
