// The start-up log "qordxbootlog.txt": CP932 lines ending in CR LF, each
// appended by opening and closing the file so it is complete up to the last
// step even if the process dies right after. Errors are ignored.
#include "host/bootlog.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "host/engine.h"
#include "platform/text.h"
#include "platform/paths.h"

namespace qor {
namespace {

const char kLogName[] = "qordxbootlog.txt";
const char kSeparator[] = "---------------------------";  // 27 hyphens

// Writes UTF-8 lines as CP932, each followed by CR LF.
void WriteLines(const char* mode, const char* const* lines, size_t count) {
  FILE* f = platform::OpenFile(kLogName, mode);
  if (!f) return;
  for (size_t i = 0; i < count; ++i) {
    char ansi[2048];
    size_t n = platform::Utf8ToAnsi(lines[i], strlen(lines[i]), ansi, sizeof ansi);
    fwrite(ansi, 1, n, f);
    fwrite("\r\n", 1, 2, f);
  }
  fclose(f);
}

}  // namespace

void WriteBootLog(const char* fmt, ...) {
  if (!g_logEnabled) return;
  char text[2048];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(text, sizeof text, fmt, ap);
  va_end(ap);
  const char* line = text;
  WriteLines("ab", &line, 1);
}

void EndBootLog() {
  if (!g_logEnabled) return;
  const char* line = "実行ログ処理を終了します。";
  WriteLines("ab", &line, 1);
}

void StartBootLog() {
  if (!g_logEnabled) return;
  const char* lines[] = {"＜QORエンジンの実行ログ＞", "不具合が出た場合のエラー箇所の特定に役立つ情報です。", kSeparator};
  WriteLines("wb", lines, 3);
}

void StartBootLogSection() {
  if (!g_logEnabled) return;
  const char* line = kSeparator;
  WriteLines("ab", &line, 1);
}

}  // namespace qor
