// Text conversions between UTF-8 (scripts) and the engine's ANSI code page:
// CP932 through iconv on POSIX, the system's CP_ACP on Windows. Characters the
// target lacks become '?' (the default character), malformed input bytes
// become '?' too; a conversion never fails.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qor::platform {

std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);

// Bytes of the ANSI character that starts at `p` (1 or 2; never more than `left`).
size_t AnsiCharLength(const unsigned char* p, size_t left);

// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);

// UTF-8 to UTF-16 code units (surrogate pairs for characters beyond the BMP).
std::u16string Utf8ToUtf16(std::string_view utf8);

// Buffer forms for binding code that must not own C++ objects when it raises
// a Lua error: convert into `dst` (capacity `cap`, always NUL-terminated,
// cut at a character boundary when too small); returns the length written.
size_t AnsiToUtf8(const char* src, size_t len, char* dst, size_t cap);
size_t Utf8ToAnsi(const char* src, size_t len, char* dst, size_t cap);

}  // namespace qor::platform
