#include "format/sample_scene.h"

#include <cmath>
#include <numbers>

namespace kvx {
namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr uint32_t kCheckerTexture = 1;

struct Material {
  uint8_t diffuse[3];
  uint8_t specular[3] = {0, 0, 0};
  float shininess = 0;
};

Vertex vertex(float x, float y, float z, float nx = 0, float ny = 0, float nz = 0, float u = 0, float v = 0) {
  Vertex out;
  out.x = x, out.y = y, out.z = z;
  out.nx = nx, out.ny = ny, out.nz = nz;
  out.u = u, out.v = v;
  return out;
}

std::unique_ptr<SceneObject> newObject(int32_t type, const Material& m) {
  auto o = std::make_unique<SceneObject>();
  o->geometry->type = type;
  std::copy(m.diffuse, m.diffuse + 3, o->diffuse);
  std::copy(m.specular, m.specular + 3, o->specular);
  o->ambient[0] = static_cast<uint8_t>(m.diffuse[0] / 5);
  o->ambient[1] = static_cast<uint8_t>(m.diffuse[1] / 5);
  o->ambient[2] = static_cast<uint8_t>(m.diffuse[2] / 5);
  o->shininess = m.shininess;
  return o;
}

void add(scene& s, std::unique_ptr<SceneObject> o) {
  o->geometry->rebuildTriangleTable();
  s.AddObjet(o);
}

// A textured floor: an indexed grid of 8 x 8 cells.
void addFloor(scene& s) {
  auto o = newObject(tri_indexed, {{230, 230, 230}});
  o->textureName = kCheckerTexture;
  o->repeatU = o->repeatV = true;
  geom& g = *o->geometry;
  const int cells = 8;
  for (int j = 0; j <= cells; ++j)
    for (int i = 0; i <= cells; ++i)
      g.vertices.push_back(vertex(-4 + i, 0, -4 + j, 0, 1, 0, i * 0.5f, j * 0.5f));
  for (int j = 0; j < cells; ++j)
    for (int i = 0; i < cells; ++i) {
      const int a = j * (cells + 1) + i, b = a + 1, c = a + cells + 1, d = c + 1;
      g.triangleTable.push_back({{a, c, b}});
      g.triangleTable.push_back({{b, c, d}});
    }
  add(s, std::move(o));
}

// A shiny sphere: an indexed latitude-longitude mesh.
void addSphere(scene& s, float cx, float cy, float cz, float r) {
  auto o = newObject(tri_indexed, {{200, 40, 40}, {255, 255, 255}, 60});
  geom& g = *o->geometry;
  const int rings = 16, segments = 24;
  for (int j = 0; j <= rings; ++j) {
    const float phi = kPi * j / rings;
    for (int i = 0; i <= segments; ++i) {
      const float theta = 2 * kPi * i / segments;
      const float nx = std::sin(phi) * std::cos(theta), ny = std::cos(phi), nz = std::sin(phi) * std::sin(theta);
      g.vertices.push_back(vertex(cx + r * nx, cy + r * ny, cz + r * nz, nx, ny, nz));
    }
  }
  for (int j = 0; j < rings; ++j)
    for (int i = 0; i < segments; ++i) {
      const int a = j * (segments + 1) + i, b = a + 1, c = a + segments + 1, d = c + 1;
      if (j > 0) g.triangleTable.push_back({{a, b, c}});
      if (j < rings - 1) g.triangleTable.push_back({{b, d, c}});
    }
  add(s, std::move(o));
}

// A flat-shaded box: six quads with one normal each.
void addBox(scene& s, float cx, float cz, float half) {
  auto o = newObject(quads_list, {{50, 90, 200}, {120, 120, 120}, 20});
  o->smooth = false;
  geom& g = *o->geometry;
  const float h = half, y = half;
  const float faces[6][4][3] = {
      {{h, -h, h}, {h, -h, -h}, {h, h, -h}, {h, h, h}},      {{-h, -h, -h}, {-h, -h, h}, {-h, h, h}, {-h, h, -h}},
      {{-h, h, h}, {h, h, h}, {h, h, -h}, {-h, h, -h}},      {{-h, -h, -h}, {h, -h, -h}, {h, -h, h}, {-h, -h, h}},
      {{-h, -h, h}, {h, -h, h}, {h, h, h}, {-h, h, h}},      {{h, -h, -h}, {-h, -h, -h}, {-h, h, -h}, {h, h, -h}},
  };
  const float normals[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  for (int f = 0; f < 6; ++f)
    for (const auto& p : faces[f])
      g.vertices.push_back(vertex(cx + p[0], y + p[1], cz + p[2], normals[f][0], normals[f][1], normals[f][2]));
  add(s, std::move(o));
}

// A cylinder side as a quad strip with a colour gradient, capped by a fan.
void addCylinder(scene& s, float cx, float cz, float r, float height) {
  const int segments = 20;
  auto side = newObject(quad_strip, {{255, 255, 255}, {80, 80, 80}, 30});
  side->geometry->perVertexColor = true;
  auto cap = newObject(tri_fan, {{240, 200, 60}});
  cap->geometry->vertices.push_back(vertex(cx, height, cz, 0, 1, 0));
  for (int i = 0; i <= segments; ++i) {
    const float theta = 2 * kPi * i / segments;
    const float nx = std::cos(theta), nz = -std::sin(theta);
    for (float y : {height, 0.0f}) {
      Vertex v = vertex(cx + r * nx, y, cz + r * nz, nx, 0, nz);
      v.r = static_cast<uint8_t>(120 + 120 * (i % 2));
      v.g = static_cast<uint8_t>(y > 0 ? 220 : 60);
      v.b = 80;
      side->geometry->vertices.push_back(v);
    }
    cap->geometry->vertices.push_back(vertex(cx + r * nx, height, cz + r * nz, 0, 1, 0));
  }
  add(s, std::move(side));
  add(s, std::move(cap));
}

// A translucent hexagon standing up: a polygon with blending.
void addPanel(scene& s) {
  auto o = newObject(polygon, {{90, 220, 200}, {255, 255, 255}, 80});
  o->blendSrc = 0x0302 - 1;  // GL_SRC_ALPHA, stored minus one
  o->blendDst = 0x0303;  // GL_ONE_MINUS_SRC_ALPHA
  o->blendByte = 128;
  for (int i = 0; i < 6; ++i) {
    const float a = 2 * kPi * i / 6;
    o->geometry->vertices.push_back(vertex(1.2f * std::cos(a), 1.5f + 1.2f * std::sin(a), -3, 0, 0, 1));
  }
  add(s, std::move(o));
}

// A little tent of independent triangles, unlit with vertex colours.
void addTent(scene& s) {
  auto o = newObject(tri_list, {{255, 255, 255}});
  o->lit = false;
  o->geometry->perVertexColor = true;
  const float apex[3] = {2.5f, 1.4f, 2.5f};
  const float base[4][2] = {{1.8f, 1.8f}, {3.2f, 1.8f}, {3.2f, 3.2f}, {1.8f, 3.2f}};
  const uint8_t colours[4][3] = {{230, 120, 40}, {250, 200, 60}, {200, 80, 40}, {250, 160, 50}};
  for (int f = 0; f < 4; ++f) {
    const float* p = base[f];
    const float* q = base[(f + 1) % 4];
    const float right[3] = {q[0], 0, q[1]}, left[3] = {p[0], 0, p[1]};
    for (const float* c : {apex, right, left}) {
      Vertex v = vertex(c[0], c[1], c[2]);
      v.r = colours[f][0], v.g = colours[f][1], v.b = colours[f][2];
      o->geometry->vertices.push_back(v);
    }
  }
  add(s, std::move(o));
}

// An orbit ring, a stippled spiral, axis ticks and a cloud of points.
void addWireAndPoints(scene& s) {
  auto ring = newObject(line_loop, {{255, 230, 120}});
  ring->lit = false;
  ring->lineWidth = 2;
  for (int i = 0; i < 48; ++i) {
    const float a = 2 * kPi * i / 48;
    ring->geometry->vertices.push_back(vertex(-1.5f + 1.6f * std::cos(a), 1.0f, 1.0f + 1.6f * std::sin(a)));
  }
  add(s, std::move(ring));

  auto spiral = newObject(line_strip, {{150, 255, 150}});
  spiral->lit = false;
  spiral->lineWidth = 1.5f;
  spiral->lineStipplePattern = 0xF0F0;
  spiral->lineStippleFactor = 1;
  for (int i = 0; i <= 120; ++i) {
    const float a = 6 * kPi * i / 120;
    spiral->geometry->vertices.push_back(vertex(2.5f + 0.6f * std::cos(a), 0.02f * i, -2 + 0.6f * std::sin(a)));
  }
  add(s, std::move(spiral));

  auto ticks = newObject(line, {{255, 255, 255}});
  ticks->lit = false;
  ticks->lineWidth = 1;
  for (int i = -4; i <= 4; ++i) {
    ticks->geometry->vertices.push_back(vertex(static_cast<float>(i), 0.01f, 4.2f));
    ticks->geometry->vertices.push_back(vertex(static_cast<float>(i), 0.01f, 4.5f));
  }
  add(s, std::move(ticks));

  auto stars = newObject(points, {{255, 255, 255}});
  stars->lit = false;
  stars->pointSize = 3;
  stars->geometry->perVertexColor = true;
  uint32_t seed = 12345;  // fixed, so the scene is the same every time
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<float>(seed >> 8) / static_cast<float>(1u << 24);
  };
  for (int i = 0; i < 200; ++i) {
    const float theta = 2 * kPi * next(), y = 3 + 3 * next(), r = 5 + 2 * next();
    Vertex v = vertex(r * std::cos(theta), y, r * std::sin(theta));
    v.r = 200, v.g = static_cast<uint8_t>(200 + 55 * next()), v.b = 255;
    stars->geometry->vertices.push_back(v);
  }
  add(s, std::move(stars));
}

void addCheckerTexture(scene& s) {
  auto texture = std::make_unique<SceneTexture>();
  texture->width = texture->height = 64;
  texture->name = kCheckerTexture;
  texture->refCount = 0;  // one reference per object using it is added below
  texture->bitmap.resize(64 * 64 * 4);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      uint8_t* p = &texture->bitmap[(y * 64 + x) * 4];
      const bool dark = ((x / 8) + (y / 8)) % 2;
      p[0] = dark ? 70 : 220;
      p[1] = dark ? 80 : 210;
      p[2] = dark ? 100 : 190;
      p[3] = 255;
    }
  s.textures.add(std::move(texture));
}

void addLights(scene& s) {
  auto light = [&s](int32_t kind, uint8_t r, uint8_t g, uint8_t b, std::initializer_list<float> values) {
    auto l = std::make_unique<SceneLight>();
    l->kind = kind;
    l->r = r, l->g = g, l->b = b;
    std::copy(values.begin(), values.end(), l->values);
    s.lights.push_back(std::move(l));
  };
  light(LIGHT_AMBIENT, 50, 50, 60, {});
  light(LIGHT_DIRECTIONAL, 230, 230, 220, {0, 0, 0, -0.4f, -1, -0.6f});
  light(LIGHT_POINT, 255, 180, 120, {-3, 4, 3});
}

// Quaternion (x, y, z, w) of a rotation about x, then about y, in degrees.
void rotation(float pitch, float yaw, float out[4]) {
  // Turned so that the eye, seen from the target, lies along the third
  // column of the rotation, as the renderer places it.
  const float p = -pitch * kPi / 360, y = -yaw * kPi / 360;
  const float qx[4] = {std::sin(p), 0, 0, std::cos(p)};
  const float qy[4] = {0, std::sin(y), 0, std::cos(y)};
  out[0] = qx[3] * qy[0] + qx[0] * qy[3] + qx[1] * qy[2] - qx[2] * qy[1];
  out[1] = qx[3] * qy[1] - qx[0] * qy[2] + qx[1] * qy[3] + qx[2] * qy[0];
  out[2] = qx[3] * qy[2] + qx[0] * qy[1] - qx[1] * qy[0] + qx[2] * qy[3];
  out[3] = qx[3] * qy[3] - qx[0] * qy[0] - qx[1] * qy[1] - qx[2] * qy[2];
}

void addCameras(scene& s) {
  struct Camera {
    const char* name;
    const char* text;
    float eye[3];
    float pitch, yaw;
  };
  const Camera cameras[] = {
      {"Overview", "The whole still life: every kind of primitive the viewer draws.", {7, 6, 9}, 25, -35},
      {"Front", "Front view. The panel at the back is blended; the box is flat-shaded.", {0, 1.5f, 11}, 0, 0},
      {"Top", "From above: the floor texture repeats, the ring and the spiral are line objects.", {0, 12, 0.01f}, 90, 0},
  };
  s.createCurrentView();
  for (const Camera& c : cameras) {
    s.addView(c.name);
    SceneView& v = s.views.back();
    std::copy(c.eye, c.eye + 3, v.camera + CAM_EYE);
    v.camera[CAM_TARGET + 1] = 1;
    v.camera[CAM_FOV] = 32;
    rotation(c.pitch, c.yaw, v.rotation);
    v.text = c.text;
  }
  s.copyViewToCurrent(1);
  s.views[0].name = "Current View";
  s.views[0].text.clear();
  s.currentView = 1;
}

}  // namespace

void buildSampleScene(scene& s) {
  s.Clear();
  s.authorStamp = {"Kavrik sample scene", "Kavrik", "kvx sample", "2026", "Free to share"};
  s.setBackground(40, 48, 64);
  // Faces shown (this bit is stored inverted), and the orientation tables
  // that keep +y upwards, like the floor of this scene.
  s.sceneFlags = KVX_SCENE_SHOW_FACES | KVX_SCENE_Z_UP;
  addCheckerTexture(s);
  addLights(s);
  addFloor(s);
  s.textures.addReference(kCheckerTexture);
  addSphere(s, -1.5f, 1.0f, 1.0f, 1.0f);
  addBox(s, 1.5f, 0.5f, 0.6f);
  addCylinder(s, -2.5f, -1.8f, 0.6f, 1.6f);
  addPanel(s);
  addTent(s);
  addWireAndPoints(s);
  addCameras(s);
  s.updateBounds();
}

}  // namespace kvx
