// The folder catalog: FreeType reads each face's names, weight, slant,
// pitch and whether it has kana; questions are answered by simple scores.
#include "image/font_folder_catalog.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "image/font_face.h"
#include "image/freetype_library.h"
#include "platform/text.h"

namespace qor {
namespace {

// A name record's text as UTF-8: UTF-16BE for the Unicode encodings, bytes
// for the Macintosh Roman ones (ASCII in practice); "" for anything else.
std::string NameText(const FT_SfntName& n) {
  std::string out;
  bool utf16 = (n.platform_id == TT_PLATFORM_MICROSOFT &&
                (n.encoding_id == TT_MS_ID_UNICODE_CS || n.encoding_id == TT_MS_ID_SYMBOL_CS)) ||
               n.platform_id == TT_PLATFORM_APPLE_UNICODE;
  if (utf16) {
    for (FT_UInt i = 0; i + 1 < n.string_len; i += 2) {
      char32_t cp = char32_t(n.string[i]) << 8 | n.string[i + 1];
      if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < n.string_len) {
        char32_t lo = char32_t(n.string[i + 2]) << 8 | n.string[i + 3];
        cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
        i += 2;
      }
      platform::AppendUtf8(out, cp);
    }
  } else if (n.platform_id == TT_PLATFORM_MACINTOSH && n.encoding_id == TT_MAC_ID_ROMAN) {
    for (FT_UInt i = 0; i < n.string_len; ++i)
      if (n.string[i] < 0x80) out += char(n.string[i]);
  }
  return out;
}

}  // namespace

void FolderCatalog::AddFile(const std::string& path) {
  FT_Library lib = FreeTypeLibrary();
  if (!lib || !IsFontFileName(path.c_str())) return;
  FT_Face probe = nullptr;
  if (FT_New_Face(lib, path.c_str(), -1, &probe) != 0) return;
  FT_Long count = probe->num_faces;
  FT_Done_Face(probe);
  for (FT_Long i = 0; i < count; ++i) {
    FT_Face face = nullptr;
    if (FT_New_Face(lib, path.c_str(), i, &face) != 0) continue;
    Face f;
    f.file = path;
    f.index = int(i);
    if (face->family_name) f.family = face->family_name;
    if (!f.family.empty()) f.folded.push_back(FoldFaceName(f.family));
    // Family names in every language: name 1 (family) and 16 (typographic family).
    for (FT_UInt k = 0, n = FT_Get_Sfnt_Name_Count(face); k < n; ++k) {
      FT_SfntName rec;
      if (FT_Get_Sfnt_Name(face, k, &rec) != 0) continue;
      if (rec.name_id != TT_NAME_ID_FONT_FAMILY && rec.name_id != TT_NAME_ID_TYPOGRAPHIC_FAMILY) continue;
      std::string name = NameText(rec);
      if (name.empty()) continue;
      std::string folded = FoldFaceName(name);
      if (std::find(f.folded.begin(), f.folded.end(), folded) == f.folded.end()) f.folded.push_back(folded);
      if (f.family.empty()) f.family = name;
    }
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    f.bold = (face->style_flags & FT_STYLE_FLAG_BOLD) || (os2 && os2->version != 0xFFFF && os2->usWeightClass >= 600);
    f.italic = face->style_flags & FT_STYLE_FLAG_ITALIC;
    // Fixed pitch by the face's own flag or its PANOSE proportion (CJK faces
    // with full-width ideographs carry only the latter).
    f.fixedPitch = FT_IS_FIXED_WIDTH(face) || (os2 && os2->version != 0xFFFF && os2->panose[3] == 9);
    f.japanese = FT_Get_Char_Index(face, 0x3042) != 0;  // あ
    FT_Done_Face(face);
    if (!f.folded.empty()) faces_.push_back(std::move(f));
  }
}

void FolderCatalog::AddFolder(const std::string& folder) {
  std::error_code ec;
  std::vector<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(folder, ec))
    if (e.is_regular_file(ec)) files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  for (const std::string& f : files) AddFile(f);
}

bool FolderCatalog::HasFamily(const Face& f, const std::string& folded) const {
  return std::find(f.folded.begin(), f.folded.end(), folded) != f.folded.end();
}

int FolderCatalog::Score(const Face& f) const {
  return (f.italic ? 0 : 8) + (f.japanese ? 4 : 0) + (f.fixedPitch ? 2 : 0) + (f.bold ? 1 : 0);
}

bool FolderCatalog::FindFamily(const std::string& family, FaceChoice* out) const {
  std::string folded = FoldFaceName(family);
  const Face* best = nullptr;
  for (const Face& f : faces_)
    if (HasFamily(f, folded) && (!best || Score(f) > Score(*best))) best = &f;
  if (!best) return false;
  *out = FaceChoice{family, best->file, best->index, best->bold, false};
  return true;
}

bool FolderCatalog::BestMatch(const std::string& name, FaceChoice* out) const {
  if (!name.empty() && FindFamily(name, out)) return true;
  const Face* best = nullptr;
  for (const Face& f : faces_)
    if (!best || Score(f) > Score(*best)) best = &f;
  if (!best) return false;
  *out = FaceChoice{best->family, best->file, best->index, best->bold, !name.empty()};
  return true;
}

bool FolderCatalog::FaceWithChar(const std::string& family, char32_t cp, FaceChoice* out) const {
  FT_Library lib = FreeTypeLibrary();
  if (!lib) return false;
  // Candidates best first: the family's own faces, then by score.
  std::string folded = FoldFaceName(family);
  std::vector<const Face*> order;
  for (const Face& f : faces_) order.push_back(&f);
  auto rank = [&](const Face* f) { return (HasFamily(*f, folded) ? 16 : 0) + Score(*f); };
  std::stable_sort(order.begin(), order.end(), [&](const Face* a, const Face* b) { return rank(a) > rank(b); });
  for (const Face* f : order) {
    FT_Face face = nullptr;
    if (FT_New_Face(lib, f->file.c_str(), f->index, &face) != 0) continue;
    bool has = FT_Get_Char_Index(face, cp) != 0;
    FT_Done_Face(face);
    if (has) {
      *out = FaceChoice{f->family, f->file, f->index, f->bold, false};
      return true;
    }
  }
  return false;
}

}  // namespace qor
