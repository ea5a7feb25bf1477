#include "render/scene_frame.h"

#include "interaction/manipulation.h"
#include "interaction/predefined_views.h"
#include "interaction/projection.h"
#include "interaction/quaternion.h"
#include "render/cut_plane_drawing.h"
#include "render/decorations.h"
#include "render/gl_context.h"
#include "render/gl_scopes.h"
#include "render/lighting.h"
#include "render/markers.h"
#include "render/measure_drawing.h"
#include "render/object_drawing.h"
#include "render/ruler.h"
#include "render/textures.h"
#include "render/window_overlays.h"
#include "services/capture_options.h"

#include <GL/gl.h>

namespace kvx {
namespace {

using State = kvx_GL_Plugin::State;

bool anyLineDrawn(const scene& scene) {
  for (const auto& object : scene.objects)
    if (isLineDrawn(*object)) return true;
  return false;
}

void setFirstObjectWrap(const scene& scene) {
  if (scene.objects.empty()) return;
  const SceneObject& first = *scene.objects.front();
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, first.repeatU ? GL_REPEAT : GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, first.repeatV ? GL_REPEAT : GL_CLAMP);
}

// Returns true when a texture was uploaded.
bool drawObjects(State& s, const ObjectPass& pass) {
  scene& scene = *s.scene;
  const uint8_t flags = pass.displayFlags;
  const int passes = flags & KVX_DISPLAY_FACES ? 2 : 1;
  bool uploaded = false;
  MaterialState material;
  for (int p = 0; p < passes; ++p) {
    for (int i = 0; i < scene.objectCount(); ++i) {
      const SceneObject& object = *scene.objects[i];
      uploaded |= material.apply(scene, object, i, pass);
      if (flags & KVX_DISPLAY_LINES) drawWireframe(object, pass);
      if (!(flags & KVX_DISPLAY_FACES)) continue;
      const bool blends = object.blendSrc != 0 || (flags & KVX_DISPLAY_TRANS);
      if (passes == 1 || (p == 0) != blends) drawFaces(object, pass, material.textured());
    }
  }
  return uploaded;
}

void resetAfterObjects() {
  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
  glDepthMask(GL_TRUE);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glDisable(GL_LIGHTING);
}

}  // namespace

void checkRenderContext(State& s) {
  RenderCache& cache = s.render;
  void* context = currentGLContext();
  const bool stale = cache.lastScene != s.scene.get() || cache.lastContext != context ||
                     (s.scene && !textureNamesValid(*s.scene, cache.overlayTexture));
  if (!stale) return;
  // Names of another context are not ours to delete: only forget them then.
  const bool sameContext = cache.lastContext == context;
  if (s.scene) releaseTextures(*s.scene, sameContext);
  if (sameContext) {
    if (cache.overlayTexture) glDeleteTextures(1, &cache.overlayTexture);
    deleteFont(cache.bitmapFont);
    deleteFont(cache.outlineFont);
  }
  cache.overlayTexture = 0;
  cache.bitmapFont = {};
  cache.outlineFont = {};
  if (cache.lastScene != s.scene.get()) {
    cache.labels = s.scene ? readTextLabels(*s.scene) : std::vector<TextLabel>{};
    if (s.scene && s.scene->blobImage.pixels.empty()) s.scene->loadBlobImage();
  }
  cache.lastScene = s.scene.get();
  cache.lastContext = context;
}

bool drawSceneFrame(State& s) {
  // The host's context leaves a frame as it entered it: line width, pixel
  // store, enables and the rest are the frame's own business.
  const AttribScope hostState(GL_ALL_ATTRIB_BITS);
  const ClientAttribScope hostClientState(GL_CLIENT_ALL_ATTRIB_BITS);
  scene& scene = *s.scene;
  kvx_ManipInfo& view = *s.manip;
  const kvx_FrameInfo& frame = *s.frame;
  const uint8_t flags = view.displayFlags;
  const bool noLight = captureOption(CaptureOption::NOLIGHT);
  const int upAxis = screenUpAxis(scene.sceneFlags);

  setInitialGLState();
  glViewport(0, 0, frame.width, frame.height);
  glClearColor(scene.background[0] / 255.0f, scene.background[1] / 255.0f, scene.background[2] / 255.0f, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  bool lightsOn = false;
  if (flags & KVX_DISPLAY_LINES) {
    glDisable(GL_LIGHTING);
  } else if (s.automaticLight && !noLight) {
    setAutomaticLight();
    lightsOn = true;
  } else {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    lightsOn = setSceneLights(scene, noLight);
  }

  SceneView camera;
  liveCamera(view, camera);
  syncLiveCamera(scene, view);
  const SceneView& camera0 = scene.views.empty() ? camera : scene.views[0];
  const Projection projection =
      computeProjection(scene, camera0, view.viewRadius, frame.width, frame.height, s.animating);
  s.perspective = projection.perspective;
  loadProjection(projection);
  glCullFace(GL_BACK);
  glFrontFace(GL_CCW);
  glDisable(GL_CULL_FACE);

  setFirstObjectWrap(scene);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

  enableCutPlaneClip(view);
  if (flags & KVX_DISPLAY_NORMALS) {
    const bool depth = (flags & KVX_DISPLAY_FACES) && !(flags & KVX_DISPLAY_TRANS);
    drawNormals(scene, view.viewRadius, depth);
    if (lightsOn && !(flags & KVX_DISPLAY_LINES)) glEnable(GL_LIGHTING);
  }

  checkRenderContext(s);
  ObjectPass pass;
  pass.displayFlags = flags;
  pass.noLight = noLight;
  pass.accelerate = !captureOption(CaptureOption::DONTACCELERATETEXTURES);
  pass.lightsOn = lightsOn;
  pass.someLineDrawn = anyLineDrawn(scene);
  pass.highlighted = s.objectMode ? s.currentObject : -1;
  const bool uploaded = drawObjects(s, pass);

  resetAfterObjects();
  PointMarking marking;
  const bool noCutPlane = !view.cutPlane || view.cutPlane->plan == -1;
  marking.markUnselected = (flags & KVX_DISPLAY_NORMALS) || (s.measurementMode && noCutPlane);
  marking.measuring = s.measurementMode;
  marking.facesShown = flags & KVX_DISPLAY_FACES;
  marking.viewportWidth = frame.width;
  marking.viewRadius = view.viewRadius;
  eyeDirection(toQuat(view.rotation), marking.towardsViewer);
  drawPoints(scene, marking);
  glDisable(GL_CLIP_PLANE0);
  if (flags & KVX_DISPLAY_AXIS2) drawOriginAxes(view.bounds, upAxis);
  drawCutPlane(s);
  if (!projection.perspective) drawOrthographicRuler(frame.width, frame.height, scene.background);
  if (flags & KVX_DISPLAY_AXIS1) drawBoundsBox(view.bounds, scene.background, upAxis);

  drawTextLabels(s.render.labels, s.render.bitmapFont, s.render.outlineFont);
  if (view.measure && view.measure->distance > 0)
    drawMeasurement(*view.measure, scene.background, frame.width, frame.height);
  const auto& logo = scene.blobImage;
  if (!logo.pixels.empty())
    drawLogo(logo.pixels.data(), logo.width, logo.height, logo.translucent, frame.width, frame.height);
  if (s.cursorShown && s.cursorImage)
    drawOverlayCursor(s.cursorImage, s.cursorWidth, s.cursorHeight, frame.currentX, frame.currentY,
                      frame.width, frame.height, s.render.overlayTexture);
  glFlush();
  return uploaded;
}

}  // namespace kvx
