// Command-line parsing for qor.
#include "host/options.h"

#include "host/lua.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/file_system.h"

namespace qor {

Options g_options;

namespace {

const char kUsage[] =
    "usage: qor [options] [GAME_DIR]\n"
    "Runs the game in GAME_DIR (root.lua, or an archive 00.qar … 99.qar holding it).\n"
    "Without GAME_DIR: the executable's folder when it holds a game, else the current folder.\n"
    "\n"
    "options:\n"
    "  --headless           no display: offscreen video, dummy audio, scripted dialog answers\n"
    "  --frames N           after the N-th presented frame, close the window (exit status 0)\n"
    "  --screenshot FILE    write the last presented frame to FILE (PNG) at exit\n"
    "  --input FILE         play scripted input events from FILE (see README)\n"
    "  --answer yes|no      the answer headless message boxes give (default yes)\n"
    "  --renderer gl|soft   choose the drawing backend (default: gl, soft on software GL)\n"
    "  --audio-driver NAME  SDL audio driver (headless default: dummy)\n"
    "  --audio-capture FILE write everything the mixer plays to FILE (WAV)\n"
    "  --desktop WxH        desktop size assumed by headless runs (default 1920x1080)\n"
    "  --help, --version\n";

bool NeedValue(int i, int argc, const char* opt) {
  if (i + 1 < argc) return true;
  fprintf(stderr, "qor: %s needs a value\n%s", opt, kUsage);
  return false;
}

// True when `v`, the value of `opt`, is `first` or `second`; says so otherwise.
bool OneOf(const char* opt, const char* v, const char* first, const char* second) {
  if (!strcmp(v, first) || !strcmp(v, second)) return true;
  fprintf(stderr, "qor: %s takes %s or %s, not \"%s\"\n", opt, first, second, v);
  return false;
}

// A count of frames: decimal digits only, within the range of a long.
bool ParseCount(const char* text, long* out) {
  if (!*text) return false;
  for (const char* p = text; *p; ++p)
    if (*p < '0' || *p > '9') return false;
  errno = 0;
  char* end;
  long v = strtol(text, &end, 10);
  if (errno == ERANGE || *end) return false;
  *out = v;
  return true;
}

// Option paths are taken from the folder qor was started in, before the game
// folder becomes the current directory.
std::string Absolute(const char* path) {
  if (!path[0] || platform::IsAbsolutePath(path)) return path;
  std::string cwd = platform::CurrentDirectory();
  if (cwd.empty()) return path;
  return cwd + path;
}

}  // namespace

bool ParseOptions(int argc, char** argv, Options* o, bool* exitNow) {
  *exitNow = false;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (!strcmp(a, "--help") || !strcmp(a, "-h")) {
      fputs(kUsage, stdout);
      *exitNow = true;
      return true;
    } else if (!strcmp(a, "--version")) {
      printf("qor %s (%s)\n", QOR_VERSION, kLuaRelease);
      *exitNow = true;
      return true;
    } else if (!strcmp(a, "--headless")) {
      o->headless = true;
    } else if (!strcmp(a, "--fail-present-once")) {
      o->failPresentOnce = true;
    } else if (!strcmp(a, "--frames")) {
      if (!NeedValue(i, argc, a)) return false;
      if (!ParseCount(argv[++i], &o->frames)) {
        fprintf(stderr, "qor: --frames needs a count of frames (0 to %ld), not \"%s\"\n", LONG_MAX, argv[i]);
        return false;
      }
    } else if (!strcmp(a, "--screenshot")) {
      if (!NeedValue(i, argc, a)) return false;
      if (!*argv[++i]) {
        fprintf(stderr, "qor: --screenshot needs a file name\n");
        return false;
      }
      o->screenshot = Absolute(argv[i]);
    } else if (!strcmp(a, "--input")) {
      if (!NeedValue(i, argc, a)) return false;
      o->inputFile = Absolute(argv[++i]);
    } else if (!strcmp(a, "--answer")) {
      if (!NeedValue(i, argc, a)) return false;
      const char* v = argv[++i];
      if (!OneOf(a, v, "yes", "no")) return false;
      o->answerYes = !strcmp(v, "yes");
    } else if (!strcmp(a, "--renderer")) {
      if (!NeedValue(i, argc, a)) return false;
      const char* v = argv[++i];
      if (!OneOf(a, v, "gl", "soft")) return false;
      o->renderer = v;
    } else if (!strcmp(a, "--audio-driver")) {
      if (!NeedValue(i, argc, a)) return false;
      o->audioDriver = argv[++i];
    } else if (!strcmp(a, "--audio-capture")) {
      if (!NeedValue(i, argc, a)) return false;
      o->audioCapture = Absolute(argv[++i]);
    } else if (!strcmp(a, "--desktop")) {
      if (!NeedValue(i, argc, a)) return false;
      int w, h;
      if (sscanf(argv[++i], "%dx%d", &w, &h) != 2 || w <= 0 || h <= 0) {
        fprintf(stderr, "qor: --desktop takes WIDTHxHEIGHT, not \"%s\"\n", argv[i]);
        return false;
      }
      o->desktopWidth = w;
      o->desktopHeight = h;
    } else if (a[0] == '-' && a[1]) {
      fprintf(stderr, "qor: unknown option %s\n%s", a, kUsage);
      return false;
    } else if (o->gameDir.empty()) {
      o->gameDir = a;
    } else {
      fprintf(stderr, "qor: only one game folder may be given (\"%s\", \"%s\")\n", o->gameDir.c_str(), a);
      return false;
    }
  }
  return true;
}

bool ScreenshotPathUsable(const std::string& path, std::string* why) {
  std::string dir = path.substr(0, path.find_last_of('/') + 1);
  if (dir.empty()) dir = "./";
  if (path.back() == '/' || platform::KindOfPath(path) == platform::PathKind::kFolder) {
    *why = "it is a folder";
    return false;
  }
  if (platform::KindOfPath(dir) != platform::PathKind::kFolder) {
    *why = "its folder does not exist";
    return false;
  }
  // An existing file must be writable; a new one needs a writable folder.
  bool exists = platform::KindOfPath(path) != platform::PathKind::kMissing;
  if (!(exists ? platform::Writable(path, false) : platform::Writable(dir, true))) {
    *why = strerror(errno);
    return false;
  }
  return true;
}

}  // namespace qor
