#pragma once
// The headless participant's view: an off-screen OpenGL context, the SDK
// object with its live-view records, and a stand-in for the frame (tool
// panel and check marks only remembered).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kvx_sdk.h"
#include "shared_view_frame.h"

namespace kvx::tool {

class HeadlessView : public conf::SharedViewFrame {
 public:
  static constexpr int kWidth = 640, kHeight = 480;

  HeadlessView();
  ~HeadlessView() override;

  // Makes the context and loads the scene at its camera view; false with
  // `error` set on failure.
  bool open(const std::string& path, std::string& error);
  // One small turn of the view, as a pointer drag over the canvas makes it.
  void dragStep(int step);
  // Draws the view without the remote pointer and writes it as a PNG.
  bool snapshot(const std::string& path, std::string& error);

  kvx_GL_Plugin* sdk() { return sdk_.get(); }
  kvx_ManipInfo* manip() { return &manip_; }
  kvx_FrameInfo* frameInfo() { return &frame_; }

  int openToolPanel() const override { return panel_; }
  void showToolPanel(int command) override { panel_ = command; }
  void closeToolPanel() override { panel_ = conf::kNoToolPanel; }
  void setCheck(int, bool) override {}
  void render() override;
  bool viewReady() const override { return loaded_; }

 private:
  std::vector<uint8_t> pixels_;
  void* context_ = nullptr;
  kvx_SystemInfo system_ = {};
  kvx_FrameInfo frame_ = {kWidth, kHeight, 0, 0, 0, 0};
  kvx_ManipInfo manip_ = {};
  std::unique_ptr<kvx_GL_Plugin> sdk_;
  int panel_ = conf::kNoToolPanel;
  bool loaded_ = false;
};

}  // namespace kvx::tool
