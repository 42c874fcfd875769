// The start-up log's exact bytes: CP932 text, CR LF line ends, written only when enabled.
#include <gtest/gtest.h>

#include <filesystem>

#include <string>

#include "host/bootlog.h"
#include "host/engine.h"
#include "platform/paths.h"
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
    std::string s;
    platform::ReadWholeFile("qordxbootlog.txt", &s);
    return s;
  }
};

const char kSep[] = "---------------------------\r\n";

}  // namespace

// That nothing is written unless DebugLogMode=1 is the host_getconfig scenario's
// check; screen_bootlog compares a whole run's log with its expected text.
TEST_F(BootLog, HeaderSectionsAndLinesAreCp932WithCrLf) {
  g_logEnabled = true;
  Write("qordxbootlog.txt", "an earlier run\n");
  StartBootLog();
  WriteBootLog("ウィンドウ作成を開始します。%d", 42);
  EndBootLog();
  StartBootLogSection();
  EndBootLog();

  std::string want = platform::Utf8ToAnsi("＜QORエンジンの実行ログ＞") + "\r\n";
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
