#pragma once
// The in-memory form of one scene file.
#include "scene/geom.h"
#include "scene/scene_object.h"
#include "scene/scene_records.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct kvx_CutPlane;

namespace kvx {

using ProgressFn = void (*)(float);

// sceneFlags bits.
enum SceneFlag : uint32_t {
  SCENE_RAW_CAPTURE = 0x40,      // not optimised yet
  SCENE_STORED_INVERTED = 0x800,
};

// Blob types stored in the texture table.
enum BlobType : int32_t { BLOB_IMAGE = 1, BLOB_ANNOTATIONS = 3 };

struct Bounds {
  float v[6] = {0, 0, 0, 0, 0, 0};  // x min, x max, y min, y max, z min, z max
};

class scene {
 public:
  scene();
  ~scene();
  scene(const scene&) = delete;
  scene& operator=(const scene&) = delete;

  // Frees everything and resets every field to its default (object capacity 0).
  void Clear();

  // Takes the object out of `handle` (left empty) and appends it, after
  // shrinking its arrays to their exact counts. The object array grows by
  // 500 slots at a time. False when it cannot grow (the scene then has no objects).
  bool AddObjet(std::unique_ptr<SceneObject>& handle);
  int32_t objectCount() const { return static_cast<int32_t>(objects.size()); }
  int32_t objectCapacity() const { return static_cast<int32_t>(objects.capacity()); }

  // Views: view 0 is the working ("current") view.
  void createCurrentView();
  // Appends a copy of view 0 named `name`, or "View %02d" with the new count.
  void addView(const char* name);
  // Copies view k into view 0; nothing for k = 0 or without views.
  void copyViewToCurrent(int32_t k);

  void setBackground(uint8_t r, uint8_t g, uint8_t b);
  void getBackground(uint8_t& r, uint8_t& g, uint8_t& b) const;

  // Stores a typed binary attachment under a free texture name.
  bool add_blob(int32_t type, uint32_t length, const uint8_t* bytes);
  // Bytes of the first blob of this type, or nothing.
  std::optional<std::span<const uint8_t>> findBlob(int32_t type) const;
  // Fills the blob image from blob type 1; false when there is none or it is malformed.
  bool loadBlobImage();

  // Bounds of objects first..last (inclusive), over all vertices or
  // selection-aware (only marked vertices when more than one is marked).
  Bounds computeBounds(int32_t first, int32_t last, bool selectionAware) const;
  // Scene bounds over all objects, then centre and radius.
  void updateBounds();

  // Geometry processing of captures (core/src/geometry/): normalises
  // primitives, merges look-alike objects, welds vertices. True on success.
  bool Optimize();
  // Post-processing enabled by the PROESPECIAL capture option.
  void ProSpecialPostProcess();
  // Removes object i, releasing its texture reference.
  void RemoveObject(int32_t i);
  // Removes objects first..last (clamped), without releasing textures.
  void RemoveObjects(int32_t first, int32_t last);

  // Held only while reading or writing; they belong to the SDK object.
  std::array<float, 7>* cutBox = nullptr;  // min xyz, max xyz, diagonal
  kvx_CutPlane* cutPlane = nullptr;
  ProgressFn progress = nullptr;

  // Passwords are kept with every byte increased by 7.
  bool readPassword = false;
  std::string readPasswordText;
  bool writePassword = false;
  std::string writePasswordText;

  uint8_t fileVersion = 0;
  Matrix4 matrix = kIdentityMatrix;
  std::vector<Matrix4> matrices;
  std::vector<std::unique_ptr<SceneLight>> lights;
  uint8_t background[3] = {0, 0, 0};
  std::vector<std::unique_ptr<SceneObject>> objects;
  std::vector<SceneView> views;
  int32_t currentView = 0;
  Bounds bounds;
  float center[3] = {0, 0, 0};
  float radius = 0;
  TextureTable textures;
  uint32_t sceneFlags = 0;

  struct BlobImage {
    std::vector<uint8_t> pixels;  // RGBA
    int32_t width = 0;
    int32_t height = 0;
    bool translucent = false;  // some alpha byte is neither 0 nor 255
  } blobImage;

  std::array<std::string, 5> authorStamp;  // each at most 255 bytes

 private:
  void resetFields();
};

// Bitmap size of a blob of `length` bytes, as a texture: w = ceil((length+4)/4)
// words, the smallest height h >= 1 with w / h <= 65533, width = ceil(w / h).
void blobBitmapSize(uint32_t length, uint16_t& width, uint16_t& height);

}  // namespace kvx
