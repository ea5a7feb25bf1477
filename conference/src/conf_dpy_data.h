#pragma once
// Translates between the live view (the very kvx_ManipInfo and
// kvx_FrameInfo records the SDK object was given in InitDisplay) and the
// view-state message a master sends.
#include <memory>

#include "kvx_sdk.h"

namespace kvx::conf {

class SharedViewFrame;
class TlmFullManipInfo;

class ConfDpyData {
 public:
  ConfDpyData(SharedViewFrame* frame, kvx_GL_Plugin* sdk, kvx_ManipInfo* manip, kvx_FrameInfo* frameInfo)
      : frame_(frame), sdk_(sdk), manip_(manip), frameInfo_(frameInfo) {}
  ~ConfDpyData();
  ConfDpyData(const ConfDpyData&) = delete;
  ConfDpyData& operator=(const ConfDpyData&) = delete;

  // View to message; 0, or -1 when something is missing.
  int getData(TlmFullManipInfo* message);
  // Message to view; 0, or -1 when something is missing.
  int applyData(const TlmFullManipInfo* message);

  SharedViewFrame* frame() const { return frame_; }
  kvx_GL_Plugin* sdk() const { return sdk_; }

 private:
  bool usable(const char* operation, const void* message) const;
  void applyDisplayFlags(uint32_t f);
  void applyCutPlane(const TlmFullManipInfo& m);
  void applyMeasure(const TlmFullManipInfo& m);
  void applyToolPanel(const TlmFullManipInfo& m);
  void dropOwnMeasure();

  SharedViewFrame* frame_;
  kvx_GL_Plugin* sdk_;
  kvx_ManipInfo* manip_;
  kvx_FrameInfo* frameInfo_;
  // The SDK offers no call that creates a measurement, so a received one
  // lives here while the live view points at it.
  std::unique_ptr<kvx_Measure> measure_;
};

}  // namespace kvx::conf
