// File services, documents folder, dialog commands and bitset saving: the
// parts a scenario cannot reach (another user's rights, the environment,
// a write cut short).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "image/bitset.h"
#include "platform/file_dialogs.h"
#include "platform/posix/dialog_tool.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "scratch_dir.h"

namespace qor {
namespace {

using test::InScratchDir;
using SystemServices = InScratchDir;

std::string Join(const std::vector<std::string>& v) {
  std::string s;
  for (const std::string& e : v) s += (s.empty() ? "" : ",") + e;
  return s;
}

// An unreadable folder is skipped with a warning, the rest listed. Root reads
// every folder, so the listing runs in a child that has become "nobody".
TEST_F(SystemServices, ListingSkipsUnreadableFolder) {
  ASSERT_EQ(chmod(dir_.c_str(), 0755), 0);
  ASSERT_EQ(mkdir("locked", 0700), 0);
  ASSERT_EQ(mkdir("open", 0755), 0);
  Write("open/b", "");
  Write("a", "");
  Write("locked/secret", "");
  ASSERT_EQ(chmod("locked", 0), 0);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  pid_t pid = fork();
  if (pid == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
    std::vector<std::string> out, warned;
    bool ok = platform::ListFilesRecursive(".", &out, [&](const std::string& s) { warned.push_back(s); });
    std::string r = (ok ? "ok;" : "fail;") + Join(out) + ";" + Join(warned);
    ssize_t n = write(fds[1], r.data(), r.size());
    _exit(n == ssize_t(r.size()) ? 0 : 3);
  }
  close(fds[1]);
  char buf[512] = {};
  ssize_t n = read(fds[0], buf, sizeof buf - 1);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  chmod("locked", 0755);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(std::string(buf, n > 0 ? size_t(n) : 0), "ok;a,open\\b;locked");
}

TEST_F(SystemServices, DocumentsFolderFromUserDirs) {
  std::string home = dir_ + "/home";
  ASSERT_EQ(mkdir("home", 0755), 0);
  ASSERT_EQ(mkdir("home/.config", 0755), 0);
  const char* oldHome = getenv("HOME");
  std::string savedHome = oldHome ? oldHome : "";
  setenv("HOME", home.c_str(), 1);
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("XDG_DOCUMENTS_DIR");  // that variable itself: the sys_two_process scenario
  EXPECT_EQ(platform::DocumentsFolder(), home + "/");  // no user-dirs, no ~/Documents
  Write("home/.config/user-dirs.dirs", "# comment\nXDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
  EXPECT_EQ(platform::DocumentsFolder(), home + "/Papers/");
  setenv("HOME", savedHome.c_str(), 1);
}

TEST(SystemServicesDialogs, ToolCommandsCarryFilterAndRules) {
  platform::DialogRequest r;
  r.kind = platform::DialogKind::kSave;
  r.title = "保存";
  r.fileName = "out.txt";
  r.filterName = "txtファイル";
  r.pattern = "*.txt";
  std::string z = Join(platform::DialogCommand("zenity", r));
  EXPECT_NE(z.find("--save,--confirm-overwrite"), std::string::npos) << z;
  EXPECT_NE(z.find("--filename=out.txt,--file-filter=txtファイル | *.txt"), std::string::npos) << z;
  EXPECT_EQ(Join(platform::DialogCommand("kdialog", r)), "kdialog,--title,保存,--getsavefilename,out.txt,*.txt|txtファイル");
}

// The tool runs without a shell (quotes and $ reach it as they are); its
// answer loses one line feed; a non-zero exit is a cancel.
TEST_F(SystemServices, DialogToolAnswersAndCancels) {
  Write("zenity", "#!/bin/sh\nfor a in \"$@\"; do printf '%s;' \"$a\" >> args.txt; done\n"
                  "[ -f cancel ] && exit 1\nprintf '/tmp/a b.png\\n'\n");
  ASSERT_EQ(chmod("zenity", 0755), 0);
  std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
  setenv("PATH", dir_.c_str(), 1);
  unsetenv("XDG_CURRENT_DESKTOP");
  platform::DialogRequest r;
  r.kind = platform::DialogKind::kInput;
  r.title = "入力";
  r.message = "it's $HOME";
  std::string text;
  EXPECT_EQ(platform::RunDialog(r, &text), platform::DialogAnswer::kOk);
  EXPECT_EQ(text, "/tmp/a b.png");
  Write("cancel", "");
  EXPECT_EQ(platform::RunDialog(r, &text), platform::DialogAnswer::kCancelled);
  EXPECT_EQ(text, "");
  setenv("PATH", "/nonexistent", 1);
  EXPECT_EQ(platform::RunDialog(r, &text), platform::DialogAnswer::kNoTool);
  setenv("PATH", oldPath.c_str(), 1);
  std::string args;
  ASSERT_TRUE(platform::ReadWholeFile("args.txt", &args));
  EXPECT_EQ(args, "--entry;--title=入力;--text=it's $HOME;--entry;--title=入力;--text=it's $HOME;");
}

// A save cut short (the file-size limit stops the write) leaves the old
// file as it was and no temporary file behind.
TEST_F(SystemServices, InterruptedBitsetSaveKeepsOldFile) {
  Write("flags.bin", "OLD");
  pid_t pid = fork();
  if (pid == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit lim{16, 16};
    setrlimit(RLIMIT_FSIZE, &lim);
    UBitset b{};
    if (BitsetCreate(&b, 1000) != BitsetStatus::kOk) _exit(2);
    _exit(BitsetSave(b, "flags.bin") == BitsetStatus::kWriteFailed ? 0 : 3);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  std::string text;
  ASSERT_TRUE(platform::ReadWholeFile("flags.bin", &text));
  EXPECT_EQ(text, "OLD");
  std::vector<std::string> files;
  platform::ListFilesRecursive(".", &files, [](const std::string&) {});
  EXPECT_EQ(Join(files), "flags.bin");
}

}  // namespace
}  // namespace qor
