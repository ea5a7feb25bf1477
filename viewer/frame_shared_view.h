#pragma once
// The main frame as the conference's view window: tool panels, check marks
// and renders, in the conference's command numbers.
#include "shared_view_frame.h"

namespace kavrik {

class MyFrame;

class FrameSharedView : public kvx::conf::SharedViewFrame {
 public:
  explicit FrameSharedView(MyFrame& frame) : frame_(frame) {}
  int openToolPanel() const override;
  void showToolPanel(int command) override;
  void closeToolPanel() override;
  void setCheck(int command, bool checked) override;
  void render() override;
  bool viewReady() const override;

 private:
  MyFrame& frame_;
};

}  // namespace kavrik
