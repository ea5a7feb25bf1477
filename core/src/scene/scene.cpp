#include "scene/scene.h"

#include "services/debuglog.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

namespace kvx {

scene::scene() {
  objects.reserve(100);
  KVX_LOG(LOG_INFO, "scene::scene()\n");
}

scene::~scene() {
  Clear();
  KVX_LOG(LOG_INFO, "scene::~scene()\n");
}

void scene::Clear() {
  for (std::string& text : authorStamp) text.clear();
  matrices.clear();
  lights.clear();
  std::vector<std::unique_ptr<SceneObject>>().swap(objects);  // capacity 0
  textures.clear();
  views.clear();
  resetFields();
}

void scene::resetFields() {
  cutBox = nullptr;
  cutPlane = nullptr;
  readCutBox.reset();
  readCutPlane.reset();
  progress = nullptr;
  readPassword = writePassword = false;
  readPasswordText.clear();
  writePasswordText.clear();
  fileVersion = 0;
  matrix = kIdentityMatrix;
  std::memset(background, 0, sizeof background);
  currentView = 0;
  bounds = {};
  std::memset(center, 0, sizeof center);
  radius = 0;
  sceneFlags = 0;
  blobImage = {};
}

bool scene::AddObjet(std::unique_ptr<SceneObject>& handle) {
  if (!handle) return false;
  if (objects.size() == objects.capacity()) {
    size_t capacity = objects.capacity() + 500;
    try {
      objects.reserve(capacity);
    } catch (const std::bad_alloc&) {
      KVX_LOG(LOG_ERROR, "scene::AddObjet:malloc failed,alloc %d\n", static_cast<int>(capacity));
      std::vector<std::unique_ptr<SceneObject>>().swap(objects);
      return false;
    }
  }
  handle->geometry->shrinkToFit();
  objects.push_back(std::move(handle));
  return true;
}

void scene::createCurrentView() {
  if (!views.empty()) return;
  SceneView current;
  current.name = "Current View";
  views.push_back(std::move(current));
}

void scene::addView(const char* name) {
  createCurrentView();
  SceneView view = views[0];
  if (name) {
    view.name = name;
  } else {
    char generated[32];
    std::snprintf(generated, sizeof generated, "View %02d", static_cast<int>(views.size()) + 1);
    view.name = generated;
  }
  view.text.clear();
  views.push_back(std::move(view));
}

void scene::copyViewToCurrent(int32_t k) {
  if (k <= 0 || views.empty() || k >= static_cast<int32_t>(views.size())) return;
  views[0] = views[k];
}

void scene::setBackground(uint8_t r, uint8_t g, uint8_t b) {
  background[0] = r;
  background[1] = g;
  background[2] = b;
}

void scene::getBackground(uint8_t& r, uint8_t& g, uint8_t& b) const {
  r = background[0];
  g = background[1];
  b = background[2];
}

void blobBitmapSize(uint32_t length, uint16_t& width, uint16_t& height) {
  const uint64_t words = (static_cast<uint64_t>(length) + 4 + 3) / 4;
  uint64_t h = 1;
  while (words / h > 65533) ++h;
  width = static_cast<uint16_t>((words + h - 1) / h);
  height = static_cast<uint16_t>(h);
}

namespace {

// Walking the names upwards past the first entry, one more than the first
// name followed by a gap; else one more than the last name.
uint32_t freeBlobName(const TextureTable::Map& entries) {
  if (entries.empty()) return 0xCACABEEE;
  auto it = std::next(entries.begin());
  if (it == entries.end()) it = entries.begin();
  for (auto next = std::next(it); next != entries.end(); ++it, ++next)
    if (next->first > it->first + 1) return it->first + 1;
  return it->first == 0xFFFFFFFF ? 0xFEEBAACC : it->first + 1;
}

}  // namespace

bool scene::add_blob(int32_t type, uint32_t length, const uint8_t* bytes) {
  auto blob = std::make_unique<SceneTexture>();
  blobBitmapSize(length, blob->width, blob->height);
  try {
    blob->bitmap.assign(static_cast<size_t>(blob->width) * blob->height * 4, 0);
  } catch (const std::bad_alloc&) {
    KVX_LOG(LOG_ERROR, "scene::add_blob: out of memory\n");
    return false;
  }
  blob->bitmap[0] = static_cast<uint8_t>(length >> 24);
  blob->bitmap[1] = static_cast<uint8_t>(length >> 16);
  blob->bitmap[2] = static_cast<uint8_t>(length >> 8);
  blob->bitmap[3] = static_cast<uint8_t>(length);
  if (length) std::memcpy(blob->bitmap.data() + 4, bytes, length);
  blob->internalFormat = (type << 16) | 4;
  blob->name = freeBlobName(textures.entries());
  textures.add(std::move(blob));
  return true;
}

std::optional<std::span<const uint8_t>> scene::findBlob(int32_t type) const {
  for (const auto& [name, texture] : textures.entries()) {
    if (!texture->isBlob() || texture->blobType() != type || texture->bitmap.size() < 4) continue;
    const uint8_t* b = texture->bitmap.data();
    uint32_t length = (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
    if (length > texture->bitmap.size() - 4) continue;  // a damaged blob is not handed out
    return std::span<const uint8_t>(b + 4, length);
  }
  return std::nullopt;
}

bool scene::loadBlobImage() {
  auto bytes = findBlob(BLOB_IMAGE);
  if (!bytes || bytes->size() < 8) return false;
  auto le32 = [&](size_t at) {
    const uint8_t* p = bytes->data() + at;
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
  };
  uint64_t w = le32(0), h = le32(4);
  if (w * h * 4 > bytes->size() - 8) return false;
  blobImage.width = static_cast<int32_t>(w);
  blobImage.height = static_cast<int32_t>(h);
  blobImage.pixels.assign(bytes->begin() + 8, bytes->begin() + 8 + w * h * 4);
  blobImage.translucent = false;
  for (size_t i = 3; i < blobImage.pixels.size(); i += 4)
    if (blobImage.pixels[i] != 0 && blobImage.pixels[i] != 255) blobImage.translucent = true;
  return true;
}

Bounds scene::computeBounds(int32_t first, int32_t last, bool selectionAware) const {
  Bounds result;
  if (first < 0) first = 0;
  if (last >= objectCount()) last = objectCount() - 1;
  bool onlyMarked = false;
  if (selectionAware) {
    long marked = 0;
    for (int32_t i = first; i <= last; ++i) {
      const geom& g = *objects[i]->geometry;
      if (g.boundsMark != 0) continue;
      if (g.mark) {
        marked += g.vertexCount();
        continue;
      }
      for (const Vertex& v : g.vertices) marked += v.mark ? 1 : 0;
    }
    onlyMarked = marked > 1;
  }
  bool firstTaken = false;
  for (int32_t i = first; i <= last; ++i) {
    const geom& g = *objects[i]->geometry;
    if (onlyMarked && g.boundsMark != 0) continue;
    for (const Vertex& v : g.vertices) {
      if (onlyMarked && !g.mark && !v.mark) continue;
      if (!firstTaken) {
        result.v[0] = result.v[1] = v.x;
        result.v[2] = result.v[3] = v.y;
        result.v[4] = result.v[5] = v.z;
        firstTaken = true;
        continue;
      }
      result.v[0] = std::min(result.v[0], v.x);
      result.v[1] = std::max(result.v[1], v.x);
      result.v[2] = std::min(result.v[2], v.y);
      result.v[3] = std::max(result.v[3], v.y);
      result.v[4] = std::min(result.v[4], v.z);
      result.v[5] = std::max(result.v[5], v.z);
    }
  }
  return result;
}

void scene::updateBounds() {
  bounds = computeBounds(0, objectCount() - 1, false);
  const float* b = bounds.v;
  center[0] = (b[0] + b[1]) / 2;
  center[1] = (b[2] + b[3]) / 2;
  center[2] = (b[4] + b[5]) / 2;
  const float dx = b[1] - b[0], dy = b[3] - b[2], dz = b[5] - b[4];
  radius = std::sqrt(dx * dx + dy * dy + dz * dz) / 2;
}

}  // namespace kvx
