// The console on Windows: a console window made on demand for a game started
// without one (AllocConsole, the streams reopened on CONOUT$ / CONIN$), UTF-8
// output, and cursor placement through SetConsoleCursorPosition.
#include "platform/console.h"

#include <windows.h>

#include <cstdio>

namespace qor::platform {
namespace {

bool g_allocated = false;  // a console this process made and may free
bool g_ready = false;      // the streams were checked (once per console)

// True when the handle already leads somewhere: a console, a file or a pipe.
bool Usable(HANDLE h) {
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return false;
  return GetFileType(h) != FILE_TYPE_UNKNOWN;
}

}  // namespace

void OpenConsole() {
  if (g_ready) return;  // console.print calls this for every line
  g_ready = true;
  if (!g_allocated && !Usable(GetStdHandle(STD_OUTPUT_HANDLE)) && AllocConsole()) {
    g_allocated = true;
    freopen("CONOUT$", "w", stdout);
    freopen("CONIN$", "r", stdin);
  }
  DWORD mode;
  if (GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode)) SetConsoleOutputCP(CP_UTF8);
}

void CloseConsole() {
  fflush(stdout);
  if (!g_allocated) return;
  FreeConsole();
  g_allocated = g_ready = false;
}

void LocateCursor(int x, int y) {
  fflush(stdout);  // what was printed before lands at the old position
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (out == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(out, &info)) return;  // not a console
  SetConsoleCursorPosition(out, COORD{SHORT(x), SHORT(y)});
}

}  // namespace qor::platform
