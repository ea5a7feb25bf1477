#include "frame_recorder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kvx::capture {
namespace {

uint8_t toByte(double value) {
  const double clamped = std::clamp(value, 0.0, 1.0);
  return static_cast<uint8_t>(std::lround(clamped * 255));
}

void toBytes(const float rgba[4], uint8_t out[3]) {
  for (int i = 0; i < 3; ++i) out[i] = toByte(rgba[i]);
}

int32_t primitiveType(GLenum mode) {
  switch (mode) {
    case GL_POINTS: return points;
    case GL_LINES: return line;
    case GL_LINE_LOOP: return line_loop;
    case GL_LINE_STRIP: return line_strip;
    case GL_TRIANGLES: return tri_list;
    case GL_TRIANGLE_STRIP: return tri_strip;
    case GL_TRIANGLE_FAN: return tri_fan;
    case GL_QUADS: return quads_list;
    case GL_QUAD_STRIP: return quad_strip;
    case GL_POLYGON: return polygon;
    default: return -1;
  }
}

bool isLineMode(GLenum mode) { return mode == GL_LINES || mode == GL_LINE_LOOP || mode == GL_LINE_STRIP; }

// Vertex colours matter when no lighting replaces them, or when colour
// material feeds them into the diffuse colour.
bool coloursMatter(const Look& look) {
  return !look.lighting ||
         (look.colorMaterial && (look.colorMaterialMode == GL_DIFFUSE || look.colorMaterialMode == GL_AMBIENT_AND_DIFFUSE));
}

struct Quat {
  double x, y, z, w;
};

Quat multiply(const Quat& a, const Quat& b) {
  return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
          a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

// Rotation quaternion of the upper 3x3 part (columns normalised).
Quat quatOf(const Mat4& m) {
  double c[3][3];
  for (int col = 0; col < 3; ++col) {
    const double len = std::sqrt(m[col * 4] * m[col * 4] + m[col * 4 + 1] * m[col * 4 + 1] + m[col * 4 + 2] * m[col * 4 + 2]);
    for (int row = 0; row < 3; ++row) c[row][col] = len > 0 ? m[col * 4 + row] / len : (row == col);
  }
  Quat q;
  const double trace = c[0][0] + c[1][1] + c[2][2];
  if (trace > 0) {
    const double s = std::sqrt(trace + 1) * 2;
    q = {(c[2][1] - c[1][2]) / s, (c[0][2] - c[2][0]) / s, (c[1][0] - c[0][1]) / s, s / 4};
  } else if (c[0][0] > c[1][1] && c[0][0] > c[2][2]) {
    const double s = std::sqrt(1 + c[0][0] - c[1][1] - c[2][2]) * 2;
    q = {s / 4, (c[0][1] + c[1][0]) / s, (c[0][2] + c[2][0]) / s, (c[2][1] - c[1][2]) / s};
  } else if (c[1][1] > c[2][2]) {
    const double s = std::sqrt(1 + c[1][1] - c[0][0] - c[2][2]) * 2;
    q = {(c[0][1] + c[1][0]) / s, s / 4, (c[1][2] + c[2][1]) / s, (c[0][2] - c[2][0]) / s};
  } else {
    const double s = std::sqrt(1 + c[2][2] - c[0][0] - c[1][1]) * 2;
    q = {(c[0][2] + c[2][0]) / s, (c[1][2] + c[2][1]) / s, s / 4, (c[1][0] - c[0][1]) / s};
  }
  return q;
}

// The renderer draws an exact axis orientation orthographically; a
// perspective program's view is turned by this much about its own axis
// (far below a pixel) so that it stays in perspective.
constexpr double kPerspectiveTurn = 1e-4;

constexpr uint32_t kSceneShowFaces = 0x800;

}  // namespace

int CaptureCounts::skippedTotal() const {
  int total = 0;
  for (int n : skipped) total += n;
  return total;
}

void FrameRecorder::beginDraw(const ContextState& s, GLenum mode) {
  drawing_ = false;
  const int32_t type = primitiveType(mode);
  if (type < 0) return;
  if (s.programInUse) {
    skipDraw(SkipReason::ShaderProgram);
    return;
  }
  if (!haveCamera_) {
    haveCamera_ = true;
    camera_ = s.modelview.back();
    cameraInverse_ = inverse(camera_);
    projection_ = s.projection.back();
    std::copy(std::begin(s.viewport), std::end(s.viewport), viewport_);
    std::copy(std::begin(s.lights), std::end(s.lights), lights_);
    std::copy(s.lightModelAmbient, s.lightModelAmbient + 4, lightModelAmbient_);
  }
  Draw draw;
  draw.mode = mode;
  draw.look = s.look;
  draw.type = type;
  const bool surface = type != points && !isLineMode(mode);
  draw.asPoints = mode == GL_POINTS || (surface && s.look.polygonModeFront == GL_POINT);
  draw.asLines = isLineMode(mode) || (surface && s.look.polygonModeFront == GL_LINE && !options_.linesAsSolid);
  if ((draw.asPoints && options_.noPoints) || (draw.asLines && options_.noWireframe)) {
    skipDraw(SkipReason::Options);
    return;
  }
  switch (options_.placement) {
    case Placement::Eye: placement_ = s.modelview.back(); break;
    case Placement::Object: placement_ = kIdentity; break;
    case Placement::World: placement_ = multiply(cameraInverse_, s.modelview.back()); break;
  }
  placementInverse_ = inverse(placement_);
  draw_ = std::move(draw);
  drawing_ = true;
}

void FrameRecorder::vertex(const ContextState& s, const double p[4]) {
  if (!drawing_) return;
  auto position = transform(placement_, p[0], p[1], p[2], p[3]);
  if (position[3] != 0 && position[3] != 1)
    for (int i = 0; i < 3; ++i) position[i] /= position[3];
  const auto normal = transformNormal(placementInverse_, s.normal[0], s.normal[1], s.normal[2]);
  Vertex v;
  v.u = static_cast<float>(s.texCoord[0]);
  v.v = static_cast<float>(s.texCoord[1]);
  v.nx = static_cast<float>(normal[0]);
  v.ny = static_cast<float>(normal[1]);
  v.nz = static_cast<float>(normal[2]);
  v.x = static_cast<float>(position[0]);
  v.y = static_cast<float>(position[1]);
  v.z = static_cast<float>(position[2]);
  v.r = toByte(s.color[0]);
  v.g = toByte(s.color[1]);
  v.b = toByte(s.color[2]);
  draw_.vertices.push_back(v);
}

void FrameRecorder::endDraw(const ContextState&) {
  if (!drawing_) return;
  drawing_ = false;
  const int n = static_cast<int>(draw_.vertices.size());
  if (derivedTriangleCount(draw_.type, n) == 0) return;
  ++counts_.draws;
  const bool mergeable = !draw_.asLines && !draw_.asPoints;
  if (groupDepth_ > 0 && mergeable) {
    for (PendingObject& pending : group_) {
      const Draw& first = pending.draws.front();
      if (!first.asLines && !first.asPoints && sameLook(first, draw_)) {
        pending.draws.push_back(std::move(draw_));
        return;
      }
    }
  }
  PendingObject pending;
  pending.draws.push_back(std::move(draw_));
  if (groupDepth_ > 0)
    group_.push_back(std::move(pending));
  else
    finishObject(pending);
}

void FrameRecorder::endGroup() {
  if (groupDepth_ == 0 || --groupDepth_ > 0) return;
  for (PendingObject& pending : group_) finishObject(pending);
  group_.clear();
}

bool FrameRecorder::sameLook(const Draw& a, const Draw& b) const {
  const Look &x = a.look, &y = b.look;
  const auto sameColour = [](const float* p, const float* q) { return std::equal(p, p + 4, q); };
  if (x.lighting != y.lighting || x.texture2d != y.texture2d || x.colorMaterial != y.colorMaterial) return false;
  if (x.texture2d && x.boundTexture != y.boundTexture) return false;
  if (x.lighting) {
    const Material &m = x.material, &n = y.material;
    if (!x.colorMaterial && !sameColour(m.diffuse, n.diffuse)) return false;
    if (!sameColour(m.specular, n.specular) || !sameColour(m.emission, n.emission) || m.shininess != n.shininess)
      return false;
  }
  if (coloursMatter(x)) {
    // Draws of another colour make another object (their first vertex decides).
    const Vertex &p = a.vertices.front(), &q = b.vertices.front();
    if (p.r != q.r || p.g != q.g || p.b != q.b) return false;
  }
  return true;
}

std::unique_ptr<SceneObject> FrameRecorder::objectOf(const Draw& first) const {
  auto object = std::make_unique<SceneObject>();
  const Look& look = first.look;
  object->lit = look.lighting;
  object->smooth = look.smooth;
  if (look.lighting) {
    toBytes(look.material.diffuse, object->diffuse);
    toBytes(look.material.ambient, object->ambient);
    toBytes(look.material.specular, object->specular);
    toBytes(look.material.emission, object->emission);
    object->shininess = look.material.shininess;
  }
  if (coloursMatter(look) && !first.vertices.empty()) {
    const Vertex& v = first.vertices.front();
    object->diffuse[0] = v.r, object->diffuse[1] = v.g, object->diffuse[2] = v.b;
  }
  if (first.asPoints) object->pointSize = look.pointSize > 0 ? look.pointSize : 1;
  if (first.asLines) object->lineWidth = look.lineWidth > 0 ? look.lineWidth : 1;
  if (look.texture2d && !options_.noTexture) object->textureName = look.boundTexture + 1;
  return object;
}

void FrameRecorder::finishObject(PendingObject& pending) {
  if (pending.draws.empty()) return;
  auto object = objectOf(pending.draws.front());
  geom& g = *object->geometry;
  if (pending.draws.size() == 1) {
    Draw& draw = pending.draws.front();
    g.type = draw.type;
    g.vertices = std::move(draw.vertices);
    g.rebuildTriangleTable();
  } else {
    g.type = tri_indexed;
    for (Draw& draw : pending.draws) {
      const int32_t offset = g.vertexCount(), n = static_cast<int32_t>(draw.vertices.size());
      g.vertices.insert(g.vertices.end(), draw.vertices.begin(), draw.vertices.end());
      for (int32_t k = 0; k < derivedTriangleCount(draw.type, n); ++k) {
        Tri t = derivedTriangle(draw.type, n, k);
        for (int32_t& i : t.i) i += offset;
        g.triangleTable.push_back(t);
      }
    }
  }
  if (coloursMatter(pending.draws.front().look)) {
    const uint8_t* d = object->diffuse;
    g.perVertexColor = std::any_of(g.vertices.begin(), g.vertices.end(),
                                   [d](const Vertex& v) { return v.r != d[0] || v.g != d[1] || v.b != d[2]; });
  }
  objects_.push_back(std::move(object));
}

// The program's lights in eye space, where the renderer puts scene lights too.
void FrameRecorder::addLights(scene& out) const {
  auto colourOf = [](const float* c, SceneLight& light) {
    light.r = toByte(c[0]), light.g = toByte(c[1]), light.b = toByte(c[2]);
  };
  auto ambient = std::make_unique<SceneLight>();
  ambient->kind = LIGHT_AMBIENT;
  colourOf(lightModelAmbient_, *ambient);
  out.lights.push_back(std::move(ambient));
  for (const LightSource& source : lights_) {
    if (!source.enabled) continue;
    auto light = std::make_unique<SceneLight>();
    colourOf(source.diffuse, *light);
    const double* p = source.position;
    if (p[3] == 0) {
      light->kind = LIGHT_DIRECTIONAL;
      for (int i = 0; i < 3; ++i) light->values[3 + i] = static_cast<float>(p[i]);
    } else {
      light->kind = LIGHT_POINT;
      for (int i = 0; i < 3; ++i) light->values[i] = static_cast<float>(p[i] / p[3]);
    }
    out.lights.push_back(std::move(light));
  }
}

void FrameRecorder::fillScene(scene& out, const SharedObjects& shared, int viewport[4]) {
  std::map<uint32_t, int32_t> textureUses;
  for (auto& object : objects_) {
    if (object->textureName == 0) continue;
    auto image = shared.textures.find(object->textureName - 1);
    const bool usable = image != shared.textures.end() && image->second.width > 0 && image->second.height > 0 &&
                        image->second.width <= 65535 && image->second.height <= 65535;
    if (!usable) {
      object->textureName = 0;
      continue;
    }
    object->repeatU = image->second.repeatS;
    object->repeatV = image->second.repeatT;
    ++textureUses[object->textureName];
  }
  for (const auto& [name, uses] : textureUses) {
    const TextureImage& image = shared.textures.at(name - 1);
    auto texture = std::make_unique<SceneTexture>();
    texture->width = static_cast<uint16_t>(image.width);
    texture->height = static_cast<uint16_t>(image.height);
    texture->bitmap = image.rgba;
    texture->name = name;
    texture->refCount = uses;
    out.textures.add(std::move(texture));
  }
  for (auto& object : objects_) out.AddObjet(object);
  addLights(out);
  objects_.clear();
  // Shown as faces, as the program drew them.
  out.sceneFlags |= SCENE_RAW_CAPTURE | kSceneShowFaces;
  out.updateBounds();

  // The program's view: eye at the origin of eye space looking down -z.
  const Mat4 eyeToScene = options_.placement == Placement::World ? cameraInverse_ : kIdentity;
  const auto eye = transform(eyeToScene, 0, 0, 0, 1);
  auto forward = transform(eyeToScene, 0, 0, -1, 0);
  const double length = std::sqrt(forward[0] * forward[0] + forward[1] * forward[1] + forward[2] * forward[2]);
  for (int i = 0; i < 3; ++i) forward[i] = length > 0 ? forward[i] / length : (i == 2 ? -1 : 0);
  double distance = 0;
  for (int i = 0; i < 3; ++i) distance += (out.center[i] - eye[i]) * forward[i];
  if (!(distance > 1e-6)) distance = out.radius > 0 ? out.radius : 1;

  const Mat4& p = projection_;
  const bool perspective = p[15] == 0 && p[11] != 0;
  double fieldOfView = 32;
  if (perspective && p[5] != 0) {
    fieldOfView = 2 * std::atan(1 / std::fabs(p[5])) * 180 / M_PI;
  } else if (!perspective && p[5] != 0) {
    // The renderer's orthographic box is fov / 60 of the view radius high
    // on each side; the view radius is half the eye-target distance.
    fieldOfView = 60 / (std::fabs(p[5]) * (distance / 2));
  }
  Quat q = quatOf(eyeToScene);
  if (perspective) q = multiply(q, {0, 0, std::sin(kPerspectiveTurn / 2), std::cos(kPerspectiveTurn / 2)});

  out.createCurrentView();
  SceneView& view = out.views[0];
  for (int i = 0; i < 3; ++i) {
    view.camera[CAM_EYE + i] = static_cast<float>(eye[i]);
    view.camera[CAM_TARGET + i] = static_cast<float>(eye[i] + forward[i] * distance);
  }
  view.camera[CAM_FOV] = static_cast<float>(fieldOfView);
  view.rotation[0] = static_cast<float>(q.x);
  view.rotation[1] = static_cast<float>(q.y);
  view.rotation[2] = static_cast<float>(q.z);
  view.rotation[3] = static_cast<float>(q.w);
  out.addView("Captured View");
  out.currentView = static_cast<int32_t>(out.views.size()) - 1;
  std::copy(std::begin(viewport_), std::end(viewport_), viewport);
}

}  // namespace kvx::capture
