// The few POSIX calls the unit tests use, on the Windows C runtime. Only the
// Windows cross build includes this (forced on every test source by
// tests/CMakeLists.txt), so the tests themselves stay plain POSIX.
#pragma once
#ifdef _WIN32
#include <direct.h>
#include <errno.h>
#include <malloc.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

inline int mkdir(const char* path, int /*mode*/) { return _mkdir(path); }

// Fills the trailing XXXXXX and makes the folder; tries again on a clash.
inline char* mkdtemp(char* tmpl) {
  size_t n = strlen(tmpl);
  if (n < 6 || strcmp(tmpl + n - 6, "XXXXXX") != 0) return nullptr;
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    unsigned v = (unsigned)_getpid() * 7919u + counter++;
    for (int i = 0; i < 6; ++i, v /= 26) tmpl[n - 6 + i] = char('a' + v % 26);
    if (_mkdir(tmpl) == 0) return tmpl;
    if (errno != EEXIST) return nullptr;
  }
  return nullptr;
}

inline int setenv(const char* name, const char* value, int overwrite) {
  if (!overwrite && getenv(name)) return 0;
  return _putenv_s(name, value);
}
inline int unsetenv(const char* name) { return _putenv_s(name, ""); }

// The C runtime keeps no glibc heap statistics: the one test reading them is
// left out of the Windows run (tools/test_windows.sh).
struct mallinfo2_result { size_t uordblks; };
inline mallinfo2_result mallinfo2() { return {0}; }
#endif
