// IAMVideoProcAmp of the filter: brightness and gain are the one GainRaw
// feature; the unmapped and unknown properties; the loss of the device.
#include "ControlTestSupport.h"

namespace {

class VideoProcAmpTest : public ControlTest {
  protected:
    void SetUp() override {
        ControlTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        filter = CreateSource();
        ASSERT_NE(nullptr, filter);
        ASSERT_EQ(S_OK, Query(filter, IID_IAMVideoProcAmp, &procAmp));
    }
    void TearDown() override {
        ReleaseAll();
        ControlTest::TearDown();
    }
    void ReleaseAll() {
        if (procAmp) {
            procAmp->Release();
            procAmp = nullptr;
        }
        if (filter) {
            EXPECT_EQ(0u, filter->Release());
            filter = nullptr;
        }
    }

    IBaseFilter* filter = nullptr;
    IAMVideoProcAmp* procAmp = nullptr;
};

TEST_F(VideoProcAmpTest, BrightnessAndGainAreTheSameGainRaw) {
    long value = 0, flags = 55;
    EXPECT_EQ(S_OK, procAmp->Set(VideoProcAmp_Brightness, 300, VideoProcAmp_Flags_Manual));
    EXPECT_EQ(S_OK, procAmp->Get(VideoProcAmp_Gain, &value, &flags));
    EXPECT_EQ(300, value);
    EXPECT_EQ(55, flags);
    EXPECT_EQ(S_OK, procAmp->Set(VideoProcAmp_Gain, 500, 0));
    EXPECT_EQ(S_OK, procAmp->Get(VideoProcAmp_Brightness, &value, &flags));
    EXPECT_EQ(500, value);
    // Outside 0 .. 1000: refused.
    EXPECT_EQ(E_FAIL, procAmp->Set(VideoProcAmp_Gain, 1001, 0));
    EXPECT_EQ(E_FAIL, procAmp->Set(VideoProcAmp_Brightness, -1, 0));
    ReleaseAll();
    EXPECT_EQ(500, GainOf("P1"));
}

TEST_F(VideoProcAmpTest, RangeIsTheGainFeatureAndItsValue) {
    ASSERT_EQ(S_OK, procAmp->Set(VideoProcAmp_Gain, 250, 0));
    for (long property : {VideoProcAmp_Brightness, VideoProcAmp_Gain}) {
        SCOPED_TRACE(property);
        long minimum = 99, maximum = 99, delta = 99, defaultValue = 99, flags = 99;
        ASSERT_EQ(S_OK, procAmp->GetRange(property, &minimum, &maximum, &delta, &defaultValue, &flags));
        EXPECT_EQ(0, minimum);
        EXPECT_EQ(1000, maximum);
        EXPECT_EQ(1, delta);
        EXPECT_EQ(250, defaultValue);
        EXPECT_EQ(0, flags);
    }
}

TEST_F(VideoProcAmpTest, UnmappedPropertiesAreNotImplementedAndUnknownOnesDoNothing) {
    long a = 1, b = 2, c = 3, d = 4, e = 5;
    long value = 12345, flags = 678;
    for (long property = VideoProcAmp_Contrast; property <= VideoProcAmp_BacklightCompensation; ++property) {
        SCOPED_TRACE(property);
        EXPECT_EQ(E_NOTIMPL, procAmp->Get(property, &value, &flags));
        EXPECT_EQ(E_NOTIMPL, procAmp->Set(property, 1, 0));
        EXPECT_EQ(E_NOTIMPL, procAmp->GetRange(property, &a, &b, &c, &d, &e));
    }
    for (long property : {42L, -1L, 10L}) {
        SCOPED_TRACE(property);
        EXPECT_EQ(S_OK, procAmp->Get(property, &value, &flags));
        EXPECT_EQ(S_OK, procAmp->Set(property, 3, 0));
        EXPECT_EQ(S_OK, procAmp->GetRange(property, &a, &b, &c, &d, &e));
    }
    EXPECT_EQ(12345, value);
    EXPECT_EQ(678, flags);
    EXPECT_EQ(1, a);
    EXPECT_EQ(5, e);
    EXPECT_EQ(E_POINTER, procAmp->Get(VideoProcAmp_Gain, &value, nullptr));
    EXPECT_EQ(E_POINTER, procAmp->GetRange(VideoProcAmp_Gain, nullptr, &b, &c, &d, &e));
}

TEST_F(VideoProcAmpTest, ClosedCameraFailsUntilOneOpensAgain) {
    IKorvelGenICamSource* source = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_IKorvelGenICamSource, &source));
    const std::wstring other = CameraIdOf(filter, "P2");
    BSTR empty = SysAllocString(L"");
    EXPECT_EQ(E_INVALIDARG, source->SelectCamera(empty));
    SysFreeString(empty);
    long value = 99, flags = 0;
    EXPECT_EQ(E_FAIL, procAmp->Get(VideoProcAmp_Gain, &value, &flags));
    EXPECT_EQ(E_FAIL, procAmp->Set(VideoProcAmp_Gain, 10, 0));
    long a, b, c, d, e;
    EXPECT_EQ(E_FAIL, procAmp->GetRange(VideoProcAmp_Gain, &a, &b, &c, &d, &e));
    BSTR id = SysAllocString(other.c_str());
    EXPECT_EQ(S_OK, source->SelectCamera(id));
    SysFreeString(id);
    EXPECT_EQ(S_OK, procAmp->Set(VideoProcAmp_Gain, 10, 0));
    EXPECT_EQ(S_OK, procAmp->Get(VideoProcAmp_Brightness, &value, &flags));
    EXPECT_EQ(10, value);
    source->Release();
}

}  // namespace
