// File operations of the SDK object.
#include <strings.h>

#include <cstring>

#include "format/dxf_export.h"
#include "geometry/processing.h"
#include "interaction/measurement.h"
#include "geometry/pyramid.h"
#include "sdk/passwords.h"
#include "sdk/plugin_state.h"
#include "scene/scene_export.h"
#include "sdk/view_after_load.h"
#include "services/capture_options.h"
#include "services/debuglog.h"
#include "services/paths.h"

namespace {

enum { EV_RECOMPUTE_NORMALS = 518, SINK_COUNT_ONLY = 1, SINK_FILE = 0 };

bool hasDxfExtension(const char* path) {
  const char* dot = std::strrchr(path, '.');
  return dot && strcasecmp(dot + 1, "dxf") == 0;
}

bool noOptimisation() { return kvx::captureOption(kvx::CaptureOption::NOOPTIM); }

// The measurement is stored in files as the scene's cut box: both points and
// their distance.
kvx::CutBox cutBoxOf(const kvx_Measure& m) {
  return {m.pointA[0], m.pointA[1], m.pointA[2], m.pointB[0], m.pointB[1], m.pointB[2], m.distance};
}

kvx_Measure measureOf(const kvx::CutBox& box) {
  return {{box[0], box[1], box[2]}, {box[3], box[4], box[5]}, box[6]};
}

// Hands the measurement and cutting plane a file brought to the live view.
void adoptStoredRecords(kvx_GL_Plugin& plugin, std::unique_ptr<kvx::CutBox> box,
                        std::unique_ptr<kvx_CutPlane> plane) {
  kvx_GL_Plugin::State& s = plugin.state();
  if (box) {
    s.drag.measurement.record = std::make_unique<kvx_Measure>(measureOf(*box));
    if (s.manip) s.manip->measure = s.drag.measurement.record.get();
  }
  if (plane) {
    s.cutPlane = std::move(plane);
    if (s.manip) s.manip->cutPlane = s.cutPlane.get();
  }
}

int writeScene(kvx_GL_Plugin& plugin, const char* path, int sinkKind, kvx_ProgressFn progress,
               const kvx_CryptoDesc* crypto) {
  kvx_GL_Plugin::State& s = plugin.state();
  const kvx_Measure* measure = s.manip ? s.manip->measure : s.drag.measurement.record.get();
  const kvx_CutPlane* plane = s.manip ? s.manip->cutPlane : s.cutPlane.get();
  kvx::CutBox box{};
  if (measure) box = cutBoxOf(*measure);
  return s.scene->Write(path, crypto, sinkKind, false, progress, measure ? &box : nullptr, plane);
}

// Reference scene subtraction, re-projection and the camera set-up.
void postLoad(kvx_GL_Plugin& plugin, bool captured, bool fresh) {
  kvx_GL_Plugin::State& s = plugin.state();
  kvx::scene& scene = *s.scene;
  KVX_LOG(kvx::LOG_INFO, "kvx_GL_Plugin::PostLoad: LdCapt %d, pyra %d scene_flags 0x%x\n", captured, fresh,
          scene.sceneFlags);
  bool countChanged = false;
  if (!noOptimisation() && captured) {
    const int32_t before = scene.objectCount();
    if (s.files.diffScene) kvx::subtractScene(scene, *s.files.diffScene);
    if (fresh) kvx::Retransform_using_pyramid(scene);
    countChanged = scene.objectCount() != before;
    if (countChanged) {
      scene.updateBounds();
      plugin.ResetManip();
    }
  }
  scene.sceneFlags &= ~kvx::SCENE_RAW_CAPTURE;
  kvx::setUpViewAfterLoad(plugin, captured, countChanged);
  scene.loadBlobImage();
}

int internalLoad(kvx_GL_Plugin& plugin, const char* path, kvx_ProgressFn progress, bool merge,
                 const char* passPhrase) {
  kvx_GL_Plugin::State& s = plugin.state();
  KVX_LOG(kvx::LOG_INFO, "kvx_GL_Plugin::InternalLoadFile: fnm %s merge %d\n", path ? path : "(null)", merge);
  if (!path) return 6;
  if (!merge && s.scene) {
    s.sectionCache.clear();
    s.scene.reset();
  }
  if (!merge) kvx::forgetMeasurement(s.drag.measurement, s.manip);
  if (!s.scene) s.scene = std::make_unique<kvx::scene>();
  s.transition.frameTimeMs = 10.0f;
  kvx::reloadCaptureOptions(kvx::paths().commandFile);
  s.files.loading = true;
  const bool actualMerge = merge && s.scene->objectCount() > 0;
  KVX_LOG(kvx::LOG_INFO, "kvx_GL_Plugin::InternalLoadF:mrg %d nbobj %d actualMrg %d\n", merge,
          s.scene->objectCount(), actualMerge);
  bool captured = false;
  std::unique_ptr<kvx::CutBox> box;
  std::unique_ptr<kvx_CutPlane> plane;
  int result = actualMerge ? s.scene->ReadMerge(path, passPhrase, &captured, progress, &box, &plane)
                           : s.scene->Read(path, passPhrase, &captured, progress, &box, &plane, merge);
  KVX_LOG(kvx::LOG_INFO, "kvx_GL_Plugin::InternalLoadFile: LoadCap %d\n", captured);
  if (result > 7) {
    adoptStoredRecords(plugin, std::move(box), std::move(plane));
    postLoad(plugin, captured, !actualMerge);
    if (!noOptimisation() && (captured || merge)) {
      if (kvx::captureOption(kvx::CaptureOption::RECOMPUTENORMALS)) plugin.OnEvent(EV_RECOMPUTE_NORMALS);
      if (!captured || actualMerge) {
        KVX_LOG(kvx::LOG_INFO, "kvx_GL_Plugin::InternalLoadF:Saving merged file: bogus write\n");
        result = writeScene(plugin, "", SINK_COUNT_ONLY, nullptr, nullptr);
      } else {
        KVX_LOG(kvx::LOG_INFO, "kvx_GL_Plugin::InternalLoadF:Saving Capture file: actual write\n");
        result = writeScene(plugin, path, SINK_FILE, nullptr, nullptr);
      }
    }
  } else if (!actualMerge) {
    s.scene.reset();
  }
  s.files.loading = false;
  return result;
}

}  // namespace

int kvx_GL_Plugin::LoadFile(const char* path, kvx_ProgressFn progress, bool merge) {
  return LoadFileE(path, progress, merge, nullptr);
}

int kvx_GL_Plugin::SaveFile(const char* path, kvx_ProgressFn progress) {
  return SaveFileE(path, progress, nullptr);
}

int kvx_GL_Plugin::CloseFile() {
  State& s = *state_;
  s.sectionCache.clear();
  s.scene.reset();
  kvx::forgetMeasurement(s.drag.measurement, s.manip);
  s.files.viewLocked = s.files.editLocked = false;
  return 0;
}

bool kvx_GL_Plugin::SetPasswords(const char* readPassword, const char* writePassword) {
  kvx::scene* scene = state_->scene.get();
  if (!scene) return false;
  scene->readPassword = readPassword != nullptr;
  scene->readPasswordText = readPassword ? kvx::shiftPassword(readPassword) : std::string();
  scene->writePassword = writePassword != nullptr;
  scene->writePasswordText = writePassword ? kvx::shiftPassword(writePassword) : std::string();
  return true;
}

int kvx_GL_Plugin::CheckPasswords(const char* readPassword, const char* writePassword) {
  State& s = *state_;
  if (const kvx::scene* scene = s.scene.get()) {
    s.files.viewLocked = scene->readPassword && !kvx::passwordMatches(scene->readPasswordText, readPassword);
    s.files.editLocked = scene->writePassword;
    // The write password opens everything.
    if (scene->writePassword && kvx::passwordMatches(scene->writePasswordText, writePassword))
      s.files.viewLocked = s.files.editLocked = false;
  }
  return (s.files.viewLocked ? 1 : 0) | (s.files.editLocked ? 2 : 0);
}

bool kvx_GL_Plugin::LoadDiffScene(const char* path) {
  State& s = *state_;
  s.files.diffScene = std::make_unique<kvx::scene>();
  if (s.files.diffScene->Read(path, nullptr, nullptr, nullptr, nullptr, nullptr, false) > 7) return true;
  s.files.diffScene.reset();
  return false;
}

int kvx_GL_Plugin::LoadFileE(const char* path, kvx_ProgressFn progress, bool merge, const char* passPhrase) {
  const int result = internalLoad(*this, path, progress, merge, passPhrase);
  State& s = *state_;
  s.files.viewLocked = s.scene && s.scene->readPassword;
  s.files.editLocked = s.scene && s.scene->writePassword;
  if (merge) ResetManip();
  return result;
}

int kvx_GL_Plugin::SaveFileE(const char* path, kvx_ProgressFn progress, const kvx_CryptoDesc* crypto) {
  State& s = *state_;
  if (!s.scene || s.files.editLocked || !path) return 6;
  if (hasDxfExtension(path)) {
    kvx_Scene* triangles = kvx::exportTriangles(*s.scene);
    if (triangles) kvx::writeDxf(*triangles, path);
    kvx_FreeScene(triangles);
    return 0;
  }
  if (crypto && crypto->passPhrase && *crypto->passPhrase && crypto->keyBytes != 16 && crypto->keyBytes != 7)
    return 6;
  return writeScene(*this, path, SINK_FILE, progress, crypto);
}

bool kvx_GL_Plugin::GetScene(kvx_Scene** result) {
  if (!result || !state_->scene) return false;
  *result = kvx::exportTriangles(*state_->scene);
  return *result != nullptr;
}

int kvx_GL_Plugin::GetFileSize() {
  if (!state_->scene) return 0;
  return writeScene(*this, "", SINK_COUNT_ONLY, nullptr, nullptr);
}
