// UFont: the record behind a `font`, its one-glyph coverage cache, the 3 x 3
// coverage filter and the integer blends into 32-bit BGRA pixels. Lua-free:
// the binding supplies the target's pixels and raises the messages.
#pragma once
#include <cstdint>
#include <string>

#include "image/font_face.h"

namespace qor {

// The surface glyphs are drawn on at three times the cell size, one byte per
// pixel (0 or 1), rows padded to 4 bytes.
struct FontWork {
  uint8_t* bits;
  int32_t width, height, pitch;
};

// Zero-filled when made; every field keeps its value after release except the
// owned resources (work, face, coverage), so getinfo still answers.
struct UFont {
  int32_t width;
  int32_t height;
  int32_t weight;       // as given; the face is always bold (700)
  uint16_t cachedChar;  // the code unit whose coverage is in `coverage`
  bool hasCachedChar;   // a new font has no cached character
  char faceName[256];   // ANSI code page, NUL-terminated
  FontWork work;
  FontFace* face;       // owned; null after release
  int32_t coverageSize;
  uint8_t* coverage;    // width x height levels 0..255 in steps of 17
};

enum class FontStatus { Ok, FileUnreadable, FileCorrupt, NoMemory };

// The largest cell side: the work surface is 9 times the cell's area.
constexpr int kMaxFontCell = 2048;
inline bool FontSizeValid(int width, int height) {
  return width > 0 && height > 0 && width <= kMaxFontCell && height <= kMaxFontCell;
}

// Stores the options and opens the face for `name` (UTF-8; `ansiName` is what
// is stored). The size must be valid. May throw std::bad_alloc.
FontStatus FontSetUp(UFont* f, int width, int height, int weight, const char* name, const char* ansiName);
// Frees the work surface, the face and the coverage buffer (idempotent).
void FontRelease(UFont* f);
inline bool FontReleased(const UFont* f) { return f->face == nullptr; }

// True when the cell at (x, y) lies inside a target of tw x th pixels.
bool FontCellFits(const UFont* f, int tw, int th, int x, int y);

// Makes `coverage` hold `unit` (rendering it unless it is the cached one).
// The font must not be released. May throw std::bad_alloc.
void FontPrepare(UFont* f, uint16_t unit);

// Blends the cached coverage into the cell whose top-left pixel is `cell`
// (rows `pitch` bytes apart) with one colour 0xAARRGGBB.
void FontBlend(const UFont* f, uint8_t* cell, int pitch, uint32_t color);
// As FontBlend with a gradient from color1 to color2 (alpha from color1).
void FontBlendGradation(const UFont* f, uint8_t* cell, int pitch, uint32_t color1, uint32_t color2,
                        bool horizontal, bool vertical);

// ---- the exact steps, shared with the tests ----

// The 3 x 3 weighted filter (1 2 1 / 2 3 2 / 1 2 1) from a work surface of
// 3w x 3h into w x h coverage levels (sum x 17), rows `coveragePitch` apart
// (0: w).
void FilterCoverage(const uint8_t* work, int workPitch, int w, int h, uint8_t* coverage, int coveragePitch = 0);
// One pixel's blend: text colour (B, G, R) and coverage c > 0 with alpha A.
void BlendPixel(uint8_t* px, int b, int g, int r, int alpha, int c);
// The gradient weight at (x, y) of a w x h cell (0..256); 0 where the cell
// has no extent along the gradient.
int GradationWeight(int x, int y, int w, int h, bool horizontal, bool vertical);

// Glyph renders since start-up, for the tests of the cache.
uint64_t FontRenderCount();

}  // namespace qor
