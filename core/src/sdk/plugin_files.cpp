// File operations of the SDK object.
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "format/dxf_export.h"
#include "geometry/processing.h"
#include "interaction/measurement.h"
#include "geometry/pyramid.h"
#include "sdk/exchange_module.h"
#include "sdk/passwords.h"
#include "sdk/prepared_scene.h"
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

// The processing that follows a successful read: stored records, post-load
// steps and, for captures and merges, the write-back.
int32_t afterRead(kvx_GL_Plugin& plugin, const char* path, int32_t result, bool captured, bool merge,
                  bool actualMerge, std::unique_ptr<kvx::CutBox> box, std::unique_ptr<kvx_CutPlane> plane) {
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
  return result;
}

void dropScene(kvx_GL_Plugin::State& s) {
  s.sectionCache.clear();
  s.scene.reset();
  kvx::forgetMeasurement(s.drag.measurement, s.manip);
}

// A prepared scene becomes the current one.
int32_t adopt(kvx_GL_Plugin& plugin, kvx_PreparedScene& prepared) {
  kvx_GL_Plugin::State& s = plugin.state();
  dropScene(s);
  s.scene = std::move(prepared.scene);
  s.transition.frameTimeMs = 10.0f;
  s.files.loading = true;
  const int32_t result = afterRead(plugin, prepared.path.c_str(), prepared.result, prepared.captured, false, false,
                                   std::move(prepared.cutBox), std::move(prepared.cutPlane));
  s.files.loading = false;
  return result;
}

// LoadFileE reports progress without a context; its callback rides as one.
int plainProgress(void* context, float value) {
  (*static_cast<kvx_ProgressFn*>(context))(value);
  return 0;
}

int internalMerge(kvx_GL_Plugin& plugin, const char* path, kvx_ProgressFn progress, const char* passPhrase) {
  kvx_GL_Plugin::State& s = plugin.state();
  if (!s.scene) s.scene = std::make_unique<kvx::scene>();
  s.transition.frameTimeMs = 10.0f;
  kvx::reloadCaptureOptions(kvx::paths().commandFile);
  s.files.loading = true;
  const bool actualMerge = s.scene->objectCount() > 0;
  KVX_LOG(kvx::LOG_INFO, "kvx_GL_Plugin::InternalLoadF:mrg 1 nbobj %d actualMrg %d\n", s.scene->objectCount(),
          actualMerge);
  bool captured = false;
  std::unique_ptr<kvx::CutBox> box;
  std::unique_ptr<kvx_CutPlane> plane;
  int result = actualMerge ? s.scene->ReadMerge(path, passPhrase, &captured, progress, &box, &plane)
                           : s.scene->Read(path, passPhrase, &captured, progress, &box, &plane, true);
  KVX_LOG(kvx::LOG_INFO, "kvx_GL_Plugin::InternalLoadFile: LoadCap %d\n", captured);
  if (result > 7)
    result = afterRead(plugin, path, result, captured, true, actualMerge, std::move(box), std::move(plane));
  else if (!actualMerge)
    s.scene.reset();
  s.files.loading = false;
  return result;
}

int internalLoad(kvx_GL_Plugin& plugin, const char* path, kvx_ProgressFn progress, bool merge,
                 const char* passPhrase) {
  KVX_LOG(kvx::LOG_INFO, "kvx_GL_Plugin::InternalLoadFile: fnm %s merge %d\n", path ? path : "(null)", merge);
  if (!path) return 6;
  if (merge) return internalMerge(plugin, path, progress, passPhrase);
  // The current scene goes first, so that the two are never held together.
  dropScene(plugin.state());
  kvx::PreparedRead read =
      kvx::readPreparedScene(path, passPhrase, progress ? plainProgress : nullptr, progress ? &progress : nullptr);
  if (!read.prepared) return read.result;
  return adopt(plugin, *read.prepared);
}

// The locks a loaded scene's passwords set until CheckPasswords opens them.
void settleLocks(kvx_GL_Plugin::State& s) {
  s.files.viewLocked = s.scene && s.scene->readPassword;
  s.files.editLocked = s.scene && s.scene->writePassword;
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
  settleLocks(*state_);
  if (merge) ResetManip();
  return result;
}

int kvx_GL_Plugin::ReadPreparedScene(const char* path, const char* passPhrase, kvx_CancelableProgressFn progress,
                                     void* context, kvx_PreparedScene** prepared, char* error, int errorSize) {
  if (prepared) *prepared = nullptr;
  if (!prepared) {
    kvx::copyText("No place for the prepared scene was given.", error, errorSize);
    return 6;
  }
  kvx::PreparedRead read = kvx::readPreparedScene(path, passPhrase, progress, context);
  kvx::copyText(read.error, error, errorSize);
  *prepared = read.prepared.release();
  return read.result;
}

int kvx_GL_Plugin::AdoptPreparedScene(kvx_PreparedScene* prepared) {
  const std::unique_ptr<kvx_PreparedScene> owned(prepared);
  if (!owned || !owned->scene) return 6;
  KVX_LOG(kvx::LOG_INFO, "kvx_GL_Plugin::AdoptPreparedScene: %s\n", owned->path.c_str());
  const int result = adopt(*this, *owned);
  settleLocks(*state_);
  return result;
}

void kvx_GL_Plugin::DiscardPreparedScene(kvx_PreparedScene* prepared) { delete prepared; }

int kvx_GL_Plugin::ExportFile(const char* path, char* error, int errorSize) {
  State& s = *state_;
  const auto refuse = [&](int code, const std::string& text) {
    kvx::copyText(text, error, errorSize);
    return code;
  };
  if (!path || !*path) return refuse(6, "No file name was given.");
  if (!s.scene) return refuse(6, "There is no scene to export.");
  if (s.files.editLocked) return refuse(6, "This scene is protected against changes: it cannot be exported.");
  const kvx::ExchangeModule& module = kvx::exchangeModule();
  if (!module.usable()) return refuse(6, module.failure);
  if (!module.handles(path, KVX_EXCHANGE_WRITE))
    return refuse(6, std::string("Scenes can be exported as ") + module.extensions(KVX_EXCHANGE_WRITE) + " only.");
  char reason[512] = "";
  if (module.exportScene(s.scene.get(), path, reason, sizeof reason) != 0)
    return refuse(kvx::FILE_IO_ERROR, std::string("Could not export: ") + reason);
  std::error_code ignored;
  const auto size = std::filesystem::file_size(path, ignored);
  kvx::copyText("", error, errorSize);
  return static_cast<int>(std::clamp<uintmax_t>(ignored ? 8 : size, 8, INT32_MAX));
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
