#pragma once
// An off-screen OpenGL context (OSMesa) with an SDK object bound to it, for
// drawing frames in tests and reading back what a user would see.
#include "kvx_sdk.h"
#include "sdk/plugin_state.h"

#include <GL/gl.h>
#include <GL/osmesa.h>
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace kvx::test {

struct Rgb {
  int r, g, b;
};

// An RGBA OSMesa context with depth, made current on construction.
class OffscreenContext {
 public:
  OffscreenContext(int width, int height) : width_(width), height_(height), pixels_(size_t(width) * height * 4) {
    context_ = OSMesaCreateContextExt(OSMESA_RGBA, 24, 8, 0, nullptr);
    if (!context_) throw std::runtime_error("OSMesaCreateContextExt failed");
    makeCurrent();
  }
  ~OffscreenContext() {
    // Unbound first: a context destroyed while current keeps its framebuffer.
    if (OSMesaGetCurrentContext() == context_) OSMesaMakeCurrent(nullptr, nullptr, 0, 0, 0);
    OSMesaDestroyContext(context_);
  }
  OffscreenContext(const OffscreenContext&) = delete;
  OffscreenContext& operator=(const OffscreenContext&) = delete;

  void makeCurrent() {
    if (!OSMesaMakeCurrent(context_, pixels_.data(), GL_UNSIGNED_BYTE, width_, height_))
      throw std::runtime_error("OSMesaMakeCurrent failed");
  }
  int width() const { return width_; }
  int height() const { return height_; }

  // Pixel at (x, y) from the top left, as the user sees it.
  Rgb at(int x, int y) const {
    const uint8_t* p = pixels_.data() + (size_t(height_ - 1 - y) * width_ + x) * 4;
    return {p[0], p[1], p[2]};
  }

  // Writes the image as an RGB PNG, top row first; false on any error.
  bool savePng(const std::string& path) const {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = png && info && !setjmp(png_jmpbuf(png));
    if (ok) {
      png_init_io(png, file);
      png_set_IHDR(png, info, width_, height_, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                   PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
      png_write_info(png, info);
      for (int y = 0; y < height_; ++y)
        png_write_row(png, pixels_.data() + size_t(height_ - 1 - y) * width_ * 4);
      png_write_end(png, nullptr);
    }
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return ok;
  }

 private:
  int width_, height_;
  std::vector<uint8_t> pixels_;
  OSMesaContext context_ = nullptr;
};

// An SDK object bound to an off-screen context, with host records of its own.
struct OffscreenView {
  explicit OffscreenView(int width = 160, int height = 120) : gl(width, height) {
    frame.width = width;
    frame.height = height;
    system.userData = this;
    system.presentFrame = [](void* self) { ++static_cast<OffscreenView*>(self)->presented; };
    plugin.InitDisplay(&system, &frame, &manip);
  }

  kvx_GL_Plugin::State& state() { return plugin.state(); }

  // Installs the scene and fits the view to it.
  kvx::scene& setScene(std::unique_ptr<kvx::scene> scene) {
    state().scene = std::move(scene);
    plugin.ResetManip();
    state().transition.remaining = 0;
    return *state().scene;
  }

  // Saves the image under the build tree when KVX_SAVE_PICTURES is set.
  void keepPicture(const std::string& name) const {
    if (std::getenv("KVX_SAVE_PICTURES")) gl.savePng(name + ".png");
  }

  OffscreenContext gl;
  kvx_SystemInfo system = {};
  kvx_FrameInfo frame = {};
  kvx_ManipInfo manip = {};
  kvx_GL_Plugin plugin;
  int presented = 0;
};

}  // namespace kvx::test
