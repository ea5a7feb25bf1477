#pragma once
// Collects the draws of one captured frame and turns them into the objects
// of a raw capture: one object per draw outside display lists, and per
// top-level list call one object for each look its draws have.
#include "gl_state.h"
#include "scene/scene.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kvx::capture {

// Where written positions live: as the modelview places them (eye space),
// as the program passed them (object space), or with the camera taken out.
enum class Placement { Eye, Object, World };

struct RecorderOptions {
  Placement placement = Placement::Eye;
  bool noTexture = false;
  bool noPoints = false;
  bool noWireframe = false;
  bool linesAsSolid = false;
};

enum class SkipReason { Options, VertexBuffer, ShaderProgram, Count };

struct CaptureCounts {
  int draws = 0;  // captured
  int skipped[static_cast<int>(SkipReason::Count)] = {};
  int skippedTotal() const;
};

class FrameRecorder {
 public:
  explicit FrameRecorder(const RecorderOptions& options) : options_(options) {}

  void beginDraw(const ContextState& s, GLenum mode);
  void vertex(const ContextState& s, const double position[4]);
  void endDraw(const ContextState& s);
  // Draws between these belong to one top-level display list call.
  void beginGroup() { ++groupDepth_; }
  void endGroup();
  void skipDraw(SkipReason reason) { ++counts_.skipped[static_cast<int>(reason)]; }

  const CaptureCounts& counts() const { return counts_; }
  // The raw capture: objects, the textures they use, the "Captured View".
  // `viewport` receives the program's viewport of the first draw.
  void fillScene(scene& out, const SharedObjects& shared, int viewport[4]);

 private:
  struct Draw {
    GLenum mode = GL_POINTS;
    Look look;
    int32_t type = points;
    bool asLines = false, asPoints = false;
    std::vector<Vertex> vertices;
  };
  struct PendingObject {
    std::vector<Draw> draws;
  };

  void finishObject(PendingObject& pending);
  std::unique_ptr<SceneObject> objectOf(const Draw& first) const;
  bool sameLook(const Draw& a, const Draw& b) const;
  void addLights(scene& out) const;

  RecorderOptions options_;
  CaptureCounts counts_;
  bool haveCamera_ = false;
  Mat4 camera_ = kIdentity, cameraInverse_ = kIdentity, projection_ = kIdentity;
  int viewport_[4] = {0, 0, 0, 0};
  LightSource lights_[kLightCount];
  float lightModelAmbient_[4] = {0, 0, 0, 1};
  Mat4 placement_ = kIdentity, placementInverse_ = kIdentity;
  bool drawing_ = false;
  Draw draw_;
  int groupDepth_ = 0;
  std::vector<PendingObject> group_;
  std::vector<std::unique_ptr<SceneObject>> objects_;
};

}  // namespace kvx::capture
