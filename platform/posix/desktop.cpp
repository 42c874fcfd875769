// xdg-open without a shell; a double spawn through setsid so the opener is
// re-parented at once and leaves nothing to reap.
#include "platform/desktop.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/paths.h"

extern char** environ;

namespace qor::platform {

bool OpenWithDesktop(const std::string& target) {
  // setsid -f forks xdg-open into a new session and returns at once.
  std::string t = target;
  char setsid[] = "setsid", fork[] = "-f", opener[] = "xdg-open";
  char* argv[] = {setsid, fork, opener, t.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid;
  int rc = posix_spawnp(&pid, "setsid", &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return false;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void TerminalBell() {
  if (isatty(2)) {
    fputc('\a', stderr);
    fflush(stderr);
  }
}

bool SystemBeep() { return false; }

const char* HeadlessVideoDriver() { return "offscreen"; }

void DisableDesktopComposition() {}

}  // namespace qor::platform

namespace qor::platform {

void* ModuleHandle() {
  static void* self = dlopen(nullptr, RTLD_LAZY);
  return self;
}

std::string CommandLineText() {
  std::string raw;
  ReadWholeFile("/proc/self/cmdline", &raw);  // what could be read; nothing gives ""
  std::string out;
  size_t pos = 0;
  while (pos < raw.size()) {
    size_t end = raw.find('\0', pos);
    if (end == std::string::npos) end = raw.size();
    std::string word = raw.substr(pos, end - pos);
    pos = end + 1;
    bool plain = !word.empty();
    for (unsigned char c : word)
      if (!(isalnum(c) || c >= 0x80 || strchr("/._-+=:,@%", c))) plain = false;
    if (!out.empty()) out += ' ';
    if (plain) {
      out += word;
      continue;
    }
    out += '\'';
    for (char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    out += '\'';
  }
  return out;
}

}  // namespace qor::platform
