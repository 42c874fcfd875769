// The installed faces, behind one small interface with a backend per system:
// fontconfig on POSIX (image/fc/), a scan of the Fonts folders on Windows
// (image/win/). The alias table and the choice rules live in font_face.cpp
// and are the same everywhere. Lua-free.
#pragma once
#include <string>

namespace qor {

// One installed face: where it is and what it is.
struct FaceChoice {
  std::string family;
  std::string file;
  int index = 0;
  bool bold = false;         // the file holds a bold face
  bool substituted = false;  // the name was not found; this is the best match
};

// Folds a face name for comparison: full-width ASCII to ASCII, ASCII letters
// to lower case, spaces (half- and full-width) dropped.
std::string FoldFaceName(const std::string& name);

// The installed face of family `family` (folded names compared) at weight
// 700: a bold face when the family has one, else its regular face. False when
// no face of that family is installed.
bool CatalogFindFamily(const std::string& family, FaceChoice* out);

// The catalog's best face for `name` at weight 700 when no face has that
// family, preferring fixed-pitch faces with Japanese; for an empty name the
// system's fixed-pitch face. `out->family` is the face's own family;
// `out->substituted` is set when it is not `name`. False when no face is
// installed at all.
bool CatalogBestMatch(const std::string& name, FaceChoice* out);

// A face that has the character `cp`, the one closest to `family` (Japanese
// faces and weight 700 preferred). False when no installed face has it.
bool CatalogFaceWithChar(const std::string& family, char32_t cp, FaceChoice* out);

}  // namespace qor
