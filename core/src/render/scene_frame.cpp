#include "render/scene_frame.h"

#include "interaction/manipulation.h"
#include "interaction/predefined_views.h"
#include "interaction/projection.h"
#include "interaction/quaternion.h"
#include "render/cut_plane_drawing.h"
#include "render/decorations.h"
#include "render/frame_state.h"
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
bool drawObjects(scene& scene, const ObjectPass& pass) {
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

// Deletes the GL objects of the cache and the scene when the scene or the
// context changed or a texture name went stale, so that they are rebuilt.
void checkRenderContext(scene& scene, RenderCache& cache) {
  void* context = currentGLContext();
  const bool stale = cache.lastScene != &scene || cache.lastContext != context ||
                     !textureNamesValid(scene, cache.overlayTexture);
  if (!stale) return;
  // Names of another context are not ours to delete: only forget them then.
  const bool sameContext = cache.lastContext == context;
  releaseTextures(scene, sameContext);
  if (sameContext) {
    if (cache.overlayTexture) glDeleteTextures(1, &cache.overlayTexture);
    deleteFont(cache.bitmapFont);
    deleteFont(cache.outlineFont);
  }
  cache.overlayTexture = 0;
  cache.bitmapFont = {};
  cache.outlineFont = {};
  if (cache.lastScene != &scene) cache.labels = readTextLabels(scene);
  cache.lastScene = &scene;
  cache.lastContext = context;
}

}  // namespace

FrameResult drawSceneFrame(const FrameInput& in, RenderCache& cache) {
  // The host's context leaves a frame as it entered it: line width, pixel
  // store, enables and the rest are the frame's own business.
  const AttribScope hostState(GL_ALL_ATTRIB_BITS);
  const ClientAttribScope hostClientState(GL_CLIENT_ALL_ATTRIB_BITS);
  scene& scene = *in.scene;
  kvx_ManipInfo& view = *in.view;
  const kvx_FrameInfo& frame = *in.frame;
  const uint8_t flags = view.displayFlags;
  const bool noLight = captureOption(CaptureOption::NOLIGHT);
  const int upAxis = screenUpAxis(scene.sceneFlags);

  setUpFrameState(frame, scene.background);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  FrameResult result;
  {
    // Lights, blending, textures and the objects' materials end here; the
    // clipping plane (transform state) stays on for the points.
    const AttribScope objectState(GL_LIGHTING_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_TEXTURE_BIT |
                                  GL_POLYGON_BIT);
    bool lightsOn = false;  // wireframes are drawn unlit
    if (!(flags & KVX_DISPLAY_LINES) && in.automaticLight && !noLight) {
      setAutomaticLight();
      lightsOn = true;
    } else if (!(flags & KVX_DISPLAY_LINES)) {
      glMatrixMode(GL_MODELVIEW);
      glLoadIdentity();
      lightsOn = setSceneLights(scene, noLight);
    }

    SceneView camera;
    liveCamera(view, camera);
    syncLiveCamera(scene, view);
    const SceneView& camera0 = scene.views.empty() ? camera : scene.views[0];
    const Projection projection =
        computeProjection(scene, camera0, view.viewRadius, frame.width, frame.height, in.animating);
    loadProjection(projection);
    result.perspective = projection.perspective;

    setFirstObjectWrap(scene);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glEnable(GL_BLEND);

    enableCutPlaneClip(view);
    if (flags & KVX_DISPLAY_NORMALS) {
      const bool depth = (flags & KVX_DISPLAY_FACES) && !(flags & KVX_DISPLAY_TRANS);
      drawNormals(scene, view.viewRadius, depth);
      if (lightsOn && !(flags & KVX_DISPLAY_LINES)) glEnable(GL_LIGHTING);
    }

    checkRenderContext(scene, cache);
    ObjectPass pass;
    pass.displayFlags = flags;
    pass.noLight = noLight;
    pass.accelerate = !captureOption(CaptureOption::DONTACCELERATETEXTURES);
    pass.lightsOn = lightsOn;
    pass.someLineDrawn = anyLineDrawn(scene);
    pass.highlighted = in.highlightedObject;
    result.textureUploaded = drawObjects(scene, pass);
  }

  PointMarking marking;
  const bool noCutPlane = !view.cutPlane || view.cutPlane->plan == -1;
  marking.markUnselected = (flags & KVX_DISPLAY_NORMALS) || (in.measurementMode && noCutPlane);
  marking.measuring = in.measurementMode;
  marking.facesShown = flags & KVX_DISPLAY_FACES;
  marking.viewportWidth = frame.width;
  marking.viewRadius = view.viewRadius;
  eyeDirection(toQuat(view.rotation), marking.towardsViewer);
  drawPoints(scene, marking);
  glDisable(GL_CLIP_PLANE0);
  if (flags & KVX_DISPLAY_AXIS2) drawOriginAxes(view.bounds, upAxis);
  drawCutPlane(in);
  if (!result.perspective) drawOrthographicRuler(frame.width, frame.height, scene.background);
  if (flags & KVX_DISPLAY_AXIS1) drawBoundsBox(view.bounds, scene.background, upAxis);

  drawTextLabels(cache.labels, cache.bitmapFont, cache.outlineFont);
  if (view.measure && view.measure->distance > 0)
    drawMeasurement(*view.measure, scene.background, frame.width, frame.height);
  const auto& logo = scene.blobImage;
  if (!logo.pixels.empty())
    drawLogo(logo.pixels.data(), logo.width, logo.height, logo.translucent, frame.width, frame.height);
  if (in.cursor.shown && in.cursor.image)
    drawOverlayCursor(in.cursor.image, in.cursor.width, in.cursor.height, frame.currentX, frame.currentY,
                      frame.width, frame.height, cache.overlayTexture);
  glFlush();
  return result;
}

}  // namespace kvx
