// The .arl decoder benchmark behind calc.test: decodes a 500 x 600 grey
// picture from an .arl stream, times it and saves the picture as a PNG.
#pragma once
#include <string>

namespace qor {

enum class ArlBenchStatus { Ok, CannotOpen, TooShort, OutOfMemory, WriteFailed };

struct ArlBenchResult {
  ArlBenchStatus status = ArlBenchStatus::Ok;
  int milliseconds = 0;  // the decode alone
  std::string reason;    // WriteFailed: why
};

constexpr int kArlBenchWidth = 500, kArlBenchHeight = 600;

// Decodes width x height values from `arlFile` (B = G = R = value, A = 255)
// and saves them to `pngFile` (atomically). A stream shorter than the
// picture is TooShort and nothing is written.
ArlBenchResult RunArlDecodeBenchmark(const char* arlFile, const char* pngFile);

}  // namespace qor
