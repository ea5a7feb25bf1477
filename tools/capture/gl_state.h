#pragma once
// What the interceptor keeps of one OpenGL context: matrix stacks, current
// vertex attributes, the few attributes that make an object's look, client
// arrays, and (shared between contexts that share lists) display lists and
// texture images.
#include "matrix4.h"

#include <GL/gl.h>

#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

namespace kvx::capture {

enum class OpKind : uint8_t {
  Begin, End, Vertex, Normal, Color, TexCoord,
  MatrixMode, LoadIdentity, LoadMatrix, MultMatrix, PushMatrix, PopMatrix,
  Material, ColorMaterial, Enable, Disable, ShadeModel, BindTexture, PointSize, LineWidth,
  PolygonMode, CallList, CallListWithBase, ListBase, PushAttrib, PopAttrib, Light, LightModel,
};

// One recorded call. Matrices live beside the ops of their list (`block`).
struct Op {
  OpKind kind;
  uint32_t a = 0, b = 0;
  double v[4] = {0, 0, 0, 1};
  uint32_t block = 0;
};

struct DisplayList {
  std::vector<Op> ops;
  std::vector<Mat4> matrices;
};

struct TextureImage {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;
  bool repeatS = true, repeatT = true;
};

// Lists and texture objects, shared by contexts created with a share list.
struct SharedObjects {
  std::unordered_map<uint32_t, DisplayList> lists;
  std::map<uint32_t, TextureImage> textures;
};

struct Material {
  float ambient[4] = {0.2f, 0.2f, 0.2f, 1};
  float diffuse[4] = {0.8f, 0.8f, 0.8f, 1};
  float specular[4] = {0, 0, 0, 1};
  float emission[4] = {0, 0, 0, 1};
  float shininess = 0;
};

struct ClientArray {
  bool enabled = false;
  int size = 4;
  GLenum type = GL_FLOAT;
  int stride = 0;
  const void* pointer = nullptr;
  bool inBuffer = false;  // an offset into a buffer object, not memory
};

struct ClientArrays {
  ClientArray vertex, normal, color, texCoord;
};

// The attributes that decide what an object looks like.
struct Look {
  Material material;
  bool lighting = false;
  bool texture2d = false;
  bool colorMaterial = false;
  GLenum colorMaterialMode = GL_AMBIENT_AND_DIFFUSE;
  bool smooth = true;
  uint32_t boundTexture = 0;
  float pointSize = 1, lineWidth = 1;
  GLenum polygonModeFront = GL_FILL;
};

struct LightSource {
  bool enabled = false;
  double position[4] = {0, 0, 1, 0};  // eye space, as GL keeps it
  float diffuse[4] = {0, 0, 0, 1};
};

inline constexpr int kLightCount = 8;

class FrameRecorder;

struct ContextState {
  std::shared_ptr<SharedObjects> shared = std::make_shared<SharedObjects>();

  GLenum matrixMode = GL_MODELVIEW;
  std::vector<Mat4> modelview{kIdentity}, projection{kIdentity}, texture{kIdentity};
  double color[4] = {1, 1, 1, 1};
  double normal[3] = {0, 0, 1};
  double texCoord[4] = {0, 0, 0, 1};
  Look look;
  LightSource lights[kLightCount];
  float lightModelAmbient[4] = {0.2f, 0.2f, 0.2f, 1};
  int viewport[4] = {0, 0, 0, 0};
  ClientArrays arrays;
  bool elementBufferBound = false, arrayBufferBound = false, programInUse = false;

  // Display list being compiled, and whether it also executes.
  std::unique_ptr<DisplayList> compiling;
  uint32_t compilingName = 0;
  bool compileAndExecute = false;
  uint32_t listBase = 0;
  int listDepth = 0;
  // glPushAttrib keeps the look and the current values whatever its mask.
  struct SavedAttributes {
    Look look;
    double color[4], normal[3], texCoord[4];
  };
  std::vector<SavedAttributes> attributeStack;
  // Inside glBegin/glEnd.
  bool insideBegin = false;

  std::vector<Mat4>& currentStack() {
    return matrixMode == GL_PROJECTION ? projection : matrixMode == GL_TEXTURE ? texture : modelview;
  }
};

}  // namespace kvx::capture
