// Desktop services: opening a file or address with the desktop's handler,
// and the terminal bell.
#pragma once
#include <string>

namespace qor::platform {

// Starts xdg-open on `target` detached (its own session, not waited for;
// the target is one argument, never read by a shell). False when it could
// not be started.
bool OpenWithDesktop(const std::string& target);

// Rings the terminal bell on stderr when it is a terminal.
void TerminalBell();

}  // namespace qor::platform

namespace qor::platform {

// The process's command line (/proc/self/cmdline) as a shell would read it
// back: words separated by spaces, a word holding anything but plain
// characters in single quotes.
std::string CommandLineText();

}  // namespace qor::platform
