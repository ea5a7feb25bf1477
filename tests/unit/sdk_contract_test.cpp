// The SDK header's contract: slot order, record layouts, the base class.
#include "kvx_sdk.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

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

TEST(SdkSlots, DeclarationOrderIsTheSlotTable) {
  using B = kvx_BaseSDK;
  using P = kvx_GL_Plugin;
  EXPECT_EQ(vtablePosition(&B::GetDescriptor), 1 + 1);
  EXPECT_EQ(vtablePosition(&B::EnableCapture), 2 + 1);
  EXPECT_EQ(vtablePosition(&B::SendMail), 7 + 1);
  EXPECT_EQ(vtablePosition(&B::LoadFile), 9 + 1);
  EXPECT_EQ(vtablePosition(static_cast<bool (B::*)(int, int, kvx_SystemInfo*, kvx_ManipInfo*)>(&B::InitDisplay)),
            14 + 1);
  EXPECT_EQ(vtablePosition(&B::ResetManip), 15 + 1);
  EXPECT_EQ(vtablePosition(&B::AddCamera), 21 + 1);
  EXPECT_EQ(vtablePosition(&B::ResetCurrentCameraManip), 28 + 1);
  EXPECT_EQ(vtablePosition(&B::ManipFromPointerMove), 35 + 1);
  EXPECT_EQ(vtablePosition(&B::ViewPredefined), 36 + 1);
  EXPECT_EQ(vtablePosition(static_cast<bool (P::*)(kvx_SystemInfo*, kvx_FrameInfo*, kvx_ManipInfo*)>(&P::InitDisplay)),
            37 + 1);
  EXPECT_EQ(vtablePosition(&P::GetInformation), 38 + 1);
  EXPECT_EQ(vtablePosition(&P::OnEvent), 46 + 1);
  EXPECT_EQ(vtablePosition(&P::LoadFileE), 47 + 1);
  EXPECT_EQ(vtablePosition(&P::GetScene), 49 + 1);
  EXPECT_EQ(vtablePosition(&P::GetFileSize), 54 + 1);
}

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
