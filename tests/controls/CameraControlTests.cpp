// IAMCameraControl of the filter: the exposure in whole base-2 logarithms of
// seconds on ExposureTimeAbs, the unmapped and unknown properties, and the
// loss of the device.
#include "ControlTestSupport.h"

namespace {

class CameraControlTest : public ControlTest {
  protected:
    void SetUp() override {
        ControlTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        filter = CreateSource();
        ASSERT_NE(nullptr, filter);
        ASSERT_EQ(S_OK, Query(filter, IID_IAMCameraControl, &control));
    }
    void TearDown() override {
        ReleaseAll();
        ControlTest::TearDown();
    }
    void ReleaseAll() {
        if (control) {
            control->Release();
            control = nullptr;
        }
        if (filter) {
            EXPECT_EQ(0u, filter->Release());
            filter = nullptr;
        }
    }

    IBaseFilter* filter = nullptr;
    IAMCameraControl* control = nullptr;
};

TEST_F(CameraControlTest, RangeIsWholePowersOfTwoAndMovesTheExposureOntoOne) {
    long minimum = 99, maximum = 99, delta = 99, defaultValue = 99, flags = 99;
    ASSERT_EQ(S_OK,
              control->GetRange(CameraControl_Exposure, &minimum, &maximum, &delta, &defaultValue, &flags));
    EXPECT_EQ(-15, minimum);  // 2^-15 s = 30.5 us, the first power of two above 20 us
    EXPECT_EQ(0, maximum);    // one second
    EXPECT_EQ(1, delta);
    EXPECT_EQ(-6, defaultValue);  // 10000 us moved onto 2^-6 s
    EXPECT_EQ(0, flags);
    long value = 99, valueFlags = 77;
    EXPECT_EQ(S_OK, control->Get(CameraControl_Exposure, &value, &valueFlags));
    EXPECT_EQ(-6, value);
    EXPECT_EQ(77, valueFlags) << "the flags are not written";
    ReleaseAll();
    EXPECT_DOUBLE_EQ(15625.0, ExposureOf("P1"));
}

TEST_F(CameraControlTest, SetWritesTwoToThePowerInSeconds) {
    EXPECT_EQ(S_OK, control->Set(CameraControl_Exposure, -3, CameraControl_Flags_Manual));
    long value = 0, flags = 0;
    EXPECT_EQ(S_OK, control->Get(CameraControl_Exposure, &value, &flags));
    EXPECT_EQ(-3, value);
    // Outside the camera's limits (2^1 s, 2^-20 s): refused, nothing changes.
    EXPECT_EQ(E_FAIL, control->Set(CameraControl_Exposure, 1, 0));
    EXPECT_EQ(E_FAIL, control->Set(CameraControl_Exposure, -20, 0));
    EXPECT_EQ(E_FAIL, control->Set(CameraControl_Exposure, 5000, 0));
    EXPECT_EQ(S_OK, control->Get(CameraControl_Exposure, &value, &flags));
    EXPECT_EQ(-3, value);
    ReleaseAll();
    EXPECT_DOUBLE_EQ(125000.0, ExposureOf("P1"));
}

TEST_F(CameraControlTest, UnmappedPropertiesAreNotImplementedAndUnknownOnesDoNothing) {
    long value = 12345, flags = 678;
    for (long property : {CameraControl_Pan, CameraControl_Tilt, CameraControl_Roll, CameraControl_Zoom,
                          CameraControl_Iris, CameraControl_Focus}) {
        SCOPED_TRACE(property);
        EXPECT_EQ(E_NOTIMPL, control->Get(property, &value, &flags));
        EXPECT_EQ(E_NOTIMPL, control->Set(property, 1, 0));
        long a, b, c, d, e;
        EXPECT_EQ(E_NOTIMPL, control->GetRange(property, &a, &b, &c, &d, &e));
    }
    for (long property : {42L, -1L, 7L}) {
        SCOPED_TRACE(property);
        EXPECT_EQ(S_OK, control->Get(property, &value, &flags));
        EXPECT_EQ(S_OK, control->Set(property, 3, 0));
        long a, b, c, d, e;
        EXPECT_EQ(E_NOTIMPL, control->GetRange(property, &a, &b, &c, &d, &e));
    }
    EXPECT_EQ(12345, value);
    EXPECT_EQ(678, flags);
    EXPECT_EQ(E_POINTER, control->Get(CameraControl_Exposure, nullptr, &flags));
    long a, b, c, d;
    EXPECT_EQ(E_POINTER, control->GetRange(CameraControl_Exposure, &a, &b, &c, &d, nullptr));
}

TEST_F(CameraControlTest, ClosedCameraFailsUntilOneOpensAgain) {
    IKorvelGenICamSource* source = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_IKorvelGenICamSource, &source));
    const std::wstring other = CameraIdOf(filter, "P2");
    ASSERT_FALSE(other.empty());
    // An empty identifier closes the camera: the control is told DeviceInvalid.
    BSTR empty = SysAllocString(L"");
    EXPECT_EQ(E_INVALIDARG, source->SelectCamera(empty));
    SysFreeString(empty);
    long value = 99, flags = 0;
    EXPECT_EQ(E_FAIL, control->Get(CameraControl_Exposure, &value, &flags));
    EXPECT_EQ(99, value);
    EXPECT_EQ(E_FAIL, control->Set(CameraControl_Exposure, -3, 0));
    long a, b, c, d, e;
    EXPECT_EQ(E_NOTIMPL, control->GetRange(CameraControl_Exposure, &a, &b, &c, &d, &e));
    // The other camera opens: DeviceValid gives the control its device.
    BSTR id = SysAllocString(other.c_str());
    EXPECT_EQ(S_OK, source->SelectCamera(id));
    SysFreeString(id);
    EXPECT_EQ(S_OK, control->Set(CameraControl_Exposure, -4, 0));
    EXPECT_EQ(S_OK, control->Get(CameraControl_Exposure, &value, &flags));
    EXPECT_EQ(-4, value);
    source->Release();
    ReleaseAll();
    EXPECT_DOUBLE_EQ(62500.0, ExposureOf("P2"));
    EXPECT_DOUBLE_EQ(10000.0, ExposureOf("P1"));
}

TEST_F(CameraControlTest, CameraWithoutTimedExposureModeHasNoRangeButGetAndSetWork) {
    ReleaseAll();
    LoadCameras(TwoCameraProfile() + "missing_features = ExposureMode\n");  // applies to P2, the last block
    filter = CreateSource();
    ASSERT_NE(nullptr, filter);
    IKorvelGenICamSource* source = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_IKorvelGenICamSource, &source));
    BSTR id = SysAllocString(CameraIdOf(filter, "P2").c_str());
    EXPECT_EQ(S_OK, source->SelectCamera(id));
    SysFreeString(id);
    source->Release();
    ASSERT_EQ(S_OK, Query(filter, IID_IAMCameraControl, &control));
    long a = 5, b = 5, c = 5, d = 5, e = 5;
    EXPECT_EQ(E_NOTIMPL, control->GetRange(CameraControl_Exposure, &a, &b, &c, &d, &e));
    EXPECT_EQ(S_OK, control->Set(CameraControl_Exposure, -5, 0));
    long value = 0, flags = 0;
    EXPECT_EQ(S_OK, control->Get(CameraControl_Exposure, &value, &flags));
    EXPECT_EQ(-5, value);
}

}  // namespace
