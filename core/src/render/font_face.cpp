#include "render/font_face.h"

#include "services/debuglog.h"

#include <fontconfig/fontconfig.h>

#include <string>

namespace kvx {
namespace {

FT_Library library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l) != 0) l = nullptr;
    return l;
  }();
  return lib;
}

std::string matchFontFile(const char* family, int& index) {
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
  if (!pattern) return {};
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  std::string path;
  FcChar8* file = nullptr;
  if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
    path = reinterpret_cast<const char*>(file);
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
  }
  if (match) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return path;
}

}  // namespace

FT_Face openFontFace(const char* family) {
  if (!library()) return nullptr;
  int index = 0;
  const std::string path = matchFontFile(family, index);
  FT_Face face = nullptr;
  if (path.empty() || FT_New_Face(library(), path.c_str(), index, &face) != 0) {
    KVX_LOG(LOG_WARNING, "openFontFace: no font for %s\n", family);
    return nullptr;
  }
  return face;
}

}  // namespace kvx
