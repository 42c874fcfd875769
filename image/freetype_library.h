// The process's one FreeType library object, shared by the face loader and
// the Windows font-folder scan. Null when FreeType could not start.
#pragma once
#include <ft2build.h>
#include FT_FREETYPE_H

namespace qor {

FT_Library FreeTypeLibrary();

}  // namespace qor
