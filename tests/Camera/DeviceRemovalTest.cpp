// Removal reports from the SDK's thread: the open camera closes itself, and a
// report never races the camera object's destruction.
#include <memory>

#include "Camera/DeviceHandleTable.h"
#include "Camera/RemovalWatch.h"
#include "CameraTestSupport.h"

namespace CameraTest {
namespace {

class CameraRemovalTest : public CameraTest {
  protected:
    static Quill::IQuillDevice* OpenDevice(CKorvelCamera& camera) {
        long value = 0;
        Quill::IQuillDevice* device = nullptr;
        if (camera.GetDeviceValue(&value) == S_OK) {
            ResolveDeviceValue(value, &device);
        }
        return device;
    }
};

using Calls = std::vector<std::string>;

constexpr const char* kMonoSerial = "E2000001";
constexpr const char* kColourSerial = "E1000001";

TEST_F(CameraRemovalTest, LossOfTheOpenCameraClosesItAndItOpensAgainOnceBack) {
    RecordingCallback* callback = new RecordingCallback;
    {
        CKorvelCamera camera;
        uint32_t cookie = 0;
        ASSERT_EQ(S_OK, camera.AddConfigCallback(callback, &cookie));
        ASSERT_EQ(S_OK, camera.OpenCamera(1));
        EXPECT_FALSE(camera.IsDeviceLossReported());

        callback->ClearCalls();
        ASSERT_TRUE(Emulator().Unplug(kMonoSerial));
        // The loss closes the camera (DeviceLoss.cpp) and gives the lost device back.
        EXPECT_TRUE(WaitUntil([&] { return camera.GetSelectedIndex() == -1; }));
        EXPECT_EQ(Calls{"invalid"}, callback->Calls());
        EXPECT_FALSE(camera.IsDeviceLossReported());
        EXPECT_EQ(0u, CRemovalWatch::Instance().PendingCount(&camera));
        EXPECT_EQ(0u, Emulator().GetLiveDeviceCount());

        callback->ClearCalls();
        EXPECT_EQ(S_OK, camera.CloseCamera(false));
        EXPECT_EQ(Calls{"invalid"}, callback->Calls());

        // Once the camera is back, the same row opens again.
        ASSERT_TRUE(Emulator().Replug(kMonoSerial));
        EXPECT_EQ(S_OK, camera.OpenCamera(1));
        EXPECT_FALSE(camera.IsDeviceLossReported());
        EXPECT_EQ(1u, CRemovalWatch::Instance().PendingCount(&camera));
    }
    callback->Release();
}

TEST_F(CameraRemovalTest, OnlyAReportForTheOpenDeviceCounts) {
    CKorvelCamera camera;
    camera.OnDeviceRemoved(nullptr);
    ASSERT_EQ(S_OK, camera.OpenCamera(1));
    Quill::IQuillDevice* device = OpenDevice(camera);
    ASSERT_NE(nullptr, device);
    // Reports for devices this object did not open change nothing.
    camera.OnDeviceRemoved(nullptr);
    camera.OnDeviceRemoved(reinterpret_cast<Quill::IQuillDevice*>(0x1000));
    EXPECT_FALSE(camera.IsDeviceLossReported());
    EXPECT_EQ(1u, CRemovalWatch::Instance().PendingCount(&camera));
    EXPECT_EQ(1, camera.GetSelectedIndex());
    // The open device's report closes the camera; a second one changes nothing.
    camera.OnDeviceRemoved(device);
    EXPECT_EQ(-1, camera.GetSelectedIndex());
    camera.OnDeviceRemoved(device);
    EXPECT_FALSE(camera.IsDeviceLossReported());
    EXPECT_EQ(0u, CRemovalWatch::Instance().PendingCount(&camera));
    // Reopening watches the new device afresh.
    ASSERT_EQ(S_OK, camera.OpenCamera(1));
    EXPECT_FALSE(camera.IsDeviceLossReported());
    EXPECT_EQ(1u, CRemovalWatch::Instance().PendingCount(&camera));
}

TEST_F(CameraRemovalTest, ReportWaitsForTheObjectLockThenClosesTheCamera) {
    CKorvelCamera camera;
    ASSERT_EQ(S_OK, camera.OpenCamera(1));
    Quill::IQuillDevice* device = OpenDevice(camera);
    ASSERT_NE(nullptr, device);
    {
        // A filter thread inside a camera operation finishes it before the loss is handled.
        CCameraAutoLock lock(camera.ObjectLock());
        ASSERT_TRUE(Emulator().Unplug(kMonoSerial));
        Sleep(100);
        EXPECT_EQ(1, camera.GetSelectedIndex());
        EXPECT_FALSE(CRemovalWatch::Instance().IsReported(&camera, device));
    }
    EXPECT_TRUE(WaitUntil([&] { return CRemovalWatch::Instance().IsReported(&camera, device); }));
    EXPECT_EQ(-1, camera.GetSelectedIndex());
}

TEST_F(CameraRemovalTest, CameraDestroyedBeforeTheReportArrivesWaitsForIt) {
    for (int round = 0; round < 5; ++round) {
        auto camera = std::make_unique<CKorvelCamera>();
        ASSERT_EQ(S_OK, camera->OpenCamera(1));
        ASSERT_TRUE(Emulator().Unplug(kMonoSerial));
        // Destroyed at once, whether or not the report has come.
        camera.reset();
        ASSERT_TRUE(Emulator().Replug(kMonoSerial));
    }
}

TEST_F(CameraRemovalTest, LossOfAnotherCameraIsNotThisObjectsConcern) {
    CKorvelCamera mono;
    CKorvelCamera colour;
    ASSERT_EQ(S_OK, mono.OpenCamera(1));
    ASSERT_EQ(S_OK, colour.OpenCamera(0));
    ASSERT_TRUE(Emulator().Unplug(kColourSerial));
    EXPECT_TRUE(WaitUntil([&] { return colour.GetSelectedIndex() == -1; }));
    EXPECT_EQ(1, mono.GetSelectedIndex());
    EXPECT_FALSE(mono.IsDeviceLossReported());
    EXPECT_EQ(1u, CRemovalWatch::Instance().PendingCount(&mono));
}

TEST_F(CameraRemovalTest, ClosedCameraIsNoLongerWatched) {
    CKorvelCamera camera;
    ASSERT_EQ(S_OK, camera.OpenCamera(1));
    EXPECT_EQ(1u, CRemovalWatch::Instance().PendingCount(&camera));
    EXPECT_EQ(S_OK, camera.CloseCamera(false));
    EXPECT_EQ(0u, CRemovalWatch::Instance().PendingCount(&camera));
    // Unplugging the camera now reports nothing to this object.
    ASSERT_TRUE(Emulator().Unplug(kMonoSerial));
    EXPECT_EQ(0u, CRemovalWatch::Instance().PendingCount(&camera));
    EXPECT_FALSE(camera.IsDeviceLossReported());
}

TEST_F(CameraRemovalTest, ProfileReloadLosesTheOpenCamera) {
    CKorvelCamera camera;
    ASSERT_EQ(S_OK, camera.OpenCamera(0));
    // Reloading loses every device and joins the SDK's threads, so the report has come.
    Emulator().LoadDefaultProfiles();
    EXPECT_EQ(-1, camera.GetSelectedIndex());
    EXPECT_EQ(S_OK, camera.CloseCamera(false));
    EXPECT_EQ(S_OK, camera.OpenCamera(0));
}

}  // namespace
}  // namespace CameraTest
