#include "headless_view.h"

#include "png_image.h"
#include "services/load_errors.h"

#include <GL/gl.h>
#include <GL/osmesa.h>

namespace kvx::tool {

HeadlessView::HeadlessView() : pixels_(size_t(kWidth) * kHeight * 4) {}

HeadlessView::~HeadlessView() {
  sdk_.reset();
  if (context_) {
    OSMesaMakeCurrent(nullptr, nullptr, 0, 0, 0);
    OSMesaDestroyContext(static_cast<OSMesaContext>(context_));
  }
}

bool HeadlessView::open(const std::string& path, std::string& error) {
  OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 8, 0, nullptr);
  context_ = context;
  if (!context || !OSMesaMakeCurrent(context, pixels_.data(), GL_UNSIGNED_BYTE, kWidth, kHeight)) {
    error = "cannot create an off-screen OpenGL context";
    return false;
  }
  sdk_.reset(SDKInit());
  if (!sdk_) {
    error = "out of memory";
    return false;
  }
  sdk_->InitDisplay(&system_, &frame_, &manip_);
  const int result = sdk_->LoadFileE(path.c_str(), nullptr, false, "");
  if (result < 8) {
    error = path + ": " + loadErrorText(result);
    return false;
  }
  // Both ends start from the file's own view, drawn at once.
  sdk_->SetInterpolate(false);
  sdk_->ViewPredefined(kvx_BaseSDK::VIEW_CAMERA);
  loaded_ = sdk_->RenderFrame();
  if (!loaded_) error = path + ": nothing could be drawn (locked or empty scene)";
  return loaded_;
}

void HeadlessView::dragStep(int step) {
  const int x = kWidth / 2 + 4 * (step % 20), y = kHeight / 2;
  frame_.startX = x, frame_.startY = y;
  frame_.currentX = x + 6, frame_.currentY = y + 2;
  sdk_->ManipFromPointerMove(kvx_BaseSDK::ROTATE, x, y, x + 6, y + 2);
  frame_.currentX = x + 6, frame_.currentY = y + 2;
  render();
}

void HeadlessView::render() {
  if (sdk_) sdk_->RenderFrame();
}

bool HeadlessView::snapshot(const std::string& path, std::string& error) {
  sdk_->ShowCursor(false);
  const bool drawn = sdk_->RenderFrame();
  glFinish();
  if (!drawn) {
    error = "nothing could be drawn";
    return false;
  }
  return writePng(path, pixels_.data(), kWidth, kHeight, error);
}

}  // namespace kvx::tool
