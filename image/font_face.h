// Glyph faces for the font class: FreeType faces chosen from the installed
// faces (with a table that maps the Windows faces games name to free look-alikes)
// or loaded from a font file the game ships, sized and placed the way the
// original's GDI text drawing sizes and places one character. Lua-free.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/font_catalog.h"

namespace qor {

enum class FontFaceStatus {
  Ok,
  FileUnreadable,  // a font file the resource stream found could not be read
  FileCorrupt,     // FreeType refused the file (truncated, damaged, not a font)
};

// The 1-byte-per-pixel surface a glyph is drawn on (0 = background, 1 = ink).
struct GlyphSurface {
  uint8_t* bits;
  int width, height, pitch;
};

// The part of a surface a glyph was copied into: columns [left, right), rows
// [top, bottom); empty when nothing was drawn.
struct InkRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool Empty() const { return left >= right || top >= bottom; }
};

class FontFace {
 public:
  virtual ~FontFace() = default;
  // Draws one UTF-16 code unit onto a clear surface: sized for a line of
  // surface.height pixels, centred horizontally on its advance and standing
  // on the bottom edge, clipped to the surface. A lone surrogate draws
  // nothing. Returns the rectangle written (the rest stays clear).
  virtual InkRect Draw(uint16_t unit, const GlyphSurface& surface) = 0;
  // The family the face came from (for messages and tests).
  virtual const std::string& Family() const = 0;
  // True when bold is made by emboldening the outlines (no bold face exists).
  virtual bool SyntheticBold() const = 0;
};

// Opens the face for `name` (UTF-8): a .ttf/.otf/.ttc/.otc file the resource
// stream finds (loose or in an archive, read into memory), else an installed
// face, always at weight 700. An empty name picks the system's
// fixed-pitch Japanese face. A face that cannot be found is replaced by the
// best match, with one line on stderr per name; with no face installed at
// all the font draws nothing (one line on stderr). `lineHeight` is the pixel
// height of the surfaces Draw will get.
FontFaceStatus OpenFontFace(const char* name, int lineHeight, std::unique_ptr<FontFace>* out);

// The installed face `name` resolves to at weight 700 (the face itself, else
// the alias table's look-alikes, else the catalog's best match), and whether
// it was a substitution for a face not found.
bool ChooseFace(const char* name, FaceChoice* out);

// The look-alike families the alias table gives for a Windows face name
// (full-width or ASCII spelling, case and spaces ignored); empty when none.
std::vector<std::string> FaceAliases(const char* name);

// True when `name` ends in .ttf, .otf, .ttc or .otc (any case).
bool IsFontFileName(const char* name);

}  // namespace qor
