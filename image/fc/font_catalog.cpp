// The face catalog through fontconfig: matches at weight 700 with Japanese
// preferred, and fontconfig's sorted fallback list for missing characters.
#include "image/font_catalog.h"

#include <fontconfig/fontconfig.h>

namespace qor {
namespace {

bool FontconfigReady() {
  static bool ok = FcInit() == FcTrue;
  return ok;
}

bool FamilyOf(FcPattern* p, const std::string& family) {
  FcChar8* s = nullptr;
  std::string folded = FoldFaceName(family);
  for (int i = 0; FcPatternGetString(p, FC_FAMILY, i, &s) == FcResultMatch; ++i)
    if (FoldFaceName(reinterpret_cast<const char*>(s)) == folded) return true;
  return false;
}

// fontconfig's best match for a family at weight 700 (null when none).
FcPattern* MatchFamily(const char* family, bool fixedPitch) {
  if (!FontconfigReady()) return nullptr;
  FcPattern* pat = FcPatternCreate();
  if (!pat) return nullptr;
  if (family && *family) FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  else FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>("monospace"));
  FcPatternAddInteger(pat, FC_WEIGHT, FC_WEIGHT_BOLD);
  FcPatternAddString(pat, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  if (fixedPitch) FcPatternAddInteger(pat, FC_SPACING, FC_MONO);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult r;
  FcPattern* m = FcFontMatch(nullptr, pat, &r);
  FcPatternDestroy(pat);
  return m;
}

bool FillChoice(FcPattern* m, FaceChoice* out) {
  FcChar8* file = nullptr;
  FcChar8* fam = nullptr;
  if (FcPatternGetString(m, FC_FILE, 0, &file) != FcResultMatch) return false;
  if (FcPatternGetString(m, FC_FAMILY, 0, &fam) == FcResultMatch) out->family = reinterpret_cast<const char*>(fam);
  out->file = reinterpret_cast<const char*>(file);
  int index = 0, weight = 0;
  FcBool embolden = FcFalse;
  FcPatternGetInteger(m, FC_INDEX, 0, &index);
  FcPatternGetInteger(m, FC_WEIGHT, 0, &weight);
  // fontconfig's synthetic-bold rule reports a regular face as bold and asks
  // for emboldening: that face is not bold itself.
  FcPatternGetBool(m, FC_EMBOLDEN, 0, &embolden);
  out->index = index;
  out->bold = weight >= FC_WEIGHT_DEMIBOLD && !embolden;
  return true;
}

}  // namespace

bool CatalogFindFamily(const std::string& family, FaceChoice* out) {
  FcPattern* m = MatchFamily(family.c_str(), false);
  if (!m) return false;
  bool ok = FamilyOf(m, family) && FillChoice(m, out);
  FcPatternDestroy(m);
  if (ok) out->family = family;
  return ok;
}

bool CatalogBestMatch(const std::string& name, FaceChoice* out) {
  FcPattern* m = MatchFamily(name.c_str(), true);
  if (!m) return false;
  bool ok = FillChoice(m, out);
  if (ok && !name.empty() && !FamilyOf(m, name)) out->substituted = true;
  FcPatternDestroy(m);
  return ok;
}

bool CatalogFaceWithChar(const std::string& family, char32_t cp, FaceChoice* out) {
  if (!FontconfigReady()) return false;
  FcPattern* pat = FcPatternCreate();
  FcCharSet* cs = FcCharSetCreate();
  if (!pat || !cs) {
    if (pat) FcPatternDestroy(pat);
    if (cs) FcCharSetDestroy(cs);
    return false;
  }
  FcCharSetAddChar(cs, cp);
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddCharSet(pat, FC_CHARSET, cs);
  FcPatternAddInteger(pat, FC_WEIGHT, FC_WEIGHT_BOLD);
  FcPatternAddString(pat, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult r;
  FcFontSet* set = FcFontSort(nullptr, pat, FcFalse, nullptr, &r);
  FcPatternDestroy(pat);
  FcCharSetDestroy(cs);
  if (!set) return false;
  bool found = false;
  for (int i = 0; i < set->nfont && !found; ++i) {
    FcCharSet* have = nullptr;
    if (FcPatternGetCharSet(set->fonts[i], FC_CHARSET, 0, &have) == FcResultMatch && FcCharSetHasChar(have, cp))
      found = FillChoice(set->fonts[i], out);
  }
  FcFontSetDestroy(set);
  return found;
}

}  // namespace qor
