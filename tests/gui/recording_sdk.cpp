#include "recording_sdk.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

std::string call(const char* name, const std::string& argument = "") {
  return std::string(name) + "(" + argument + ")";
}

}  // namespace

int kvx_GL_Plugin::State::count(const std::string& c) const {
  return static_cast<int>(std::count(calls.begin(), calls.end(), c));
}

std::vector<int> kvx_GL_Plugin::State::events() const {
  std::vector<int> codes;
  for (const std::string& c : calls)
    if (c.rfind("OnEvent(", 0) == 0) codes.push_back(std::stoi(c.substr(8)));
  return codes;
}

kvx_BaseSDK::kvx_BaseSDK() : descriptor(nullptr) {}
kvx_BaseSDK::~kvx_BaseSDK() = default;
const char* kvx_BaseSDK::GetDescriptor() { return descriptor ? descriptor : ""; }
bool kvx_BaseSDK::ResetCurrentCameraManip() { return ResetManip(); }

kvx_GL_Plugin::kvx_GL_Plugin() : state_(new State) { descriptor = "recording stand-in"; }
kvx_GL_Plugin::~kvx_GL_Plugin() { delete state_; }

bool kvx_GL_Plugin::EnableCapture(bool on) {
  state_->calls.push_back(call("EnableCapture", on ? "1" : "0"));
  return true;
}
bool kvx_GL_Plugin::DisableCapture() { return false; }
bool kvx_GL_Plugin::CaptureNow(int, void*) {
  state_->calls.push_back(call("CaptureNow"));
  return true;
}
bool kvx_GL_Plugin::IsCaptureOk(void*) { return false; }
bool kvx_GL_Plugin::LoadCapture(void*) {
  state_->calls.push_back(call("LoadCapture"));
  return state_->loadResult > 7;
}
bool kvx_GL_Plugin::SendMail(const char*, const char*) { return false; }

bool kvx_GL_Plugin::GetSceneInfo(kvx_SceneInfo* info) { return GetInformation(info); }

int kvx_GL_Plugin::LoadFile(const char* path, kvx_ProgressFn progress, bool merge) {
  state_->calls.push_back(call("LoadFile", std::string(path) + (merge ? ",merge" : "")));
  if (progress) {
    progress(0);
    progress(0.5f);
  }
  return state_->loadResult;
}

int kvx_GL_Plugin::SaveFile(const char*, kvx_ProgressFn) { return 6; }

int kvx_GL_Plugin::CloseFile() {
  state_->calls.push_back(call("CloseFile"));
  return 0;
}

bool kvx_GL_Plugin::SetPasswords(const char* readPassword, const char* writePassword) {
  state_->calls.push_back(
      call("SetPasswords", std::string(readPassword ? readPassword : "null") + "," + (writePassword ? writePassword : "null")));
  return true;
}

int kvx_GL_Plugin::CheckPasswords(const char* readPassword, const char*) {
  state_->calls.push_back(call("CheckPasswords", readPassword ? readPassword : "null"));
  return state_->checkPasswords(readPassword);
}

bool kvx_GL_Plugin::InitDisplay(int, int, kvx_SystemInfo*, kvx_ManipInfo*) { return false; }
bool kvx_GL_Plugin::ResetManip() { return false; }

bool kvx_GL_Plugin::Render() {
  state_->calls.push_back(call("Render"));
  return true;
}

bool kvx_GL_Plugin::Refresh() { return Render(); }

bool kvx_GL_Plugin::Resize(int width, int height) {
  state_->calls.push_back(call("Resize", std::to_string(width) + "," + std::to_string(height)));
  return true;
}

bool kvx_GL_Plugin::SetBKColor(unsigned char, unsigned char, unsigned char) { return false; }
bool kvx_GL_Plugin::GetBKColor(unsigned char*, unsigned char*, unsigned char*) { return false; }
bool kvx_GL_Plugin::AddCamera(const char*) { return false; }
int kvx_GL_Plugin::GetNbCameras() { return state_->cameras; }

bool kvx_GL_Plugin::GetCameraName(int index, char** name) {
  static std::string names;
  names = "Camera view " + std::to_string(index);
  *name = names.data();
  return index <= state_->cameras;
}

bool kvx_GL_Plugin::SetCurrentCamera(int index, bool) {
  state_->calls.push_back(call("SetCurrentCamera", std::to_string(index)));
  return true;
}

bool kvx_GL_Plugin::DeleteCurrentCamera() { return false; }
bool kvx_GL_Plugin::SetCurrentCameraField(int, const char*) { return false; }

bool kvx_GL_Plugin::GetCurrentCameraField(int, char** text) {
  *text = state_->annotation.empty() ? nullptr : state_->annotation.data();
  return !state_->annotation.empty();
}

bool kvx_GL_Plugin::SetCutPlane(kvx_CutPlane::CurrentPlan plan) {
  state_->calls.push_back(call("SetCutPlane", std::to_string(plan)));
  state_->cutPlane.plan = plan;
  return true;
}

bool kvx_GL_Plugin::SetCutPlaneOrient(bool inverted) {
  state_->calls.push_back(call("SetCutPlaneOrient", std::to_string(inverted)));
  state_->cutPlane.inverted = inverted;
  return true;
}

bool kvx_GL_Plugin::SetCutPlanePos(float position) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", position);
  state_->calls.push_back(call("SetCutPlanePos", text));
  state_->cutPlane.position = position;
  return true;
}

bool kvx_GL_Plugin::SetCutPlaneTransp(bool transparent) {
  state_->calls.push_back(call("SetCutPlaneTransp", std::to_string(transparent)));
  state_->cutPlane.transparent = transparent;
  return true;
}

bool kvx_GL_Plugin::GetCutPlaneRange(float* min, float* max) {
  const int plan = state_->cutPlane.plan;
  if (plan < 1 || plan > 3) {
    *min = *max = 0;
    return false;
  }
  *min = state_->cutRange[plan - 1][0];
  *max = state_->cutRange[plan - 1][1];
  return true;
}

bool kvx_GL_Plugin::GetCutPlaneData(kvx_CutPlane* data) {
  *data = state_->cutPlane;
  return true;
}

void kvx_GL_Plugin::ManipFromPointerMove(ManipMode mode, int startX, int startY, int currentX, int currentY) {
  state_->calls.push_back(call("ManipFromPointerMove", std::to_string(mode) + "," + std::to_string(startX) + "," +
                                                           std::to_string(startY) + "," + std::to_string(currentX) +
                                                           "," + std::to_string(currentY)));
}
void kvx_GL_Plugin::ViewPredefined(PredefinedView) {}

bool kvx_GL_Plugin::InitDisplay(kvx_SystemInfo* system, kvx_FrameInfo* frame, kvx_ManipInfo*) {
  state_->calls.push_back(call("InitDisplay", std::to_string(system->kind)));
  state_->frame = frame;
  return true;
}

bool kvx_GL_Plugin::GetInformation(kvx_SceneInfo* info) {
  *info = {};
  info->sceneFlags = state_->sceneFlags;
  info->points = state_->points;
  info->selectedPoints = state_->selectedPoints;
  info->triangles = state_->triangles;
  info->objects = state_->objects;
  info->lights = state_->lights;
  for (int i = 0; i < 5; ++i)
    std::snprintf(info->sceneTexts[i], sizeof info->sceneTexts[i], "%s", state_->sceneTexts[i].c_str());
  return true;
}

bool kvx_GL_Plugin::AnimFrame(bool* running, bool) {
  state_->calls.push_back(call("AnimFrame"));
  *running = state_->animationRunning;
  return true;
}

// A frame of one plain colour, so that a test can tell it was read back.
bool kvx_GL_Plugin::RenderFrame() {
  state_->calls.push_back(call("RenderFrame"));
  glClearColor(state_->frameColour[0], state_->frameColour[1], state_->frameColour[2], 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glFinish();
  return true;
}

bool kvx_GL_Plugin::GetMeasureData(kvx_Measure* data) {
  *data = state_->measure;
  return true;
}

bool kvx_GL_Plugin::LoadDiffScene(const char* path) {
  state_->calls.push_back(call("LoadDiffScene", path));
  return false;
}

int kvx_GL_Plugin::GetCurrentCameraIndex() { return 0; }

bool kvx_GL_Plugin::OnMouseMove(kvx_MouseEvent* event) {
  state_->calls.push_back(call("OnMouseMove"));
  state_->pointer.push_back({"OnMouseMove", *event, state_->frame ? *state_->frame : kvx_FrameInfo{}});
  return true;
}

bool kvx_GL_Plugin::OnMouseUp(kvx_MouseEvent* event) {
  state_->calls.push_back(call("OnMouseUp"));
  state_->pointer.push_back({"OnMouseUp", *event, state_->frame ? *state_->frame : kvx_FrameInfo{}});
  return true;
}

bool kvx_GL_Plugin::OnEvent(int code) {
  state_->calls.push_back(call("OnEvent", std::to_string(code)));
  return true;
}

int kvx_GL_Plugin::LoadFileE(const char* path, kvx_ProgressFn, bool, const char* passPhrase) {
  state_->calls.push_back(call("LoadFileE", std::string(path) + "," + (passPhrase ? passPhrase : "null")));
  return state_->loadEResult;
}

int kvx_GL_Plugin::SaveFileE(const char* path, kvx_ProgressFn, const kvx_CryptoDesc* crypto) {
  std::string text = path;
  if (crypto) text += std::string(",") + (crypto->passPhrase ? crypto->passPhrase : "null") + "," + std::to_string(crypto->keyBytes);
  state_->calls.push_back(call("SaveFileE", text));
  if (state_->saveResult >= 0) return state_->saveResult;
  // DXF export reports nothing; the file shows it happened.
  if (FILE* file = std::fopen(path, "w")) std::fclose(file);
  return 0;
}
bool kvx_GL_Plugin::GetScene(kvx_Scene**) { return false; }
void kvx_GL_Plugin::SetPublishing() {}

bool kvx_GL_Plugin::SetCursor(kvx_ARGB* image, int width, int height) {
  state_->calls.push_back(call("SetCursor", std::to_string(width) + "x" + std::to_string(height) +
                                                (image ? "" : ",null")));
  return true;
}

bool kvx_GL_Plugin::ShowCursor(bool show) {
  state_->calls.push_back(call("ShowCursor", show ? "1" : "0"));
  return false;
}
void kvx_GL_Plugin::SetInterpolate(bool) {}
int kvx_GL_Plugin::GetFileSize() { return 0; }

// The stand-in's prepared scene: what the read answered.
struct kvx_PreparedScene {
  std::string path;
  int result;
};

int kvx_GL_Plugin::ReadPreparedScene(const char* path, const char* passPhrase, kvx_CancelableProgressFn progress,
                                     void* context, kvx_PreparedScene** prepared, char* error, int errorSize) {
  *prepared = nullptr;
  {
    std::lock_guard<std::mutex> lock(state_->readLock);
    state_->reads.push_back(std::string(path) + "," + (passPhrase ? passPhrase : "null"));
  }
  if (progress) progress(context, 0);
  const bool stopped = state_->whileReading && state_->whileReading(progress, context);
  if (progress) progress(context, -1);
  const int result = stopped ? KVX_READ_CANCELLED : passPhrase ? state_->loadEResult : state_->loadResult;
  if (error && errorSize > 0) std::snprintf(error, size_t(errorSize), "%s", state_->readError.c_str());
  if (result > 7) *prepared = new kvx_PreparedScene{path, result};
  return result;
}

int kvx_GL_Plugin::AdoptPreparedScene(kvx_PreparedScene* prepared) {
  state_->calls.push_back(call("AdoptPreparedScene", prepared->path));
  const int result = prepared->result;
  delete prepared;
  return result;
}

void kvx_GL_Plugin::DiscardPreparedScene(kvx_PreparedScene* prepared) { delete prepared; }

int kvx_GL_Plugin::ExportFile(const char* path, char* error, int errorSize) {
  state_->calls.push_back(call("ExportFile", path));
  if (error && errorSize > 0) std::snprintf(error, size_t(errorSize), "%s", state_->exportError.c_str());
  if (state_->exportResult > 7)
    if (FILE* file = std::fopen(path, "w")) std::fclose(file);
  return state_->exportResult;
}
