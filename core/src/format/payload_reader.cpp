// Reads a payload of versions 13 to 43 into a scene.
#include "format/object_post_read.h"
#include "format/object_reader.h"
#include "format/payload_layout.h"
#include "scene/scene.h"
#include "services/debuglog.h"

#include <cmath>
#include <new>

namespace kvx {
namespace {

// Counts read from the payload must fit in what remains before anything is
// allocated for them.
bool countFits(const serializer& in, uint32_t count, uint32_t bytesEach, const char* what) {
  if (in.intact() && count <= static_cast<uint32_t>(in.remaining()) / bytesEach) return true;
  KVX_LOG(LOG_ERROR, "scene::deserialise: %u %s do not fit in the %d bytes left\n", count, what, in.remaining());
  return false;
}

class PayloadReader {
 public:
  PayloadReader(scene& s) : s_(s), in_(s.ser) {}

  bool read() {
    const uint8_t v = in_.version;
    if (v >= 32) authorStamp();
    if (v >= 24) in_.get_u8(in_.readVertexMode);
    if (v >= 33) cutPlane();
    if (v >= 34) cutBox();
    matrix(s_.matrix);
    if (!matrices() || !lights()) return false;
    if (v >= 18)
      for (uint8_t& c : s_.background) in_.get_u8(c);
    if (!textures()) return false;
    uint32_t flags = 0;
    if (v >= 29) in_.get_u32(flags);
    s_.sceneFlags = flags ^ kStoredFlagsXor;
    if (!objects()) return false;
    if (v >= 16 && !views()) return false;
    s_.updateBounds();
    return in_.end_deser();
  }

 private:
  void authorStamp() {
    std::string joined;
    in_.get_text(joined);
    size_t field = 0;
    for (char c : joined) {
      if (c == kAuthorStampSeparator) {
        if (++field == s_.authorStamp.size()) break;
      } else if (s_.authorStamp[field].size() < 255) {
        s_.authorStamp[field] += c;
      }
    }
  }

  void cutPlane() {
    uint8_t inverted = 0, transparent = 0;
    uint32_t plan = 0;
    float position = 0.5f;
    in_.get_u8(inverted);
    in_.get_u32(plan);
    in_.get_f32(position);
    if (in_.version >= 37) in_.get_u8(transparent);
    int32_t planValue = static_cast<int32_t>(plan);
    if (planValue == 0) planValue = -1;
    if (planValue == -1) return;  // no cutting plane
    s_.readCutPlane = std::make_unique<kvx_CutPlane>(kvx_CutPlane{
        static_cast<kvx_CutPlane::CurrentPlan>(planValue), inverted == 1, position, transparent == 1});
  }

  void cutBox() {
    CutBox box = {};
    for (int i = 0; i < 6; ++i) in_.get_f32(box[i]);
    if (box[0] == box[3] && box[1] == box[4] && box[2] == box[5]) return;
    const float dx = box[3] - box[0], dy = box[4] - box[1], dz = box[5] - box[2];
    box[6] = std::sqrt(dx * dx + dy * dy + dz * dz);
    s_.readCutBox = std::make_unique<CutBox>(box);
  }

  void matrix(Matrix4& m) {
    for (float& value : m) in_.get_f32(value);
  }

  bool matrices() {
    uint32_t count = 0;
    in_.get_u32(count);
    if (!countFits(in_, count, 64, "matrices")) return false;
    s_.matrices.resize(count, kIdentityMatrix);
    for (Matrix4& m : s_.matrices) matrix(m);
    return true;
  }

  bool lights() {
    uint32_t count = 0;
    in_.get_u32(count);
    if (!countFits(in_, count, 44, "lights")) return false;
    s_.lights.reserve(count);
    static constexpr int kStoredOrder[10] = {0, 1, 2, 3, 4, 5, 8, 9, 6, 7};
    for (uint32_t i = 0; i < count; ++i) {
      auto light = std::make_unique<SceneLight>();
      uint8_t kind = 0;
      in_.get_u8(kind);
      light->kind = kind;
      in_.get_u8(light->r);
      in_.get_u8(light->g);
      in_.get_u8(light->b);
      for (int index : kStoredOrder) in_.get_f32(light->values[index]);
      s_.lights.push_back(std::move(light));
    }
    return true;
  }

  bool textures() {
    uint32_t count = 0;
    in_.get_u32(count);
    if (!countFits(in_, count, 12, "textures")) return false;
    for (uint32_t i = 0; i < count; ++i) {
      auto texture = std::make_unique<SceneTexture>();
      in_.get_u16(texture->width);
      in_.get_u16(texture->height);
      const uint32_t pixels = static_cast<uint32_t>(texture->width) * texture->height;
      if (!countFits(in_, pixels, 4, "texture pixels")) return false;
      const uint8_t* bitmap = in_.getdataptr(static_cast<int32_t>(pixels * 4));
      texture->bitmap.assign(bitmap, bitmap + pixels * 4);
      uint32_t format = 4;
      in_.get_u32(format);
      in_.get_u32(texture->name);
      if (!in_.intact()) return false;
      bool anyAlpha = false;
      for (size_t a = 3; a < texture->bitmap.size() && !anyAlpha; a += 4) anyAlpha = texture->bitmap[a] != 0;
      if (!anyAlpha)
        for (size_t a = 3; a < texture->bitmap.size(); a += 4) texture->bitmap[a] = 255;
      texture->internalFormat = (format >> 16) == 0 ? 4 : static_cast<int32_t>(format);
      s_.textures.add(std::move(texture));
    }
    return true;
  }

  bool objects() {
    uint32_t count = 0;
    in_.get_u32(count);
    // Every object record holds at least its vertex count.
    if (!countFits(in_, count, 4, "objects")) return false;
    for (uint32_t i = 0; i < count; ++i) {
      if (s_.progress) s_.progress(static_cast<float>(in_.cursor()) / static_cast<float>(in_.size()));
      const SceneObject* previous = s_.objects.empty() ? nullptr : s_.objects.back().get();
      std::unique_ptr<SceneObject> object = readObjectRecord(in_, previous);
      if (!object) return false;
      detectWinding(*object);
      settleObjectNormals(*object);
      const uint32_t texture = object->textureName;
      if (!s_.AddObjet(object)) return false;
      if (texture != 0) s_.textures.addReference(texture);
    }
    return true;
  }

  bool views() {
    uint32_t count = 0;
    in_.get_u32(count);
    if (!countFits(in_, count, 57, "views")) return false;
    s_.views.reserve(count);
    for (uint32_t i = 0; i < count && in_.intact(); ++i) {
      SceneView view;
      for (float& value : view.camera) in_.get_f32(value);
      in_.get_text(view.name);
      if (view.name.empty()) view.name = "Noname";
      for (float& value : view.rotation) in_.get_f32(value);
      if (in_.version >= 19) {
        uint32_t length = 0;
        in_.get_u32(length);
        if (static_cast<int32_t>(length) >= 1) {
          if (!countFits(in_, length, 1, "annotation bytes")) return false;
          const uint8_t* text = in_.getdataptr(static_cast<int32_t>(length));
          view.text.assign(reinterpret_cast<const char*>(text), length);
        }
      }
      if (in_.version >= 20) {
        in_.get_text(s_.readPasswordText);
        s_.readPassword = !s_.readPasswordText.empty();
        in_.get_text(s_.writePasswordText);
        s_.writePassword = !s_.writePasswordText.empty();
      }
      if (in_.version >= 21) {
        uint32_t current = 0;
        if (in_.get_u32(current)) s_.currentView = static_cast<int32_t>(current);
      }
      s_.views.push_back(std::move(view));
    }
    return in_.intact();
  }

  scene& s_;
  serializer& in_;
};

}  // namespace

bool scene::deserialise(std::unique_ptr<uint8_t[]> payload, int32_t length) {
  if (!ser.start_de(std::move(payload), length)) return false;
  ser.readVertexMode = 1;
  try {
    if (PayloadReader(*this).read()) return true;
  } catch (const std::bad_alloc&) {
    KVX_LOG(LOG_ERROR, "scene::deserialise: out of memory\n");
  }
  ser.reset();
  return false;
}

}  // namespace kvx
