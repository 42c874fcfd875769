// The start-up log "qordxbootlog.txt": CP932 text, CR LF line ends, written
// only when DebugLogMode is 1; each line is appended by opening and closing the file.
#pragma once

namespace qor {

// Appends one line (UTF-8 printf format, converted to CP932) when logging is on.
void WriteBootLog(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// Appends "実行ログ処理を終了します。" when logging is on.
void EndBootLog();
// Recreates the log with its two header lines and the first separator (gui.create).
void StartBootLog();
// Appends the 27-hyphen separator that opens a section (mode switch, recovery).
void StartBootLogSection();

// Runs EndBootLog when it goes out of scope, so a device operation left by an
// error still closes its section. (Only for C++ exceptions: a Lua error
// longjmps past destructors, so bindings call EndBootLog before raising.)
struct BootLogSection {
  ~BootLogSection() { EndBootLog(); }
};

}  // namespace qor
