// Desktop services: opening a file or address with the desktop's handler,
// beeps, desktop composition, and what the process knows about itself.
#pragma once
#include <string>

namespace qor::platform {

// Opens `target` (UTF-8) with the desktop's handler: xdg-open started
// detached (its own session, not waited for; the target is one argument,
// never read by a shell), or ShellExecuteW "open" on Windows. False when it
// could not be started.
bool OpenWithDesktop(const std::string& target);

// Rings the terminal bell on stderr when it is a terminal.
void TerminalBell();

// The system's own beep (MessageBeep on Windows). False where there is none
// (POSIX), so the caller makes its own.
bool SystemBeep();

// The SDL video driver headless runs use: "offscreen" on POSIX (EGL, no
// display needed); null on Windows, whose own driver gives GL to windows
// that are never shown (headless runs create them hidden).
const char* HeadlessVideoDriver();

// Turns desktop composition off where the system has it (DwmEnableComposition
// from dwmapi.dll when that exists); nothing elsewhere.
void DisableDesktopComposition();

}  // namespace qor::platform

namespace qor::platform {

// The process's command line (/proc/self/cmdline) as a shell would read it
// back: words separated by spaces, a word holding anything but plain
// characters in single quotes.
std::string CommandLineText();

// The handle of the program's own module (for native extensions).
void* ModuleHandle();

}  // namespace qor::platform
