#include "state_tracker.h"

#include "capture_session.h"
#include "frame_recorder.h"
#include "real_functions.h"

#include <mutex>
#include <unordered_map>

namespace kvx::capture {
namespace {

// GL's own limits on nesting and stack depth, so that the copy follows
// the real stacks when a program overflows them.
constexpr int kMaxListNesting = 64;
constexpr size_t kMaxStackDepth = 32;

std::mutex contextsMutex;
std::unordered_map<const void*, std::unique_ptr<ContextState>>& contexts() {
  static auto* map = new std::unordered_map<const void*, std::unique_ptr<ContextState>>;
  return *map;
}
ContextState& fallbackState() {
  static auto* state = new ContextState;
  return *state;
}
thread_local ContextState* current = nullptr;

void applyColorMaterial(ContextState& s) {
  Look& look = s.look;
  if (!look.colorMaterial) return;
  float c[4] = {float(s.color[0]), float(s.color[1]), float(s.color[2]), float(s.color[3])};
  auto set = [&c](float* target) { std::copy(c, c + 4, target); };
  switch (look.colorMaterialMode) {
    case GL_AMBIENT: set(look.material.ambient); break;
    case GL_DIFFUSE: set(look.material.diffuse); break;
    case GL_SPECULAR: set(look.material.specular); break;
    case GL_EMISSION: set(look.material.emission); break;
    default: set(look.material.ambient), set(look.material.diffuse); break;
  }
}

void setMaterial(ContextState& s, const Op& op) {
  if (op.a == GL_BACK) return;
  Material& m = s.look.material;
  float v[4] = {float(op.v[0]), float(op.v[1]), float(op.v[2]), float(op.v[3])};
  auto set = [&v](float* target) { std::copy(v, v + 4, target); };
  switch (op.b) {
    case GL_AMBIENT: set(m.ambient); break;
    case GL_DIFFUSE: set(m.diffuse); break;
    case GL_SPECULAR: set(m.specular); break;
    case GL_EMISSION: set(m.emission); break;
    case GL_SHININESS: m.shininess = v[0]; break;
    case GL_AMBIENT_AND_DIFFUSE: set(m.ambient), set(m.diffuse); break;
    default: break;
  }
}

void setLight(ContextState& s, const Op& op) {
  if (op.a < GL_LIGHT0 || op.a >= GL_LIGHT0 + kLightCount) return;
  LightSource& light = s.lights[op.a - GL_LIGHT0];
  if (op.b == GL_POSITION) {
    const auto eye = transform(s.modelview.back(), op.v[0], op.v[1], op.v[2], op.v[3]);
    std::copy(eye.begin(), eye.end(), light.position);
  } else if (op.b == GL_DIFFUSE) {
    for (int i = 0; i < 4; ++i) light.diffuse[i] = float(op.v[i]);
  }
}

void setCapability(ContextState& s, GLenum cap, bool on) {
  if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + kLightCount) {
    s.lights[cap - GL_LIGHT0].enabled = on;
    return;
  }
  switch (cap) {
    case GL_LIGHTING: s.look.lighting = on; break;
    case GL_TEXTURE_2D: s.look.texture2d = on; break;
    case GL_COLOR_MATERIAL:
      s.look.colorMaterial = on;
      if (on) applyColorMaterial(s);
      break;
    default: break;
  }
}

void callList(ContextState& s, uint32_t name);

void apply(ContextState& s, const Op& op, const Mat4* matrix) {
  FrameRecorder* recorder = activeRecorder();
  switch (op.kind) {
    case OpKind::Begin:
      s.insideBegin = true;
      if (recorder) recorder->beginDraw(s, op.a);
      break;
    case OpKind::End:
      s.insideBegin = false;
      if (recorder) recorder->endDraw(s);
      break;
    case OpKind::Vertex:
      if (recorder) recorder->vertex(s, op.v);
      break;
    case OpKind::Normal: std::copy(op.v, op.v + 3, s.normal); break;
    case OpKind::Color:
      std::copy(op.v, op.v + 4, s.color);
      applyColorMaterial(s);
      break;
    case OpKind::TexCoord: std::copy(op.v, op.v + 4, s.texCoord); break;
    case OpKind::MatrixMode: s.matrixMode = op.a; break;
    case OpKind::LoadIdentity: s.currentStack().back() = kIdentity; break;
    case OpKind::LoadMatrix:
      if (matrix) s.currentStack().back() = *matrix;
      break;
    case OpKind::MultMatrix:
      if (matrix) s.currentStack().back() = multiply(s.currentStack().back(), *matrix);
      break;
    case OpKind::PushMatrix: {
      auto& stack = s.currentStack();
      if (stack.size() < kMaxStackDepth) stack.push_back(stack.back());
      break;
    }
    case OpKind::PopMatrix: {
      auto& stack = s.currentStack();
      if (stack.size() > 1) stack.pop_back();
      break;
    }
    case OpKind::Material: setMaterial(s, op); break;
    case OpKind::ColorMaterial:
      if (op.a != GL_BACK) s.look.colorMaterialMode = op.b;
      applyColorMaterial(s);
      break;
    case OpKind::Enable: setCapability(s, op.a, true); break;
    case OpKind::Disable: setCapability(s, op.a, false); break;
    case OpKind::ShadeModel: s.look.smooth = op.a != GL_FLAT; break;
    case OpKind::BindTexture:
      if (op.a == GL_TEXTURE_2D) s.look.boundTexture = op.b;
      break;
    case OpKind::PointSize: s.look.pointSize = float(op.v[0]); break;
    case OpKind::LineWidth: s.look.lineWidth = float(op.v[0]); break;
    case OpKind::PolygonMode:
      if (op.a != GL_BACK) s.look.polygonModeFront = op.b;
      break;
    case OpKind::CallList: callList(s, op.a); break;
    case OpKind::CallListWithBase: callList(s, op.a + s.listBase); break;
    case OpKind::ListBase: s.listBase = op.a; break;
    case OpKind::Light: setLight(s, op); break;
    case OpKind::LightModel:
      if (op.a == GL_LIGHT_MODEL_AMBIENT)
        for (int i = 0; i < 4; ++i) s.lightModelAmbient[i] = float(op.v[i]);
      break;
    case OpKind::PushAttrib:
      if (s.attributeStack.size() < kMaxStackDepth) {
        ContextState::SavedAttributes saved{s.look, {}, {}, {}};
        std::copy(s.color, s.color + 4, saved.color);
        std::copy(s.normal, s.normal + 3, saved.normal);
        std::copy(s.texCoord, s.texCoord + 4, saved.texCoord);
        s.attributeStack.push_back(saved);
      }
      break;
    case OpKind::PopAttrib:
      if (!s.attributeStack.empty()) {
        const auto& saved = s.attributeStack.back();
        s.look = saved.look;
        std::copy(saved.color, saved.color + 4, s.color);
        std::copy(saved.normal, saved.normal + 3, s.normal);
        std::copy(saved.texCoord, saved.texCoord + 4, s.texCoord);
        s.attributeStack.pop_back();
      }
      break;
  }
}

void callList(ContextState& s, uint32_t name) {
  auto found = s.shared->lists.find(name);
  if (found == s.shared->lists.end() || s.listDepth >= kMaxListNesting) return;
  FrameRecorder* recorder = activeRecorder();
  const bool topLevel = s.listDepth == 0;
  if (topLevel && recorder) recorder->beginGroup();
  ++s.listDepth;
  const DisplayList& list = found->second;
  for (const Op& op : list.ops) {
    // Outside a captured frame only the state a list leaves behind matters.
    if (!recorder && (op.kind == OpKind::Vertex || op.kind == OpKind::Begin || op.kind == OpKind::End)) continue;
    const bool hasMatrix = op.kind == OpKind::LoadMatrix || op.kind == OpKind::MultMatrix;
    apply(s, op, hasMatrix ? &list.matrices[op.block] : nullptr);
  }
  --s.listDepth;
  if (topLevel && recorder) recorder->endGroup();
}

}  // namespace

ContextState& currentState() { return current ? *current : fallbackState(); }

void createState(const void* context, const void* shareWith) {
  std::lock_guard lock(contextsMutex);
  auto state = std::make_unique<ContextState>();
  std::fill(state->lights[0].diffuse, state->lights[0].diffuse + 4, 1.0f);
  if (shareWith) {
    auto other = contexts().find(shareWith);
    if (other != contexts().end()) state->shared = other->second->shared;
  }
  contexts()[context] = std::move(state);
}

void makeStateCurrent(const void* context) {
  if (!context) {
    current = nullptr;
    return;
  }
  std::lock_guard lock(contextsMutex);
  auto& slot = contexts()[context];
  if (!slot) {
    slot = std::make_unique<ContextState>();
    std::fill(slot->lights[0].diffuse, slot->lights[0].diffuse + 4, 1.0f);
  }
  current = slot.get();
}

void destroyState(const void* context) {
  std::lock_guard lock(contextsMutex);
  auto found = contexts().find(context);
  if (found == contexts().end()) return;
  if (current == found->second.get()) current = nullptr;
  contexts().erase(found);
}

void submit(ContextState& s, const Op& op, const Mat4* matrix) {
  if (s.compiling) {
    Op stored = op;
    if (matrix) {
      stored.block = static_cast<uint32_t>(s.compiling->matrices.size());
      s.compiling->matrices.push_back(*matrix);
    }
    s.compiling->ops.push_back(stored);
    if (!s.compileAndExecute) return;
  }
  apply(s, op, matrix);
}

void submitMatrix(ContextState& s, OpKind kind, const Mat4& matrix) { submit(s, Op{kind}, &matrix); }

void newList(ContextState& s, uint32_t name, GLenum mode) {
  if (s.compiling || name == 0) return;
  s.compilingName = name;
  // The list replaces the old one only at glEndList.
  s.compiling = std::make_unique<DisplayList>();
  s.compileAndExecute = mode == GL_COMPILE_AND_EXECUTE;
}

void endList(ContextState& s) {
  if (!s.compiling) return;
  s.shared->lists[s.compilingName] = std::move(*s.compiling);
  s.compiling.reset();
}

void deleteLists(ContextState& s, uint32_t first, int count) {
  for (int i = 0; i < count; ++i) s.shared->lists.erase(first + i);
}

}  // namespace kvx::capture
