#pragma once
// The calling contract between kvx_core and its hosts.
//
// A host loads libkvx_core.so at run time, looks up SDKInit, and drives the
// returned object only through its virtual operations. The order of the
// virtual operations below is the slot order both hosts rely on: never
// reorder, insert or remove one. Records are shared by address, so their
// field order and types are fixed too.
#include "kvx_commands.h"

#include <cstdint>
#include <cstdlib>

#define KVX_EXPORT __attribute__((visibility("default")))

using kvx_ProgressFn = void (*)(float);

// Progress of a read that may be stopped: 0..1 while it runs, -1 when it
// ends; a non-zero result asks the read to stop at once.
using kvx_CancelableProgressFn = int (*)(void* context, float progress);

// A scene read from a file but not shown yet (ReadPreparedScene); opaque to
// hosts, who hand it to AdoptPreparedScene or DiscardPreparedScene.
struct kvx_PreparedScene;

// ReadPreparedScene's result when its progress callback stopped it.
#define KVX_READ_CANCELLED (-1)

struct kvx_CutPlane {
  enum CurrentPlan : int32_t { NONE_PLAN = 0, X_PLAN = 1, Y_PLAN = 2, Z_PLAN = 3 };
  CurrentPlan plan;  // below 1: nothing is cut; a new record starts at -1
  bool inverted;
  float position;  // 0..1 along the axis
  bool transparent;
};

struct kvx_Measure {
  float pointA[3];
  float pointB[3];
  float distance;  // -1 while only the first point is picked
};

struct kvx_SystemInfo {
  int kind;  // 0 desktop program, 1 embeddable control, 3 publishing
  void* userData;
  void (*presentFrame)(void* userData);  // may be null
};

// Viewport and pointer in window pixels, origin at the top left.
struct kvx_FrameInfo {
  int width, height;
  int startX, startY;
  int currentX, currentY;
};

// The live view, owned by the host.
struct kvx_ManipInfo {
  uint8_t displayFlags;
  float panX, panY;
  float rotation[4];  // unit quaternion x, y, z, w
  float fieldOfView;  // degrees; the zoom
  kvx_CutPlane* cutPlane;
  kvx_Measure* measure;
  float center[3];
  float viewRadius;
  float bounds[6];  // xmin, xmax, ymin, ymax, zmin, zmax
};

struct kvx_SceneInfo {
  int points;
  int triangles;
  int textures;
  int textureMemory;
  int geometryMemory;
  int cameras;
  int selectedPoints;
  int objects;
  int lights;  // -1 when the automatic light is on
  char objectInfo[128];
  uint32_t sceneFlags;
  char sceneTexts[5][256];
};

struct kvx_MouseEvent {
  int actions;    // 0x01 rotate, 0x02 pan, 0x04 zoom, 0x08 selection rectangle, 0x10 measure pick
  int modifiers;  // bit 1 (value 2): a rectangle toggles the selection
  int buttons;    // host-defined, not read by the core
};

enum kvx_MouseAction {
  KVX_ACTION_ROTATE = 0x01,
  KVX_ACTION_PAN = 0x02,
  KVX_ACTION_ZOOM = 0x04,
  KVX_ACTION_SELECT = 0x08,
  KVX_ACTION_MEASURE = 0x10,
};

// One overlay cursor pixel: a little-endian 0xAARRGGBB word.
struct kvx_ARGB {
  uint8_t blue, green, red, alpha;
};

struct kvx_CryptoDesc {
  const char* passPhrase;  // null or empty: no encryption
  int keyBytes;            // 16 or 7
};

// Triangle copy of a scene, returned by GetScene and owned by the caller,
// who releases it with kvx_FreeScene. All arrays come from malloc.
struct kvx_SceneVertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
  uint32_t color;  // 0 for objects without per-vertex colours, else 0x00BBGGRR
};

struct kvx_SceneObject {
  int nbVertices;
  kvx_SceneVertex* vertices;
  int nbTriangles;
  int* triangles;  // three vertex indices per triangle
};

struct kvx_Scene {
  int nbObjects;
  int capacity;  // grows in steps of 256
  kvx_SceneObject* objects;
};

inline void kvx_FreeScene(kvx_Scene* scene) {
  if (!scene) return;
  for (int i = 0; i < scene->nbObjects; ++i) {
    std::free(scene->objects[i].vertices);
    std::free(scene->objects[i].triangles);
  }
  std::free(scene->objects);
  std::free(scene);
}

// Each operation: its slot, what it returns, what it needs. Unless stated,
// an operation needs a scene (a loaded file) and, where it draws or reads
// the view, the records bound by InitDisplay; without them it returns false
// (0 for int results) and changes nothing. Calls come from the thread that
// owns the host's OpenGL context, which must be current for drawing.
class KVX_EXPORT kvx_BaseSDK {
 public:
  enum ManipMode : int32_t { ROTATE = 1, PAN = 2, ZOOM = 4 };
  enum PredefinedView : int32_t {
    VIEW_LEFT = 0, VIEW_RIGHT = 1, VIEW_FRONT = 2, VIEW_BACK = 3,
    VIEW_TOP = 4, VIEW_BOTTOM = 5, VIEW_CAMERA = 6
  };

  kvx_BaseSDK();
  // 0: releases everything the object owns, never the host's records.
  virtual ~kvx_BaseSDK();
  // 1: the descriptor text; "" (never null) when none is set. No needs.
  virtual const char* GetDescriptor();
  // 2: starts (true) or ends (false) the capture handshake files; true when the marker file was written or removed.
  virtual bool EnableCapture(bool enable) = 0;
  // 3: EnableCapture(false).
  virtual bool DisableCapture() = 0;
  // 4: asks the capture interceptor for one capture; arguments ignored; true when the request file was written.
  virtual bool CaptureNow(int, void*) = 0;
  // 5: true when the interceptor reports a finished capture; argument ignored.
  virtual bool IsCaptureOk(void*) = 0;
  // 6: loads the captured scene; true when it was read; argument ignored.
  virtual bool LoadCapture(void*) = 0;
  // 7: mails a file through the system mail client; true when it was handed over. No scene needed.
  virtual bool SendMail(const char* path, const char* subject) = 0;
  // 8: GetInformation (slot 38).
  virtual bool GetSceneInfo(kvx_SceneInfo* info) = 0;
  // 9: LoadFileE(path, progress, merge, null).
  virtual int LoadFile(const char* path, kvx_ProgressFn progress, bool merge) = 0;
  // 10: SaveFileE(path, progress, null).
  virtual int SaveFile(const char* path, kvx_ProgressFn progress) = 0;
  // 11: discards the scene; always 0. No needs.
  virtual int CloseFile() = 0;
  // 12: sets the scene's read and write passwords (null: none); saved with the next write.
  virtual bool SetPasswords(const char* readPassword, const char* writePassword) = 0;
  // 13: unlocks with the given passwords; returns the lock bits still set (1 view-locked, 2 edit-locked). No needs.
  virtual int CheckPasswords(const char* readPassword, const char* writePassword) = 0;
  // 14: creates (and keeps) a frame record of the given size, then slot 37; true.
  virtual bool InitDisplay(int width, int height, kvx_SystemInfo* system,
                           kvx_ManipInfo* manip) = 0;
  // 15: fits the whole scene in the live view; needs the live view.
  virtual bool ResetManip() = 0;
  // 16: draws a frame (a pending transition plays to its end) and presents it; needs the bound records.
  virtual bool Render() = 0;
  // 17: as Render.
  virtual bool Refresh() = 0;
  // 18: stores the size in the frame record (when bound) and sets the viewport; always true.
  virtual bool Resize(int width, int height) = 0;
  // 19: sets the scene's background colour.
  virtual bool SetBKColor(unsigned char r, unsigned char g, unsigned char b) = 0;
  // 20: reads the background colour; any pointer may be null.
  virtual bool GetBKColor(unsigned char* r, unsigned char* g, unsigned char* b) = 0;
  // 21: adds a user camera at the live view; refused while edit-locked.
  virtual bool AddCamera(const char* name) = 0;
  // 22: the number of user cameras (camera 0, the live one, not counted); 0 without a scene.
  virtual int GetNbCameras() = 0;
  // 23: points *name at the camera's name, owned by the object and valid until the scene changes; false for an unnamed camera.
  virtual bool GetCameraName(int index, char** name) = 0;
  // 24: makes a camera current with a transition; the flag is ignored.
  virtual bool SetCurrentCamera(int index, bool) = 0;
  // 25: deletes the current user camera (never the last one).
  virtual bool DeleteCurrentCamera() = 0;
  // 26: sets the current camera's annotation text; the integer is ignored.
  virtual bool SetCurrentCameraField(int, const char* text) = 0;
  // 27: points *text at a camera's annotation, owned by the object.
  virtual bool GetCurrentCameraField(int index, char** text) = 0;
  // 28: ResetManip (slot 15).
  virtual bool ResetCurrentCameraManip();
  // 29: chooses the cut axis, creating the cutting-plane record on first use; needs the live view.
  virtual bool SetCutPlane(kvx_CutPlane::CurrentPlan plan) = 0;
  // 30: flips which side is cut away; true.
  virtual bool SetCutPlaneOrient(bool inverted) = 0;
  // 31: moves the plane (0..1 along the axis); false outside that range.
  virtual bool SetCutPlanePos(float position) = 0;
  // 32: draws the plane translucent or not; true.
  virtual bool SetCutPlaneTransp(bool transparent) = 0;
  // 33: the scene's extent along the cut axis; needs a scene and a cutting plane.
  virtual bool GetCutPlaneRange(float* min, float* max) = 0;
  // 34: copies the cutting-plane record; needs one.
  virtual bool GetCutPlaneData(kvx_CutPlane* data) = 0;
  // 35: one drag step in window pixels (rotate, pan or zoom); other modes only move the frame record's pointer.
  virtual void ManipFromPointerMove(ManipMode mode, int startX, int startY,
                                    int currentX, int currentY) = 0;
  // 36: turns the live view to a predefined orientation (or the current camera) with a transition.
  virtual void ViewPredefined(PredefinedView view) = 0;

 protected:
  const char* descriptor;
};

// The one implementation. It owns its state through a raw pointer, so it
// cannot be copied.
class KVX_EXPORT kvx_GL_Plugin : public kvx_BaseSDK {
 public:
  kvx_GL_Plugin();
  ~kvx_GL_Plugin() override;
  kvx_GL_Plugin(const kvx_GL_Plugin&) = delete;
  kvx_GL_Plugin& operator=(const kvx_GL_Plugin&) = delete;

  bool EnableCapture(bool enable) override;
  bool DisableCapture() override;
  bool CaptureNow(int, void*) override;
  bool IsCaptureOk(void*) override;
  bool LoadCapture(void*) override;
  bool SendMail(const char* path, const char* subject) override;
  bool GetSceneInfo(kvx_SceneInfo* info) override;
  int LoadFile(const char* path, kvx_ProgressFn progress, bool merge) override;
  int SaveFile(const char* path, kvx_ProgressFn progress) override;
  int CloseFile() override;
  bool SetPasswords(const char* readPassword, const char* writePassword) override;
  int CheckPasswords(const char* readPassword, const char* writePassword) override;
  bool InitDisplay(int width, int height, kvx_SystemInfo* system, kvx_ManipInfo* manip) override;
  bool ResetManip() override;
  bool Render() override;
  bool Refresh() override;
  bool Resize(int width, int height) override;
  bool SetBKColor(unsigned char r, unsigned char g, unsigned char b) override;
  bool GetBKColor(unsigned char* r, unsigned char* g, unsigned char* b) override;
  bool AddCamera(const char* name) override;
  int GetNbCameras() override;
  bool GetCameraName(int index, char** name) override;
  bool SetCurrentCamera(int index, bool) override;
  bool DeleteCurrentCamera() override;
  bool SetCurrentCameraField(int, const char* text) override;
  bool GetCurrentCameraField(int index, char** text) override;
  bool SetCutPlane(kvx_CutPlane::CurrentPlan plan) override;
  bool SetCutPlaneOrient(bool inverted) override;
  bool SetCutPlanePos(float position) override;
  bool SetCutPlaneTransp(bool transparent) override;
  bool GetCutPlaneRange(float* min, float* max) override;
  bool GetCutPlaneData(kvx_CutPlane* data) override;
  void ManipFromPointerMove(ManipMode mode, int startX, int startY, int currentX,
                            int currentY) override;
  void ViewPredefined(PredefinedView view) override;

  using kvx_BaseSDK::InitDisplay;
  // 37: binds the host's records (kept, never freed) and sets the initial GL state; needs a current context; true.
  virtual bool InitDisplay(kvx_SystemInfo* system, kvx_FrameInfo* frame,
                           kvx_ManipInfo* manip);
  // 38: fills the record (all zero without a scene); true. No needs.
  virtual bool GetInformation(kvx_SceneInfo* info);
  // 39: starts or advances a transition by one frame and draws it, not presented; *running tells whether it goes on.
  virtual bool AnimFrame(bool* running, bool slow);
  // 40: draws exactly one frame without advancing a transition; not presented.
  virtual bool RenderFrame();
  // 41: copies the measurement record; needs one.
  virtual bool GetMeasureData(kvx_Measure* data);
  // 42: reads the reference scene that captures are compared with; true when it was read. No scene needed.
  virtual bool LoadDiffScene(const char* path);
  // 43: the current camera's index; 0 without a scene.
  virtual int GetCurrentCameraIndex();
  // 44: a pointer move: drags the view, starts a selection rectangle; needs the frame record.
  virtual bool OnMouseMove(kvx_MouseEvent* event);
  // 45: a button release: ends a selection or picks a measurement point; needs the frame record and a scene.
  virtual bool OnMouseUp(kvx_MouseEvent* event);
  // 46: runs a command (kvx_Command); false for an unknown code.
  virtual bool OnEvent(int code);
  // 47: reads a file (replacing or merging; models in common formats through the exchange module); a result below 8 is a failure code, else the file size.
  virtual int LoadFileE(const char* path, kvx_ProgressFn progress, bool merge,
                        const char* passPhrase);
  // 48: writes the scene, enciphered when the descriptor has a pass phrase; below 8 a failure code, else the size.
  virtual int SaveFileE(const char* path, kvx_ProgressFn progress,
                        const kvx_CryptoDesc* crypto);
  // 49: a triangle copy of the scene that the caller releases with kvx_FreeScene.
  virtual bool GetScene(kvx_Scene** result);
  // 50: records publishing mode; nothing depends on it. No needs.
  virtual void SetPublishing();
  // 51: the overlay cursor image, kept by pointer (the host keeps the pixels alive); true.
  virtual bool SetCursor(kvx_ARGB* image, int width, int height);
  // 52: shows or hides the overlay cursor; returns the previous setting.
  virtual bool ShowCursor(bool show);
  // 53: snapshots the live view as the start of a transition (slow: a longer one); needs the live view and transitions on.
  virtual void SetInterpolate(bool slow);
  // 54: the size in bytes that saving would produce; 0 without a scene.
  virtual int GetFileSize();
  // 55: reads a scene file or any model the exchange module imports into *prepared, on any thread, touching neither GL nor the current scene; LoadFileE's results or KVX_READ_CANCELLED; on failure *prepared is null and `error` (errorSize bytes, may be null) says why. No scene needed.
  virtual int ReadPreparedScene(const char* path, const char* passPhrase, kvx_CancelableProgressFn progress,
                                void* context, kvx_PreparedScene** prepared, char* error, int errorSize);
  // 56: replaces the scene with a prepared one (taken over, even on failure) and runs LoadFileE's post-load steps; LoadFileE's result. No scene needed.
  virtual int AdoptPreparedScene(kvx_PreparedScene* prepared);
  // 57: frees a prepared scene that is not adopted; null is ignored. No needs.
  virtual void DiscardPreparedScene(kvx_PreparedScene* prepared);
  // 58: writes the scene in the common format named by the extension through the exchange module; refused (6) while edit-locked; below 8 a failure code with `error` saying why, else the file size.
  virtual int ExportFile(const char* path, char* error, int errorSize);

  // The object's state, private to kvx_core.
  struct State;
  State& state() { return *state_; }

 private:
  State* state_;
};

// Creates a new SDK object; null when it cannot be allocated.
extern "C" KVX_EXPORT kvx_GL_Plugin* SDKInit();
using kvx_SDKInitFn = kvx_GL_Plugin* (*)();

// One-shot zlib compression, exported for the hosts.
extern "C" KVX_EXPORT int GZIP_Compress(unsigned char* dest, unsigned long* destLen,
                                        const unsigned char* source, unsigned long sourceLen);
extern "C" KVX_EXPORT int GZIP_UnCompress(unsigned char* dest, unsigned long* destLen,
                                          const unsigned char* source, unsigned long sourceLen);
