// The console the engine's standard streams write to: making sure it exists,
// freeing it, and placing its cursor.
#pragma once

namespace qor::platform {

// Makes sure console output and input reach somewhere a player can see. On
// Linux the standard streams are the console and nothing happens. On Windows,
// a game started without a console (a GUI program launched from Explorer)
// gets a new console window with stdout and stdin reopened on it; streams
// that are already a console, a file or a pipe are kept. A console's output
// code page is set to UTF-8, the encoding console text is written in.
void OpenConsole();
// Frees a console OpenConsole made (a later OpenConsole makes a new one);
// stdout is flushed either way.
void CloseConsole();

// Moves stdout's cursor to column `x`, row `y` (0-based, at most 32767) when
// stdout is a terminal; nothing otherwise.
void LocateCursor(int x, int y);

}  // namespace qor::platform
