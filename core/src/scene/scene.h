#pragma once
// The in-memory form of one scene file.
#include "format/serializer.h"
#include "kvx_sdk.h"
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

namespace kvx {

using ProgressFn = void (*)(float);

// Results of scene::Read and scene::Write below 8; larger values are sizes.
enum FileResult : int32_t {
  FILE_NEWER_VERSION = 0,  // read: written by a newer program
  FILE_CORRUPT = 1,        // read: not a scene file, corrupt, or wrong pass phrase
  FILE_CANNOT_OPEN = 3,
  FILE_IO_ERROR = 4,
  FILE_NO_OBJECTS = 5,     // write: nothing to store
  FILE_CANNOT_CIPHER = 6,  // read: cannot decipher; write: a sink cannot be created
  FILE_NEEDS_PASS = 7,     // read: enciphered and no pass phrase given
};

// The sceneFlags bits the file code names (values in kvx_commands.h).
enum SceneFlag : uint32_t {
  SCENE_RAW_CAPTURE = KVX_SCENE_RAW_CAPTURE,
  SCENE_STORED_INVERTED = KVX_SCENE_SHOW_FACES,
};

// Blob types stored in the texture table.
enum BlobType : int32_t { BLOB_IMAGE = 1, BLOB_ANNOTATIONS = 3 };

struct Bounds {
  float v[6] = {0, 0, 0, 0, 0, 0};  // x min, x max, y min, y max, z min, z max
};

// Box of the cutting-plane range: min x, y, z, max x, y, z, diagonal length.
using CutBox = std::array<float, 7>;

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
  // The merge reader (core/src/geometry/): reads a file as Read does, but
  // adds its objects to this scene, replacing those it brings again, then
  // optimises the whole. Same arguments and results as Read.
  int32_t ReadMerge(const char* fileName, const char* passPhrase, bool* rawCapture, ProgressFn progress,
                    std::unique_ptr<CutBox>* cutBoxOut, std::unique_ptr<kvx_CutPlane>* cutPlaneOut);

  // Scene files (core/src/format/). Read clears the scene and fills it from
  // a file; Write stores it. Both return the file size (always above 8) on
  // success, else a FileResult code.
  int32_t Read(const char* fileName, const char* passPhrase, bool* rawCapture, ProgressFn progress,
               std::unique_ptr<CutBox>* cutBoxOut, std::unique_ptr<kvx_CutPlane>* cutPlaneOut,
               bool merging);
  int32_t Write(const char* fileName, const kvx_CryptoDesc* crypto, int sinkKind,
                bool forceCompression, ProgressFn progress, const CutBox* cutBox,
                const kvx_CutPlane* cutPlane);
  // The payload (the file body once deciphered and inflated). serialise
  // writes through ser's sink; deserialise takes the buffer and fills the
  // scene, using ser.version for the layout.
  void serialise();
  bool deserialise(std::unique_ptr<uint8_t[]> payload, int32_t length);

  // The records of the cutting plane, borrowed from the caller while writing.
  const CutBox* cutBox = nullptr;
  const kvx_CutPlane* cutPlane = nullptr;
  // The same records as read from a file, until Read hands them out.
  std::unique_ptr<CutBox> readCutBox;
  std::unique_ptr<kvx_CutPlane> readCutPlane;
  ProgressFn progress = nullptr;
  serializer ser;

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
