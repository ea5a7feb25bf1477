// The SDK header's contract: slot order, record layouts, the base class.
#include "kvx_sdk.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <iterator>
#include <type_traits>

namespace {

// Position of a virtual operation in the table; the destructor pair takes
// positions 0 and 1, so slot N (N >= 1) sits at position N + 1.
template <typename Method>
long vtablePosition(Method method) {
  static_assert(sizeof(Method) == 2 * sizeof(void*));
  uintptr_t raw[2];
  std::memcpy(raw, &method, sizeof raw);
  EXPECT_EQ(raw[0] % 2, 1u) << "not a virtual operation";
  return static_cast<long>((raw[0] - 1) / sizeof(void*));
}

struct SlotCase {
  const char* operation;
  int slot;
  long position;
};

// Every slot, so that two operations of the same signature cannot change
// places unnoticed. Slot 0 is the destructor pair; GetDescriptor at slot 1
// pins it.
TEST(SdkSlots, DeclarationOrderIsTheSlotTable) {
  using B = kvx_BaseSDK;
  using P = kvx_GL_Plugin;
#define KVX_SLOT(cls, op, n) SlotCase{#op, n, vtablePosition(&cls::op)}
  const SlotCase cases[] = {
      KVX_SLOT(B, GetDescriptor, 1),
      KVX_SLOT(B, EnableCapture, 2),
      KVX_SLOT(B, DisableCapture, 3),
      KVX_SLOT(B, CaptureNow, 4),
      KVX_SLOT(B, IsCaptureOk, 5),
      KVX_SLOT(B, LoadCapture, 6),
      KVX_SLOT(B, SendMail, 7),
      KVX_SLOT(B, GetSceneInfo, 8),
      KVX_SLOT(B, LoadFile, 9),
      KVX_SLOT(B, SaveFile, 10),
      KVX_SLOT(B, CloseFile, 11),
      KVX_SLOT(B, SetPasswords, 12),
      KVX_SLOT(B, CheckPasswords, 13),
      SlotCase{"InitDisplay(size)", 14,
               vtablePosition(static_cast<bool (B::*)(int, int, kvx_SystemInfo*, kvx_ManipInfo*)>(&B::InitDisplay))},
      KVX_SLOT(B, ResetManip, 15),
      KVX_SLOT(B, Render, 16),
      KVX_SLOT(B, Refresh, 17),
      KVX_SLOT(B, Resize, 18),
      KVX_SLOT(B, SetBKColor, 19),
      KVX_SLOT(B, GetBKColor, 20),
      KVX_SLOT(B, AddCamera, 21),
      KVX_SLOT(B, GetNbCameras, 22),
      KVX_SLOT(B, GetCameraName, 23),
      KVX_SLOT(B, SetCurrentCamera, 24),
      KVX_SLOT(B, DeleteCurrentCamera, 25),
      KVX_SLOT(B, SetCurrentCameraField, 26),
      KVX_SLOT(B, GetCurrentCameraField, 27),
      KVX_SLOT(B, ResetCurrentCameraManip, 28),
      KVX_SLOT(B, SetCutPlane, 29),
      KVX_SLOT(B, SetCutPlaneOrient, 30),
      KVX_SLOT(B, SetCutPlanePos, 31),
      KVX_SLOT(B, SetCutPlaneTransp, 32),
      KVX_SLOT(B, GetCutPlaneRange, 33),
      KVX_SLOT(B, GetCutPlaneData, 34),
      KVX_SLOT(B, ManipFromPointerMove, 35),
      KVX_SLOT(B, ViewPredefined, 36),
      SlotCase{"InitDisplay(records)", 37,
               vtablePosition(static_cast<bool (P::*)(kvx_SystemInfo*, kvx_FrameInfo*, kvx_ManipInfo*)>(
                   &P::InitDisplay))},
      KVX_SLOT(P, GetInformation, 38),
      KVX_SLOT(P, AnimFrame, 39),
      KVX_SLOT(P, RenderFrame, 40),
      KVX_SLOT(P, GetMeasureData, 41),
      KVX_SLOT(P, LoadDiffScene, 42),
      KVX_SLOT(P, GetCurrentCameraIndex, 43),
      KVX_SLOT(P, OnMouseMove, 44),
      KVX_SLOT(P, OnMouseUp, 45),
      KVX_SLOT(P, OnEvent, 46),
      KVX_SLOT(P, LoadFileE, 47),
      KVX_SLOT(P, SaveFileE, 48),
      KVX_SLOT(P, GetScene, 49),
      KVX_SLOT(P, SetPublishing, 50),
      KVX_SLOT(P, SetCursor, 51),
      KVX_SLOT(P, ShowCursor, 52),
      KVX_SLOT(P, SetInterpolate, 53),
      KVX_SLOT(P, GetFileSize, 54),
      // Added after the original 55, which keep their places.
      KVX_SLOT(P, ReadPreparedScene, 55),
      KVX_SLOT(P, AdoptPreparedScene, 56),
      KVX_SLOT(P, DiscardPreparedScene, 57),
      KVX_SLOT(P, ExportFile, 58),
  };
#undef KVX_SLOT
  ASSERT_EQ(std::size(cases), 58u);  // with the destructor, 59 slots
  for (const SlotCase& c : cases) EXPECT_EQ(c.position, c.slot + 1) << c.operation;
}

// The object owns its state through a raw pointer; a copy would free it twice.
static_assert(!std::is_copy_constructible_v<kvx_GL_Plugin> && !std::is_copy_assignable_v<kvx_GL_Plugin>);

TEST(SdkRecords, LayoutsAreFixed) {
  EXPECT_EQ(sizeof(kvx_FrameInfo), 24u);
  EXPECT_EQ(sizeof(kvx_CutPlane), 16u);
  EXPECT_EQ(sizeof(kvx_Measure), 28u);
  EXPECT_EQ(sizeof(kvx_ARGB), 4u);
  EXPECT_EQ(sizeof(kvx_SceneVertex), 36u);
  EXPECT_EQ(offsetof(kvx_ManipInfo, panX), 4u);
  EXPECT_EQ(offsetof(kvx_SceneInfo, objectInfo), 36u);
  EXPECT_EQ(offsetof(kvx_SceneInfo, sceneTexts), 168u);
  EXPECT_EQ(sizeof(kvx_BaseSDK::ManipMode), 4u);
}

TEST(SdkBase, DescriptorIsNeverNull) {
  struct Bare : kvx_BaseSDK {
    bool EnableCapture(bool) override { return false; }
    bool DisableCapture() override { return false; }
    bool CaptureNow(int, void*) override { return false; }
    bool IsCaptureOk(void*) override { return false; }
    bool LoadCapture(void*) override { return false; }
    bool SendMail(const char*, const char*) override { return false; }
    bool GetSceneInfo(kvx_SceneInfo*) override { return false; }
    int LoadFile(const char*, kvx_ProgressFn, bool) override { return 0; }
    int SaveFile(const char*, kvx_ProgressFn) override { return 0; }
    int CloseFile() override { return 0; }
    bool SetPasswords(const char*, const char*) override { return false; }
    int CheckPasswords(const char*, const char*) override { return 0; }
    bool InitDisplay(int, int, kvx_SystemInfo*, kvx_ManipInfo*) override { return false; }
    bool ResetManip() override { return ++resets > 0; }
    bool Render() override { return false; }
    bool Refresh() override { return false; }
    bool Resize(int, int) override { return false; }
    bool SetBKColor(unsigned char, unsigned char, unsigned char) override { return false; }
    bool GetBKColor(unsigned char*, unsigned char*, unsigned char*) override { return false; }
    bool AddCamera(const char*) override { return false; }
    int GetNbCameras() override { return 0; }
    bool GetCameraName(int, char**) override { return false; }
    bool SetCurrentCamera(int, bool) override { return false; }
    bool DeleteCurrentCamera() override { return false; }
    bool SetCurrentCameraField(int, const char*) override { return false; }
    bool GetCurrentCameraField(int, char**) override { return false; }
    bool SetCutPlane(kvx_CutPlane::CurrentPlan) override { return false; }
    bool SetCutPlaneOrient(bool) override { return false; }
    bool SetCutPlanePos(float) override { return false; }
    bool SetCutPlaneTransp(bool) override { return false; }
    bool GetCutPlaneRange(float*, float*) override { return false; }
    bool GetCutPlaneData(kvx_CutPlane*) override { return false; }
    void ManipFromPointerMove(ManipMode, int, int, int, int) override {}
    void ViewPredefined(PredefinedView) override {}
    int resets = 0;
  } bare;
  EXPECT_STREQ(bare.GetDescriptor(), "");
  EXPECT_TRUE(bare.ResetCurrentCameraManip());
  EXPECT_EQ(bare.resets, 1);
}

}  // namespace
