// Cursor placement on a Windows console through SetConsoleCursorPosition.
#include "platform/console.h"

#include <windows.h>

#include <cstdio>

namespace qor::platform {

void LocateCursor(int x, int y) {
  fflush(stdout);  // what was printed before lands at the old position
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (out == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(out, &info)) return;  // not a console
  SetConsoleCursorPosition(out, COORD{SHORT(x), SHORT(y)});
}

}  // namespace qor::platform
