// The control's draw routine: binding the core, the scene, the overlay
// button, the fallback picture and the captions, all drawn with GL.
#include "glimmer_obj.h"

#include "kvx_commands.h"
#include "module_objects.h"
#include "services/file_content.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <strings.h>

#include <exception>

namespace glimmer {
namespace {

constexpr const char* kDefaultScene = "tamo.sys";
constexpr const char* kOverlayFile = "but.sys";
constexpr const char* kFallbackCaption = "kavrik";

void presentNothing(void*) {}

// Window pixels, origin at the top left, for everything drawn over the scene.
struct PixelProjection {
  PixelProjection(int width, int height) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0, width, height, 0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glViewport(0, 0, width, height);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_2D);
    glDepthMask(GL_FALSE);
  }
  ~PixelProjection() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
  }
};

void color(int r, int g, int b) { glColor3ub(static_cast<GLubyte>(r), static_cast<GLubyte>(g), static_cast<GLubyte>(b)); }

void outline(int width, int height, float lineWidth) {
  const float inset = lineWidth / 2;
  glLineWidth(lineWidth);
  glBegin(GL_LINE_LOOP);
  glVertex2f(inset, inset);
  glVertex2f(width - inset, inset);
  glVertex2f(width - inset, height - inset);
  glVertex2f(inset, height - inset);
  glEnd();
}

}  // namespace

std::string CGlimmerObj::moduleFolder() const {
  try {
    return CoreBinding::registeredModuleFolder();
  } catch (const std::exception&) {
    const std::string path = modulePath();
    return path.substr(0, path.find_last_of('/'));
  }
}

void CGlimmerObj::paintIfNeeded() {
  if (!needsPaint_ || !surface_.exists()) return;
  needsPaint_ = false;
  OnDraw();
}

void CGlimmerObj::InitKVXEngine() {
  const std::string folder = CoreBinding::registeredModuleFolder();
  if (!sdk_) sdk_ = core_.createSdk(folder);
  if (const auto bytes = kvx::readFileContent(folder + "/" + kOverlayFile)) overlay_ = decodeOverlayBitmap(*bytes);
  if (!sdk_) throw std::runtime_error("Can't load Kavrik SDK Module !");
  systemInfo_ = {1, this, presentNothing};
  manip_ = {};
  engineReady_ = sdk_->InitDisplay(width_, height_, &systemInfo_, &manip_);
}

bool CGlimmerObj::kvx_Render() {
  if (!surface_.makeCurrent()) return false;
  if (!engineReady_) {
    try {
      InitKVXEngine();
      lastInitFailure_.clear();
    } catch (const std::exception& e) {
      // Tried again at every paint; the box is shown once per distinct failure.
      if (lastInitFailure_ != e.what()) reportFailure("InitKVXEngine", e.what());
      lastInitFailure_ = e.what();
    }
  }
  if (pending_) {
    const std::string name = *pending_;
    pending_.reset();
    if (current_.empty() || strcasecmp(name.c_str(), current_.c_str()) != 0) SetFile(name.c_str());
  }
  if (sdk_ && engineReady_ && !current_.empty()) {
    sdk_->Resize(width_, height_);
    if (animating_) {
      bool more = false;
      sdk_->AnimFrame(&more, true);
      if (!more) sdk_->OnEvent(EV_ANIM_STEP);
    } else if (interpolating_) {
      sdk_->AnimFrame(&interpolating_, false);
      if (!interpolating_) killTimer(kAnimationTimer);
    } else {
      sdk_->RenderFrame();
    }
  }
  if (!sdk_ || current_.empty()) SetFile((moduleFolder() + "/" + kDefaultScene).c_str());
  if (!engineReady_) return false;
  drawOverlayButton();
  return true;
}

void CGlimmerObj::OnDraw() {
  try {
    bool rendered = false;
    try {
      rendered = kvx_Render();
    } catch (const std::exception& e) {
      reportFailure("kvx_Render", e.what());
    }
    if (!surface_.makeCurrent()) return;
    if (!rendered) drawFallback();
    if (download_.downloading) drawDownloadCaption();
    surface_.swapBuffers();
  } catch (const std::exception& e) {
    reportFailure("OnDraw", e.what());
  }
}

void CGlimmerObj::drawOverlayButton() {
  if (!overlay_) return;
  PixelProjection pixels(width_, height_);
  if (!overlayTexture_) {
    glGenTextures(1, &overlayTexture_);
    glBindTexture(GL_TEXTURE_2D, overlayTexture_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, overlay_->width, overlay_->height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 overlay_->rgba.data());
  }
  glBindTexture(GL_TEXTURE_2D, overlayTexture_);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glEnable(GL_TEXTURE_2D);
  if (overlay_->blend) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  } else {
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);
  }
  // The image's first row is the top row on screen.
  const int x0 = width_ - overlay_->width, y0 = height_ - overlay_->height;
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2i(x0, y0);
  glTexCoord2f(1, 0);
  glVertex2i(width_, y0);
  glTexCoord2f(1, 1);
  glVertex2i(width_, height_);
  glTexCoord2f(0, 1);
  glVertex2i(x0, height_);
  glEnd();
  glBindTexture(GL_TEXTURE_2D, 0);
}

void CGlimmerObj::drawFallback() {
  PixelProjection pixels(width_, height_);
  glClearColor(189 / 255.f, 189 / 255.f, 189 / 255.f, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  color(121, 121, 121);
  outline(width_, height_, 1);
  // The caption frame tells the active control apart.
  if (isActive()) {
    color(255, 121, 121);
    outline(width_, height_, 2);
  }
  color(255, 98, 3);
  const std::string text = kFallbackCaption;
  const int x = 2 + (width_ - 4 - surface_.textWidth(text)) / 2;
  const int y = 2 + (height_ - 4 - surface_.fontHeight()) / 2 + surface_.fontAscent();
  surface_.drawText(text, x, y);
}

std::string CGlimmerObj::downloadCaption() const {
  const uint32_t received = download_.received;
  if (received == 0) return "Connecting to server...";
  char text[128];
  std::snprintf(text, sizeof text, "%s %d / %d KB", "Downloading file :", static_cast<int>(received / 1024),
                static_cast<int>(download_.total / 1024));
  return text;
}

void CGlimmerObj::drawDownloadCaption() {
  PixelProjection pixels(width_, height_);
  const std::string text = downloadCaption();
  // A light band keeps the dark text readable over any scene.
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4ub(255, 255, 255, 170);
  glRecti(2, 2, width_ - 2, 50);
  glDisable(GL_BLEND);
  color(25, 0, 0);
  const int x = 2 + (width_ - 4 - surface_.textWidth(text)) / 2;
  const int y = 2 + (48 - surface_.fontHeight()) / 2 + surface_.fontAscent();
  surface_.drawText(text, x, y);
}

}  // namespace glimmer
