// The console on POSIX: the standard streams themselves; cursor placement
// through an ANSI escape sequence.
#include "platform/console.h"

#include <unistd.h>

#include <cstdio>

namespace qor::platform {

void OpenConsole() {}

void CloseConsole() { fflush(stdout); }

void LocateCursor(int x, int y) {
  if (!isatty(fileno(stdout))) return;
  printf("\x1b[%d;%dH", y + 1, x + 1);  // the sequence is 1-based
  fflush(stdout);
}

}  // namespace qor::platform
