#pragma once
// Lights, views (cameras) and textures of a scene.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kvx {

enum LightKind : int32_t { LIGHT_AMBIENT = 0, LIGHT_DIRECTIONAL = 1, LIGHT_POINT = 2, LIGHT_SPOT = 3 };

struct SceneLight {
  int32_t kind = LIGHT_AMBIENT;
  uint8_t r = 0, g = 0, b = 0;
  // 0-2 position, 3-5 direction, 6 spot cone angle, 7-9 kept but unused.
  float values[10] = {};
};

// Indices into SceneView::camera.
enum CameraValue { CAM_EYE = 0, CAM_TARGET = 3, CAM_FOV = 6, CAM_UNUSED = 7, CAM_PAN_X = 8, CAM_PAN_Y = 9 };

struct SceneView {
  float camera[10] = {};  // eye, target (centre of rotation), fov, unused, pan x, pan y
  std::string name;
  float rotation[4] = {0, 0, 0, 1};  // quaternion x, y, z, w
  std::string text;                  // annotation
};

struct SceneTexture {
  uint16_t width = 0;
  uint16_t height = 0;
  std::vector<uint8_t> bitmap;  // width * height * 4 bytes, RGBA
  int32_t internalFormat = 4;
  uint32_t name = 0;
  int32_t refCount = 1;
  uint32_t glTexture = 0;  // created by the renderer

  // Typed binary attachments are stored as textures with this format.
  bool isBlob() const { return (internalFormat & 0xFFFF) == 4 && (internalFormat >> 16) != 0; }
  int32_t blobType() const { return internalFormat >> 16; }
};

// Textures ordered by ascending name, one entry per name.
class TextureTable {
 public:
  using Map = std::map<uint32_t, std::unique_ptr<SceneTexture>>;

  // Inserts under the texture's name; an entry already there is replaced.
  SceneTexture* add(std::unique_ptr<SceneTexture> texture);
  SceneTexture* find(uint32_t name) const;
  // Count + 1; false for an unknown name.
  bool addReference(uint32_t name);
  // -1: unknown name (logged); 1: the last reference went and the entry was
  // destroyed; 0: still referenced.
  int release_texture(uint32_t name);
  // Removes every entry, deleting the OpenGL texture objects.
  void clear();

  size_t size() const { return textures_.size(); }
  bool empty() const { return textures_.empty(); }
  const Map& entries() const { return textures_; }
  Map& entries() { return textures_; }
  // Writes one debug line per texture at the dump level.
  void dump() const;

 private:
  Map textures_;
};

}  // namespace kvx
