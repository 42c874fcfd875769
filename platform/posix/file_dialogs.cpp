// Dialogs through zenity or kdialog, started with posix_spawn (no shell, so
// nothing in a title or file name is interpreted) and read through a pipe.
#include "platform/file_dialogs.h"
#include "platform/posix/dialog_tool.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace qor::platform {
namespace {

bool OnPath(const char* program) {
  const char* path = getenv("PATH");
  std::string_view dirs = path ? path : "/usr/bin:/bin";
  while (true) {
    size_t end = dirs.find(':');
    std::string_view dir = dirs.substr(0, end);
    std::string full(dir.empty() ? std::string_view(".") : dir);  // an empty entry means the current folder
    full.push_back('/');
    full.append(program);
    if (access(full.c_str(), X_OK) == 0) return true;
    if (end == std::string_view::npos) return false;
    dirs.remove_prefix(end + 1);
  }
}

}  // namespace

std::string DialogTool() {
  // kdialog only where it is the desktop's own tool (KDE) or zenity is missing.
  const char* desktop = getenv("XDG_CURRENT_DESKTOP");
  bool kde = desktop && strstr(desktop, "KDE");
  if (kde && OnPath("kdialog")) return "kdialog";
  if (OnPath("zenity")) return "zenity";
  if (OnPath("kdialog")) return "kdialog";
  return "";
}

std::vector<std::string> DialogCommand(const std::string& tool, const DialogRequest& r) {
  std::vector<std::string> a{tool};
  if (tool == "zenity") {
    switch (r.kind) {
      case DialogKind::kSave:
        a.insert(a.end(), {"--file-selection", "--save", "--confirm-overwrite", "--title=" + r.title,
                           "--filename=" + r.fileName, "--file-filter=" + r.filterName + " | " + r.pattern});
        break;
      case DialogKind::kOpen:
        a.insert(a.end(), {"--file-selection", "--title=" + r.title,
                           "--file-filter=" + r.filterName + " | " + r.pattern});
        break;
      case DialogKind::kFolder:
        a.insert(a.end(), {"--file-selection", "--directory", "--title=" + r.title});
        break;
      case DialogKind::kInput:
        a.insert(a.end(), {"--entry", "--title=" + r.title, "--text=" + r.message});
        break;
    }
  } else {
    a.insert(a.end(), {"--title", r.title});
    switch (r.kind) {
      case DialogKind::kSave:
        a.insert(a.end(), {"--getsavefilename", r.fileName, r.pattern + "|" + r.filterName});
        break;
      case DialogKind::kOpen:
        a.insert(a.end(), {"--getopenfilename", ".", r.pattern + "|" + r.filterName});
        break;
      case DialogKind::kFolder:
        a.insert(a.end(), {"--getexistingdirectory", "."});
        break;
      case DialogKind::kInput:
        a.insert(a.end(), {"--inputbox", r.message, ""});
        break;
    }
  }
  return a;
}

DialogAnswer RunDialog(const DialogRequest& request, std::string* text) {
  text->clear();
  std::string tool = DialogTool();
  if (tool.empty()) return DialogAnswer::kNoTool;
  std::vector<std::string> args = DialogCommand(tool, request);
  std::vector<char*> argv;
  for (std::string& s : args) argv.push_back(s.data());
  argv.push_back(nullptr);
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return DialogAnswer::kCancelled;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  pid_t pid;
  int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    return DialogAnswer::kNoTool;
  }
  char buf[4096];
  for (;;) {
    ssize_t n = read(fds[0], buf, sizeof buf);
    if (n > 0) {
      text->append(buf, size_t(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;
    }
  }
  close(fds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!text->empty() && text->back() == '\n') text->pop_back();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    text->clear();
    return DialogAnswer::kCancelled;
  }
  return DialogAnswer::kOk;
}

}  // namespace qor::platform
