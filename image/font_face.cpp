// FreeType faces for the font class, chosen from the installed faces (the
// face catalog) through an alias table, or read from a font file the game
// carries. Glyphs are rendered in
// monochrome and placed as GDI places one character drawn with DT_CENTER |
// DT_BOTTOM | DT_SINGLELINE into a rectangle the size of the work surface.
#include "image/font_face.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include "host/resource_stream.h"
#include "image/font_catalog.h"
#include "image/freetype_library.h"

namespace qor {

FT_Library FreeTypeLibrary() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l) != 0) l = nullptr;
    return l;
  }();
  return lib;
}

namespace {


// ---- the alias table ----

struct Alias {
  const char* names[4];        // spellings games use (folded before comparing)
  const char* families[5];     // installed look-alikes, best first
};

// Metric-compatible free faces for the Windows faces Japanese games name.
const Alias kAliases[] = {
    {{"ＭＳ ゴシック", "MS Gothic"}, {"IPAGothic", "IPAexGothic", "Noto Sans Mono CJK JP", "Noto Sans CJK JP"}},
    {{"ＭＳ Ｐゴシック", "MS PGothic"}, {"IPAPGothic", "IPAexGothic", "Noto Sans CJK JP"}},
    {{"ＭＳ ＵＩ Gothic", "MS UI Gothic"}, {"IPAPGothic", "IPAexGothic", "Noto Sans CJK JP"}},
    {{"ＭＳ 明朝", "MS Mincho"}, {"IPAMincho", "IPAexMincho", "Noto Serif CJK JP"}},
    {{"ＭＳ Ｐ明朝", "MS PMincho"}, {"IPAPMincho", "IPAexMincho", "Noto Serif CJK JP"}},
    {{"メイリオ", "Meiryo", "Meiryo UI"}, {"Noto Sans CJK JP", "IPAexGothic", "IPAPGothic"}},
    {{"游ゴシック", "Yu Gothic", "Yu Gothic UI", "游ゴシック体"}, {"Noto Sans CJK JP", "IPAexGothic", "IPAPGothic"}},
    {{"游明朝", "Yu Mincho", "游明朝体"}, {"Noto Serif CJK JP", "IPAexMincho", "IPAPMincho"}},
    {{"HGゴシックM", "HGGothicM", "HGPゴシックM"}, {"IPAexGothic", "IPAPGothic", "Noto Sans CJK JP"}},
    {{"HG明朝B", "HGMinchoB", "HGP明朝B"}, {"IPAexMincho", "IPAPMincho", "Noto Serif CJK JP"}},
    {{"Arial", "Helvetica"}, {"Liberation Sans"}},
    {{"Times New Roman", "Times"}, {"Liberation Serif"}},
    {{"Courier New", "Courier"}, {"Liberation Mono"}},
};

// The faces an empty name stands for: the system's fixed-pitch Japanese face.
const char* const kFixedPitchJapanese[] = {"IPAGothic", "Noto Sans Mono CJK JP", "IPAexGothic", "Noto Sans CJK JP"};

// The first of `families` that is installed.
bool ChooseInstalled(const std::vector<std::string>& families, FaceChoice* out) {
  for (const std::string& f : families)
    if (CatalogFindFamily(f, out)) return true;
  return false;
}

// ---- sizing and placing ----

// A FreeType face sized so that a line (ascent + descent) is `line` pixels,
// as GDI sizes a LOGFONT with a positive height.
struct SizedFace {
  FT_Face face = nullptr;
  int descent = 0;        // pixels below the baseline
  bool embolden = false;  // no bold face: thicken the outlines
};

bool SizeFace(SizedFace* s, int line) {
  FT_Face f = s->face;
  long asc = 0, desc = 0;
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
  auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(f, FT_SFNT_HHEA));
  if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    asc = os2->usWinAscent;
    desc = os2->usWinDescent;
  } else if (hhea && hhea->Ascender - hhea->Descender > 0) {
    asc = hhea->Ascender;
    desc = -hhea->Descender;
  } else {
    asc = f->ascender;
    desc = -f->descender;
  }
  long upem = f->units_per_EM ? f->units_per_EM : 1000;
  if (asc + desc <= 0) {
    asc = upem * 7 / 8;
    desc = upem - asc;
  }
  long ppem = std::max<long>(1, (long(line) * upem + (asc + desc) / 2) / (asc + desc));
  if (FT_Set_Pixel_Sizes(f, 0, FT_UInt(ppem)) != 0) {
    // Bitmap-only faces: the first strike.
    if (f->num_fixed_sizes <= 0 || FT_Select_Size(f, 0) != 0) return false;
  }
  s->descent = int((desc * line + (asc + desc) / 2) / (asc + desc));
  return true;
}

// Each byte of a 1-bit row as eight 0/1 bytes, most significant bit first.
const std::array<uint64_t, 256> kExpandBits = [] {
  std::array<uint64_t, 256> t{};
  for (int v = 0; v < 256; ++v) {
    uint8_t bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = (v >> (7 - i)) & 1;
    memcpy(&t[v], bytes, 8);
  }
  return t;
}();

// Copies a 1-bit FreeType bitmap into the surface at (left, top), clipped.
InkRect CopyMono(const FT_Bitmap& bm, int left, int top, const GlyphSurface& s) {
  const int c0 = std::max(0, -left), c1 = std::min(int(bm.width), s.width - left);
  const int r0 = std::max(0, -top), r1 = std::min(int(bm.rows), s.height - top);
  for (int r = r0; r < r1; ++r) {
    const uint8_t* src = bm.buffer + ptrdiff_t(r) * bm.pitch;
    uint8_t* dst = s.bits + ptrdiff_t(top + r) * s.pitch + left;
    if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
      int c = c0;
      if (c == 0)  // whole bytes: eight pixels at a time
        for (; c + 8 <= c1; c += 8) memcpy(dst + c, &kExpandBits[src[c >> 3]], 8);
      for (; c < c1; ++c) dst[c] = (src[c >> 3] >> (7 - (c & 7))) & 1;
    } else
      for (int c = c0; c < c1; ++c) dst[c] = src[c] >= 128;
  }
  if (c0 >= c1 || r0 >= r1) return {};
  return {left + c0, top + r0, left + c1, top + r1};
}

class FreeTypeFace final : public FontFace {
 public:
  ~FreeTypeFace() override {
    for (auto& [key, s] : fallbacks_)
      if (s.face) FT_Done_Face(s.face);
    if (main_.face) FT_Done_Face(main_.face);
  }

  FontFaceStatus Open(const FaceChoice& c, std::vector<uint8_t> bytes, int line) {
    family_ = c.family;
    line_ = line;
    bytes_ = std::move(bytes);
    FT_Error e = bytes_.empty() ? FT_New_Face(FreeTypeLibrary(), c.file.c_str(), c.index, &main_.face)
                                : FT_New_Memory_Face(FreeTypeLibrary(), bytes_.data(), FT_Long(bytes_.size()), c.index, &main_.face);
    if (e != 0 || !main_.face) {
      main_.face = nullptr;
      return FontFaceStatus::FileCorrupt;
    }
    if (!(main_.face->face_flags & FT_FACE_FLAG_SCALABLE) && main_.face->num_fixed_sizes <= 0)
      return FontFaceStatus::FileCorrupt;
    // A file the game ships is known by the family it names itself.
    if (!bytes_.empty() && main_.face->family_name) family_ = main_.face->family_name;
    main_.embolden = !c.bold && !(main_.face->style_flags & FT_STYLE_FLAG_BOLD);
    if (!SizeFace(&main_, line)) return FontFaceStatus::FileCorrupt;
    return FontFaceStatus::Ok;
  }

  InkRect Draw(uint16_t unit, const GlyphSurface& s) override {
    if (unit >= 0xD800 && unit <= 0xDFFF) return {};  // half of a pair: nothing to draw
    SizedFace* sf = &main_;
    FT_UInt glyph = FT_Get_Char_Index(main_.face, unit);
    if (glyph == 0) {
      // Font linking: an installed face that has the character.
      if (SizedFace* fb = Fallback(unit)) {
        sf = fb;
        glyph = FT_Get_Char_Index(fb->face, unit);
      }
    }
    FT_Face f = sf->face;
    if (FT_Load_Glyph(f, glyph, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_MONO) != 0 &&
        FT_Load_Glyph(f, glyph, FT_LOAD_TARGET_MONO) != 0)
      return {};
    FT_GlyphSlot slot = f->glyph;
    if (sf->embolden && slot->format == FT_GLYPH_FORMAT_OUTLINE) FT_GlyphSlot_Embolden(slot);
    if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return {};
    int advance = int((slot->advance.x + 32) >> 6);
    int penX = (s.width - advance) / 2;  // DT_CENTER
    int baseline = s.height - main_.descent;  // DT_BOTTOM: the line's bottom on the edge
    return CopyMono(slot->bitmap, penX + slot->bitmap_left, baseline - slot->bitmap_top, s);
  }

  const std::string& Family() const override { return family_; }
  bool SyntheticBold() const override { return main_.embolden; }

 private:
  // A face with the character, found once per character range and kept.
  SizedFace* Fallback(uint16_t unit) {
    // A face already opened for another character usually has this one too.
    for (auto& [key, s] : fallbacks_)
      if (s.face && FT_Get_Char_Index(s.face, unit) != 0) return &s;
    if (missing_.count(unit)) return nullptr;
    FaceChoice c;
    if (!CatalogFaceWithChar(family_, unit, &c)) {
      missing_.insert(unit);  // no face has it: do not ask again
      return nullptr;
    }
    std::string key = c.file + '#' + std::to_string(c.index);
    auto it = fallbacks_.find(key);
    if (it == fallbacks_.end()) {
      SizedFace s;
      if (FT_New_Face(FreeTypeLibrary(), c.file.c_str(), c.index, &s.face) != 0) s.face = nullptr;
      if (s.face && !SizeFace(&s, line_)) {
        FT_Done_Face(s.face);
        s.face = nullptr;
      }
      if (s.face) s.embolden = !c.bold && !(s.face->style_flags & FT_STYLE_FLAG_BOLD);
      it = fallbacks_.emplace(key, s).first;
    }
    if (!it->second.face || FT_Get_Char_Index(it->second.face, unit) == 0) return nullptr;
    return &it->second;
  }

  std::string family_;
  int line_ = 0;
  std::vector<uint8_t> bytes_;  // the font file's bytes when loaded from memory
  SizedFace main_;
  std::map<std::string, SizedFace> fallbacks_;
  std::set<uint16_t> missing_;  // characters no installed face has
};

// What a font draws with when the system has no face at all: nothing, so the
// game goes on without text rather than stopping.
class BlankFace final : public FontFace {
 public:
  InkRect Draw(uint16_t, const GlyphSurface&) override { return {}; }
  const std::string& Family() const override { return family_; }
  bool SyntheticBold() const override { return false; }

 private:
  std::string family_;
};

}  // namespace

bool IsFontFileName(const char* name) {
  size_t n = strlen(name);
  if (n < 4 || name[n - 4] != '.') return false;
  char ext[4];
  for (int i = 0; i < 3; ++i) ext[i] = char(tolower(static_cast<unsigned char>(name[n - 3 + i])));
  ext[3] = 0;
  return !strcmp(ext, "ttf") || !strcmp(ext, "otf") || !strcmp(ext, "ttc") || !strcmp(ext, "otc");
}

std::vector<std::string> FaceAliases(const char* name) {
  std::string folded = FoldFaceName(name);
  for (const Alias& a : kAliases)
    for (const char* n : a.names)
      if (n && FoldFaceName(n) == folded) {
        std::vector<std::string> out;
        for (const char* f : a.families)
          if (f) out.push_back(f);
        return out;
      }
  return {};
}

bool ChooseFace(const char* name, FaceChoice* out) {
  *out = FaceChoice{};
  if (!*name) {
    if (ChooseInstalled({std::begin(kFixedPitchJapanese), std::end(kFixedPitchJapanese)}, out)) return true;
    return CatalogBestMatch("", out);
  }
  // The face itself when the system has it (on Windows, the faces games
  // name are installed), else its look-alikes, else the best match.
  std::vector<std::string> aliases = FaceAliases(name);
  if (!aliases.empty() && (CatalogFindFamily(name, out) || ChooseInstalled(aliases, out))) return true;
  *out = FaceChoice{};
  return CatalogBestMatch(name, out);
}

FontFaceStatus OpenFontFace(const char* name, int lineHeight, std::unique_ptr<FontFace>* out) {
  if (!FreeTypeLibrary()) {
    *out = std::make_unique<BlankFace>();
    return FontFaceStatus::Ok;
  }
  auto face = std::make_unique<FreeTypeFace>();
  FaceChoice c;
  std::vector<uint8_t> bytes;
  bool found = false;
  std::unique_ptr<ResourceStream> file;
  if (IsFontFileName(name)) file = OpenResourceStream(name, MemberBytes::Deciphered, &found);
  if (found) {
    if (!file || !ReadRest(*file, &bytes)) return FontFaceStatus::FileUnreadable;
    if (bytes.empty()) return FontFaceStatus::FileCorrupt;
    c.family = name;
  } else {
    if (!ChooseFace(name, &c)) {
      static bool reported = false;
      if (!reported) fprintf(stderr, "qor: no font installed for \"%s\"; text is not drawn\n", name);
      reported = true;
      *out = std::make_unique<BlankFace>();
      return FontFaceStatus::Ok;
    }
    if (c.substituted) {
      static std::set<std::string> reported;
      if (reported.insert(name).second)
        fprintf(stderr, "qor: font \"%s\" not found; using \"%s\"\n", name, c.family.c_str());
    }
  }
  FontFaceStatus st = face->Open(c, std::move(bytes), lineHeight);
  if (st != FontFaceStatus::Ok) return st;
  *out = std::move(face);
  return FontFaceStatus::Ok;
}

}  // namespace qor
