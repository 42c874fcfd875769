// A face catalog built from font files read with FreeType, for systems whose
// fonts are plain files in known folders (Windows). Every family name a face
// carries counts, the Japanese-language ones included ("ＭＳ ゴシック" as well
// as "MS Gothic"). Lua-free.
#pragma once
#include <string>
#include <vector>

#include "image/font_catalog.h"

namespace qor {

class FolderCatalog {
 public:
  // Adds every face of a .ttf/.otf/.ttc/.otc file; files FreeType cannot
  // read are skipped. Faces are kept in the order added.
  void AddFile(const std::string& path);
  // Adds the font files of a folder (not its subfolders), in name order.
  void AddFolder(const std::string& folder);

  size_t Size() const { return faces_.size(); }

  // The catalog interface's three questions (see font_catalog.h).
  bool FindFamily(const std::string& family, FaceChoice* out) const;
  bool BestMatch(const std::string& name, FaceChoice* out) const;
  bool FaceWithChar(const std::string& family, char32_t cp, FaceChoice* out) const;

 private:
  struct Face {
    std::string file;
    int index = 0;
    std::string family;               // the face's own (first) family name
    std::vector<std::string> folded;  // every family name, folded
    bool bold = false, italic = false, fixedPitch = false, japanese = false;
  };
  bool HasFamily(const Face& f, const std::string& folded) const;
  int Score(const Face& f) const;  // weight 700, upright, Japanese, fixed pitch
  std::vector<Face> faces_;
};

}  // namespace qor
