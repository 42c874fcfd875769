// Start-up time: from launching `qor --headless` on a tiny game until its
// root.lua has printed its first line. Median of 21 runs, next to the cost of
// launching /bin/echo measured the same way (this machine's process overhead).
// usage: startup [path/to/qor]   (default: ../qor beside this benchmark)
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Runs argv with stdout on a pipe; returns milliseconds until the first
// newline arrives, or -1 on failure. The child is reaped afterwards.
double TimeToFirstLine(const std::vector<std::string>& args) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  auto t0 = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    dup2(fds[1], 1);
    close(fds[0]);
    close(fds[1]);
    std::vector<char*> av;
    for (const std::string& a : args) av.push_back(const_cast<char*>(a.c_str()));
    av.push_back(nullptr);
    execv(av[0], av.data());
    _exit(127);
  }
  close(fds[1]);
  double ms = -1;
  char buf[256];
  ssize_t n;
  while ((n = read(fds[0], buf, sizeof buf)) > 0) {
    if (memchr(buf, '\n', size_t(n))) {
      ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
      break;
    }
  }
  while (read(fds[0], buf, sizeof buf) > 0) {
  }
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return ms;
}

double Median(const std::vector<std::string>& args, int runs) {
  std::vector<double> t;
  for (int i = 0; i < runs; ++i) {
    double ms = TimeToFirstLine(args);
    if (ms < 0) return -1;
    t.push_back(ms);
  }
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  std::string qor;
  if (argc > 1) {
    qor = argv[1];
  } else {
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return 1;
    self[n] = 0;
    std::string dir(self);
    dir = dir.substr(0, dir.find_last_of('/'));
    qor = dir.substr(0, dir.find_last_of('/')) + "/qor";
  }
  char tmpl[] = "/tmp/qor_startup_XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  std::string game = tmpl;
  FILE* f = fopen((game + "/root.lua").c_str(), "w");
  if (!f) return 1;
  fputs("console.print(\"ready\")\n", f);
  fclose(f);
  setenv("SDL_AUDIODRIVER", "dummy", 1);

  const int kRuns = 21;
  double base = Median({"/bin/echo", "ready"}, kRuns);
  double ms = Median({qor, "--headless", game}, kRuns);
  std::string cmd = "rm -rf '" + game + "'";
  if (system(cmd.c_str()) != 0) fprintf(stderr, "could not remove %s\n", game.c_str());
  if (ms < 0) {
    fprintf(stderr, "startup: %s did not run the game\n", qor.c_str());
    return 1;
  }
  printf("baseline_exec_ms_median %.2f\n", base);
  printf("startup_ms_median %.2f\n", ms);
  return 0;
}
