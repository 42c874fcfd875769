// The console the engine's standard streams write to: placing its cursor.
#pragma once

namespace qor::platform {

// Moves stdout's cursor to column `x`, row `y` (0-based, at most 32767) when
// stdout is a terminal; nothing otherwise.
void LocateCursor(int x, int y);

}  // namespace qor::platform
