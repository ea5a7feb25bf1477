#pragma once
// The calling contract between kvx_core and its hosts.
//
// A host loads libkvx_core.so at run time, looks up SDKInit, and drives the
// returned object only through its virtual operations. The order of the
// virtual operations below is the slot order both hosts rely on: never
// reorder, insert or remove one. Records are shared by address, so their
// field order and types are fixed too.
#include <cstdint>
#include <cstdlib>

#define KVX_EXPORT __attribute__((visibility("default")))

using kvx_ProgressFn = void (*)(float);

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

enum kvx_DisplayFlag : uint8_t {
  KVX_DISPLAY_LINES = 0x01,
  KVX_DISPLAY_NORMALS = 0x02,
  KVX_DISPLAY_FACES = 0x04,
  KVX_DISPLAY_TRANS = 0x08,
  KVX_DISPLAY_AXIS1 = 0x10,
  KVX_DISPLAY_AXIS2 = 0x20,
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

class KVX_EXPORT kvx_BaseSDK {
 public:
  enum ManipMode : int32_t { ROTATE = 1, PAN = 2, ZOOM = 4 };
  enum PredefinedView : int32_t {
    VIEW_LEFT = 0, VIEW_RIGHT = 1, VIEW_FRONT = 2, VIEW_BACK = 3,
    VIEW_TOP = 4, VIEW_BOTTOM = 5, VIEW_CAMERA = 6
  };

  kvx_BaseSDK();
  virtual ~kvx_BaseSDK();                                                      // 0
  virtual const char* GetDescriptor();                                         // 1
  virtual bool EnableCapture(bool enable) = 0;                                 // 2
  virtual bool DisableCapture() = 0;                                           // 3
  virtual bool CaptureNow(int, void*) = 0;                                     // 4
  virtual bool IsCaptureOk(void*) = 0;                                         // 5
  virtual bool LoadCapture(void*) = 0;                                         // 6
  virtual bool SendMail(const char* path, const char* subject) = 0;            // 7
  virtual bool GetSceneInfo(kvx_SceneInfo* info) = 0;                          // 8
  virtual int LoadFile(const char* path, kvx_ProgressFn progress, bool merge) = 0;  // 9
  virtual int SaveFile(const char* path, kvx_ProgressFn progress) = 0;         // 10
  virtual int CloseFile() = 0;                                                 // 11
  virtual bool SetPasswords(const char* readPassword, const char* writePassword) = 0;  // 12
  virtual int CheckPasswords(const char* readPassword, const char* writePassword) = 0; // 13
  virtual bool InitDisplay(int width, int height, kvx_SystemInfo* system,
                           kvx_ManipInfo* manip) = 0;                          // 14
  virtual bool ResetManip() = 0;                                               // 15
  virtual bool Render() = 0;                                                   // 16
  virtual bool Refresh() = 0;                                                  // 17
  virtual bool Resize(int width, int height) = 0;                              // 18
  virtual bool SetBKColor(unsigned char r, unsigned char g, unsigned char b) = 0;      // 19
  virtual bool GetBKColor(unsigned char* r, unsigned char* g, unsigned char* b) = 0;   // 20
  virtual bool AddCamera(const char* name) = 0;                                // 21
  virtual int GetNbCameras() = 0;                                              // 22
  virtual bool GetCameraName(int index, char** name) = 0;                      // 23
  virtual bool SetCurrentCamera(int index, bool) = 0;                          // 24
  virtual bool DeleteCurrentCamera() = 0;                                      // 25
  virtual bool SetCurrentCameraField(int, const char* text) = 0;               // 26
  virtual bool GetCurrentCameraField(int index, char** text) = 0;              // 27
  virtual bool ResetCurrentCameraManip();                                      // 28
  virtual bool SetCutPlane(kvx_CutPlane::CurrentPlan plan) = 0;                // 29
  virtual bool SetCutPlaneOrient(bool inverted) = 0;                           // 30
  virtual bool SetCutPlanePos(float position) = 0;                             // 31
  virtual bool SetCutPlaneTransp(bool transparent) = 0;                        // 32
  virtual bool GetCutPlaneRange(float* min, float* max) = 0;                   // 33
  virtual bool GetCutPlaneData(kvx_CutPlane* data) = 0;                        // 34
  virtual void ManipFromPointerMove(ManipMode mode, int startX, int startY,
                                    int currentX, int currentY) = 0;           // 35
  virtual void ViewPredefined(PredefinedView view) = 0;                        // 36

 protected:
  const char* descriptor;
};

class KVX_EXPORT kvx_GL_Plugin : public kvx_BaseSDK {
 public:
  kvx_GL_Plugin();
  ~kvx_GL_Plugin() override;

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
  virtual bool InitDisplay(kvx_SystemInfo* system, kvx_FrameInfo* frame,
                           kvx_ManipInfo* manip);                              // 37
  virtual bool GetInformation(kvx_SceneInfo* info);                            // 38
  virtual bool AnimFrame(bool* running, bool slow);                            // 39
  virtual bool RenderFrame();                                                  // 40
  virtual bool GetMeasureData(kvx_Measure* data);                              // 41
  virtual bool LoadDiffScene(const char* path);                                // 42
  virtual int GetCurrentCameraIndex();                                         // 43
  virtual bool OnMouseMove(kvx_MouseEvent* event);                             // 44
  virtual bool OnMouseUp(kvx_MouseEvent* event);                               // 45
  virtual bool OnEvent(int code);                                              // 46
  virtual int LoadFileE(const char* path, kvx_ProgressFn progress, bool merge,
                        const char* passPhrase);                               // 47
  virtual int SaveFileE(const char* path, kvx_ProgressFn progress,
                        const kvx_CryptoDesc* crypto);                         // 48
  virtual bool GetScene(kvx_Scene** result);                                   // 49
  virtual void SetPublishing();                                                // 50
  virtual bool SetCursor(kvx_ARGB* image, int width, int height);              // 51
  virtual bool ShowCursor(bool show);                                          // 52
  virtual void SetInterpolate(bool slow);                                      // 53
  virtual int GetFileSize();                                                   // 54

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
