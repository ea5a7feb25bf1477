#include "render/text_labels.h"

#include "render/gl_scopes.h"

#include <GL/gl.h>

#include <cstring>

namespace kvx {
namespace {

// Little-endian reader over the annotation blob.
struct BlobReader {
  std::span<const uint8_t> bytes;
  size_t at = 0;

  bool has(size_t n) const { return bytes.size() - at >= n; }
  uint8_t byte() { return bytes[at++]; }
  float f32() {
    uint32_t v = uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
                 uint32_t(bytes[at + 3]) << 24;
    at += 4;
    float f;
    std::memcpy(&f, &v, sizeof f);
    return f;
  }
};

constexpr size_t kFixedPart = 1 + 3 * 4 + 16 * 4 + 3 + 1;

}  // namespace

std::vector<TextLabel> readTextLabels(const scene& scene) {
  std::vector<TextLabel> labels;
  auto blob = scene.findBlob(BLOB_ANNOTATIONS);
  if (!blob) return labels;
  BlobReader in{*blob};
  while (in.has(kFixedPart)) {
    TextLabel label;
    label.kind = in.byte() ? TextLabel::OUTLINE : TextLabel::BITMAP;
    for (float& p : label.position) p = in.f32();
    for (float& m : label.matrix) m = in.f32();
    for (uint8_t& c : label.color) c = in.byte();
    const size_t length = in.byte();
    if (!in.has(length)) break;
    label.text.assign(reinterpret_cast<const char*>(in.bytes.data() + in.at), length);
    in.at += length;
    labels.push_back(std::move(label));
  }
  return labels;
}

void drawTextLabels(const std::vector<TextLabel>& labels, FontLists& bitmapFont, FontLists& outlineFont) {
  if (labels.empty()) return;
  const AttribScope restored(GL_ENABLE_BIT | GL_LIST_BIT | GL_CURRENT_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  for (const TextLabel& label : labels) {
    FontLists& font = label.kind == TextLabel::OUTLINE ? outlineFont : bitmapFont;
    if (!font.attempted) label.kind == TextLabel::OUTLINE ? buildOutlineFont(font) : buildBitmapFont(font);
    if (!font.base) continue;
    glColor3ub(label.color[0], label.color[1], label.color[2]);
    glListBase(font.base);
    if (label.kind == TextLabel::OUTLINE) {
      const MatrixScope placed(GL_MODELVIEW);
      glMultMatrixf(label.matrix.data());
      glCallLists(static_cast<GLsizei>(label.text.size()), GL_UNSIGNED_BYTE, label.text.data());
    } else {
      glRasterPos3fv(label.position);
      glCallLists(static_cast<GLsizei>(label.text.size()), GL_UNSIGNED_BYTE, label.text.data());
    }
  }
}

}  // namespace kvx
