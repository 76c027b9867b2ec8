// The camera list and the choice of the open camera.
#include "CameraTestSupport.h"

namespace CameraTest {
namespace {

class CameraListTest : public CameraTest {
  protected:
    static std::wstring TakeBstr(BSTR text) {
        std::wstring copy =
            text != nullptr ? std::wstring(text, SysStringLen(text)) : std::wstring(L"<null>");
        SysFreeString(text);
        return copy;
    }

    static std::wstring CameraId(CKorvelCamera& camera, int32_t index) {
        BSTR id = nullptr;
        EXPECT_EQ(S_OK, camera.GetCameraID(index, &id));
        return TakeBstr(id);
    }

    static std::wstring SelectedId(CKorvelCamera& camera, HRESULT expected) {
        BSTR id = nullptr;
        EXPECT_EQ(expected, camera.GetSelectedCameraID(&id));
        return TakeBstr(id);
    }
};

const std::wstring kColourId = L"Korvel KV-C1920 (E1000001)";
const std::wstring kMonoId = L"Korvel KV-M1280 (E2000001)";

TEST_F(CameraListTest, ListsEveryCameraOfEveryLayerInOrder) {
    CKorvelCamera camera;
    EXPECT_EQ(1, CKorvelCamera::LivingCount());
    ASSERT_EQ(2, camera.GetCameraCount());
    EXPECT_EQ(kColourId, CameraId(camera, 0));
    EXPECT_EQ(kMonoId, CameraId(camera, 1));

    BSTR id = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(E_INVALIDARG, camera.GetCameraID(-1, &id));
    EXPECT_EQ(E_INVALIDARG, camera.GetCameraID(2, &id));
    EXPECT_EQ(E_INVALIDARG, camera.GetCameraID(2, nullptr));
    EXPECT_EQ(E_POINTER, camera.GetCameraID(0, nullptr));

    // Nothing is open until asked for.
    EXPECT_EQ(-1, camera.GetSelectedIndex());
    EXPECT_EQ(L"", SelectedId(camera, E_FAIL));
    EXPECT_EQ(E_INVALIDARG, camera.GetSelectedCameraID(nullptr));

    {
        CKorvelCamera second;
        EXPECT_EQ(2, CKorvelCamera::LivingCount());
        EXPECT_EQ(2, second.GetCameraCount());
    }
    EXPECT_EQ(1, CKorvelCamera::LivingCount());
}

TEST_F(CameraListTest, NoLayerOrNoCameraGivesAnEmptyList) {
    LoadProfile("");
    {
        CKorvelCamera camera;
        EXPECT_EQ(0, camera.GetCameraCount());
        EXPECT_EQ(E_FAIL, camera.OpenFirstCamera());
        EXPECT_EQ(E_INVALIDARG, camera.OpenCamera(0));
    }
    LoadProfile(TransportBlock("QuillEmpty"));
    CKorvelCamera camera;
    EXPECT_EQ(0, camera.GetCameraCount());
    EXPECT_EQ(E_FAIL, camera.OpenFirstCamera());
    EXPECT_EQ(-1, camera.GetSelectedIndex());
}

TEST_F(CameraListTest, FailingLayersLoseOnlyTheirOwnCameras) {
    LoadProfile(TransportBlock("First") + CameraBlock("First", "S0") +
                TransportBlock("Broken", "fail_create = true\n") + CameraBlock("Broken", "S1") +
                TransportBlock("Mute", "fail_enumerate = true\n") + CameraBlock("Mute", "S2") +
                TransportBlock("Last") + CameraBlock("Last", "S3") + CameraBlock("Last", "S4"));
    CKorvelCamera camera;
    ASSERT_EQ(3, camera.GetCameraCount());
    EXPECT_EQ(FullName("S0"), CameraId(camera, 0));
    EXPECT_EQ(FullName("S3"), CameraId(camera, 1));
    EXPECT_EQ(FullName("S4"), CameraId(camera, 2));

    // Rows after the failed layers open through the layer that listed them.
    EXPECT_EQ(S_OK, camera.OpenCamera(2));
    EXPECT_EQ(FullName("S4"), SelectedId(camera, S_OK));
    EXPECT_EQ(S_OK, camera.OpenCamera(1));
    EXPECT_EQ(FullName("S3"), SelectedId(camera, S_OK));
    EXPECT_EQ(1, camera.GetSelectedIndex());
}

TEST_F(CameraListTest, FirstCameraThatOpensIsTheOneOpenedFirst) {
    LoadProfile(TransportBlock("Layer") + CameraBlock("Layer", "S1", "open_elsewhere = true\n") +
                CameraBlock("Layer", "S2") + CameraBlock("Layer", "S3"));
    CKorvelCamera camera;
    ASSERT_EQ(3, camera.GetCameraCount());
    EXPECT_EQ(S_OK, camera.OpenFirstCamera());
    EXPECT_EQ(1, camera.GetSelectedIndex());
    EXPECT_EQ(FullName("S2"), SelectedId(camera, S_OK));

    // A camera open elsewhere fails to open and leaves nothing open.
    EXPECT_EQ(E_FAIL, camera.OpenCamera(0));
    EXPECT_EQ(-1, camera.GetSelectedIndex());
    EXPECT_EQ(L"", SelectedId(camera, E_FAIL));
    EXPECT_EQ(0u, Emulator().GetLiveDeviceCount());

    Configure("S1", "open_elsewhere", "false");
    EXPECT_EQ(S_OK, camera.OpenCamera(0));
    EXPECT_EQ(FullName("S1"), SelectedId(camera, S_OK));
    EXPECT_EQ(1u, Emulator().GetLiveDeviceCount());
}

TEST_F(CameraListTest, CamerasThatCannotServeAreClosedAgain) {
    LoadProfile(TransportBlock("Layer") + CameraBlock("Layer", "NoStream", "stream_channels = 0\n") +
                CameraBlock("Layer", "NoFormat", "pixel_formats = Mono12, Mono16\n") +
                CameraBlock("Layer", "UnknownNow", "pixel_formats = Mono8, Mono12\npixel_format = Mono12\n") +
                CameraBlock("Layer", "Good"));
    CKorvelCamera camera;
    ASSERT_EQ(4, camera.GetCameraCount());
    for (int32_t index = 0; index < 3; ++index) {
        EXPECT_EQ(E_FAIL, camera.OpenCamera(index)) << index;
        EXPECT_EQ(-1, camera.GetSelectedIndex());
        EXPECT_TRUE(camera.FormatList().empty());
        // Whatever the open made is given back.
        EXPECT_EQ(0u, Emulator().GetLiveDeviceCount());
        long value = 1;
        EXPECT_EQ(E_FAIL, camera.GetDeviceValue(&value));
        EXPECT_EQ(0, value);
    }
    EXPECT_EQ(S_OK, camera.OpenFirstCamera());
    EXPECT_EQ(3, camera.GetSelectedIndex());
}

TEST_F(CameraListTest, SelectionByIdentifier) {
    CKorvelCamera camera;
    EXPECT_EQ(S_OK, camera.SelectCameraByID(kMonoId.c_str()));
    EXPECT_EQ(kMonoId, SelectedId(camera, S_OK));
    EXPECT_EQ(S_OK, camera.SelectCameraByID(kColourId.c_str()));
    EXPECT_EQ(kColourId, SelectedId(camera, S_OK));
    EXPECT_EQ(1u, Emulator().GetLiveDeviceCount());

    // Case counts, and an unknown identifier changes nothing.
    EXPECT_EQ(E_INVALIDARG, camera.SelectCameraByID(L"korvel kv-m1280 (e2000001)"));
    EXPECT_EQ(E_INVALIDARG, camera.SelectCameraByID(L"Korvel KV-M1280"));
    EXPECT_EQ(kColourId, SelectedId(camera, S_OK));

    // The empty identifier closes the camera and still answers E_INVALIDARG; null counts as empty.
    EXPECT_EQ(E_INVALIDARG, camera.SelectCameraByID(L""));
    EXPECT_EQ(L"", SelectedId(camera, E_FAIL));
    EXPECT_EQ(0u, Emulator().GetLiveDeviceCount());
    EXPECT_EQ(S_OK, camera.SelectCameraByID(kMonoId.c_str()));
    EXPECT_EQ(E_INVALIDARG, camera.SelectCameraByID(nullptr));
    EXPECT_EQ(-1, camera.GetSelectedIndex());

    // A listed camera that does not open: E_FAIL.
    Configure("E1000001", "open_elsewhere", "true");
    EXPECT_EQ(E_FAIL, camera.SelectCameraByID(kColourId.c_str()));
    EXPECT_EQ(-1, camera.GetSelectedIndex());
}

TEST_F(CameraListTest, CameraUnpluggedAfterListingDoesNotOpenUntilItIsBack) {
    CKorvelCamera camera;
    ASSERT_TRUE(Emulator().Unplug("E1000001"));
    EXPECT_EQ(E_FAIL, camera.OpenCamera(0));
    EXPECT_EQ(-1, camera.GetSelectedIndex());
    // The list keeps the row; once the camera is back the same row opens.
    ASSERT_EQ(2, camera.GetCameraCount());
    ASSERT_TRUE(Emulator().Replug("E1000001"));
    EXPECT_EQ(S_OK, camera.OpenCamera(0));
    EXPECT_EQ(kColourId, SelectedId(camera, S_OK));
}

TEST_F(CameraListTest, ClosingAndDestroyingGiveTheDeviceBack) {
    {
        CKorvelCamera camera;
        EXPECT_EQ(S_OK, camera.CloseCamera(false));
        EXPECT_EQ(S_OK, camera.OpenCamera(1));
        EXPECT_EQ(1u, Emulator().GetLiveDeviceCount());
        EXPECT_FALSE(camera.FormatList().empty());
        EXPECT_EQ(S_OK, camera.CloseCamera(false));
        EXPECT_EQ(0u, Emulator().GetLiveDeviceCount());
        EXPECT_TRUE(camera.FormatList().empty());
        EXPECT_EQ(-1, camera.GetSelectedIndex());
        EXPECT_EQ(S_OK, camera.OpenCamera(0));
    }
    // The destructor closed the open camera.
    EXPECT_EQ(0u, Emulator().GetLiveDeviceCount());
    // The same camera opens in a new object.
    CKorvelCamera camera;
    EXPECT_EQ(S_OK, camera.OpenCamera(0));
}

TEST_F(CameraListTest, ReceiversAreKeptButNullIsIgnored) {
    struct Receiver : ISampleOutputCallback {
        HRESULT OnSampleOutput(const uint8_t*, uint32_t, int32_t, uint32_t, VideoFormatId) override {
            return S_OK;
        }
    } first, second;
    CKorvelCamera camera;
    EXPECT_EQ(S_OK, camera.RegisterSampleOutputCallback(&first));
    EXPECT_EQ(S_FALSE, camera.RegisterSampleOutputCallback(nullptr));
    EXPECT_EQ(S_OK, camera.RegisterSampleOutputCallback(&second));
}

}  // namespace
}  // namespace CameraTest
