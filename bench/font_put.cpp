// Benchmark: font:put against FreeType's own cost, measured in the same run.
// The baseline is FT_Load_Char with monochrome rendering of the same face at
// the same 3x size; the engine adds placement, emboldening (the IPA faces
// have no bold), the 3 x 3 filter and the blend. Prints `name value unit`:
//   freetype_mono_24 / font_put_new_24   a new CJK character, 24 x 24 cell
//   freetype_mono_bold_24                FreeType with the emboldening the engine adds
//   freetype_mono_64 / font_put_new_64   the same in a 64 x 64 cell
//   font_put_cached_24[_lua]             a cached character: core, and font:put from Lua
//   font_page_40x10                      400 distinct characters, 24 x 24
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <chrono>
#include <cstdio>
#include <vector>

#include "host/binding.h"
#include "host/modules.h"
#include "image/bitmap.h"
#include "image/font.h"
#include "image/font_face.h"

using namespace qor;
using Clock = std::chrono::steady_clock;

namespace {

// Distinct CJK ideographs the face has (as a game's Japanese text uses them).
std::vector<uint16_t> g_chars;

double Us(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::micro>(b - a).count(); }

// FreeType alone: load + mono render of distinct characters at a line of `line` pixels.
struct FreeTypeOnly {
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  FreeTypeOnly(const FaceChoice& c, int line) {
    if (FT_Init_FreeType(&lib) || FT_New_Face(lib, c.file.c_str(), c.index, &face)) return;
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    long total = os2 ? os2->usWinAscent + os2->usWinDescent : face->units_per_EM;
    FT_Set_Pixel_Sizes(face, 0, FT_UInt((long(line) * face->units_per_EM + total / 2) / total));
    for (uint16_t u = 0x4E00; g_chars.size() < 4000 && u < 0x9FFF; ++u)
      if (FT_Get_Char_Index(face, u)) g_chars.push_back(u);
  }
  ~FreeTypeOnly() {
    if (face) FT_Done_Face(face);
    if (lib) FT_Done_FreeType(lib);
  }
  // `bold`: emboldened before rendering, as the engine draws the IPA faces.
  double Run(int first, int n, bool bold) {
    auto t0 = Clock::now();
    for (int i = 0; i < n; ++i) {
      if (!bold) {
        FT_Load_Char(face, g_chars[first + i], FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP);
        continue;
      }
      FT_Load_Char(face, g_chars[first + i], FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP);
      FT_GlyphSlot_Embolden(face->glyph);
      FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO);
    }
    return Us(t0, Clock::now()) / n;
  }
};

// The engine: render + filter + blend of new characters into a bitmap.
struct EnginePut {
  UFont f{};
  UBitmap b{};
  explicit EnginePut(int cell) {
    FontSetUp(&f, cell, cell, 0, "ＭＳ ゴシック", "");
    BitmapCreate(&b, cell, cell);
  }
  ~EnginePut() {
    FontRelease(&f);
    BitmapRelease(&b);
  }
  double Run(int first, int n) {
    auto t0 = Clock::now();
    for (int i = 0; i < n; ++i) {
      FontPrepare(&f, g_chars[first + i]);
      FontBlend(&f, b.pixels, f.width * 4, 0xFFFFFFFFu);
    }
    return Us(t0, Clock::now()) / n;
  }
};

double CachedPutUs(int cell, int n) {
  UFont f{};
  UBitmap b{};
  if (FontSetUp(&f, cell, cell, 0, "ＭＳ ゴシック", "") != FontStatus::Ok || !BitmapCreate(&b, cell, cell)) return -1;
  FontPrepare(&f, u'漢');
  auto t0 = Clock::now();
  for (int i = 0; i < n; ++i) {
    FontPrepare(&f, u'漢');
    FontBlend(&f, b.pixels, cell * 4, 0xFF000000u | uint32_t(i));
  }
  double us = Us(t0, Clock::now()) / n;
  FontRelease(&f);
  BitmapRelease(&b);
  return us;
}

// font:put of a cached character through the binding, Lua loop included.
double LuaCachedPutUs(int n) {
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  RegisterClass(L, "bitmap", kBitmapMethods, kBitmapCtors);
  RegisterClass(L, "font", kFontMethods, kFontCtors);
  char code[256];
  snprintf(code, sizeof code,
           "local f = font.create({width = 24, height = 24, name = 'ＭＳ ゴシック'}) "
           "local b = bitmap.create(24, 24) f:put(b, 0x6F22, 0, 0) "
           "local t0 = os.clock() for i = 1, %d do f:put(b, 0x6F22, 0, 0, 0xFF000000 + i) end "
           "return os.clock() - t0", n);
  double us = -1;
  if (luaL_dostring(L, code) == 0) us = lua_tonumber(L, -1) * 1e6 / n;
  lua_close(L);
  return us;
}

// A visual-novel page: 40 x 10 distinct characters in 24 x 24 cells.
double PageMs() {
  UFont f{};
  UBitmap b{};
  if (FontSetUp(&f, 24, 24, 0, "ＭＳ ゴシック", "") != FontStatus::Ok || !BitmapCreate(&b, 40 * 24, 10 * 24)) return -1;
  double best = 1e30;
  for (int run = 0; run < 5; ++run) {
    auto t0 = Clock::now();
    for (int r = 0; r < 10; ++r)
      for (int c = 0; c < 40; ++c) {
        FontPrepare(&f, g_chars[run * 400 + r * 40 + c]);
        FontBlend(&f, b.pixels + (r * 24 * 40 * 24 + c * 24) * 4, 40 * 24 * 4, 0xFFFFFFFFu);
      }
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  }
  FontRelease(&f);
  BitmapRelease(&b);
  return best;
}

}  // namespace

int main() {
  FaceChoice c;
  if (!ChooseFace("ＭＳ ゴシック", &c)) return 1;
  printf("face %s\n", c.family.c_str());
  const int n = 200;
  for (int cell : {24, 64}) {
    // Interleaved runs on the same characters (each new to its renderer), best of each.
    FreeTypeOnly ft(c, 3 * cell);
    EnginePut put(cell);
    double ftBest = 1e30, boldBest = 1e30, putBest = 1e30;
    for (int run = 0; run < 8; ++run) {
      ftBest = std::min(ftBest, ft.Run(run * n, n, false));
      boldBest = std::min(boldBest, ft.Run(run * n, n, true));
      putBest = std::min(putBest, put.Run(run * n, n));
    }
    printf("freetype_mono_%d %.2f us\n", cell, ftBest);
    printf("freetype_mono_bold_%d %.2f us\n", cell, boldBest);
    printf("font_put_new_%d %.2f us\n", cell, putBest);
    printf("font_put_new_%d_ratio %.2f x\n", cell, putBest / ftBest);
    printf("font_put_new_%d_ratio_bold %.2f x\n", cell, putBest / boldBest);
  }
  printf("font_put_cached_24 %.3f us\n", CachedPutUs(24, 200000));
  printf("font_put_cached_24_lua %.3f us\n", LuaCachedPutUs(200000));
  printf("font_page_40x10 %.2f ms\n", PageMs());
  return 0;
}
