// The control objects as COM objects: their own identity, one object per
// filter however many threads ask first, registration as configuration
// callbacks, and clean failures for clients that keep them past the filter.
#include "ControlTestSupport.h"

#include <process.h>

#include <vector>

#include "quill/EmulationControl.h"

namespace {

typedef ControlTest ControlLifetimeTest;

TEST_F(ControlLifetimeTest, ControlsAreObjectsOfTheirOwnNotTheFilter) {
    IBaseFilter* filter = CreateSource();
    ASSERT_NE(nullptr, filter);
    IAMCameraControl* camera = nullptr;
    IAMVideoProcAmp* procAmp = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_IAMCameraControl, &camera));
    ASSERT_EQ(S_OK, Query(filter, IID_IAMVideoProcAmp, &procAmp));
    IBaseFilter* notFilter = reinterpret_cast<IBaseFilter*>(1);
    EXPECT_EQ(E_NOINTERFACE, Query(camera, IID_IBaseFilter, &notFilter));
    EXPECT_EQ(nullptr, notFilter);
    EXPECT_EQ(E_NOINTERFACE, Query(procAmp, IID_IBaseFilter, &notFilter));
    IKorvelGenICamSource* custom = nullptr;
    EXPECT_EQ(E_NOINTERFACE, Query(camera, IID_IKorvelGenICamSource, &custom));
    IAMVideoProcAmp* crossed = nullptr;
    EXPECT_EQ(E_NOINTERFACE, Query(camera, IID_IAMVideoProcAmp, &crossed));
    // Each is a configuration callback, under its own IUnknown.
    IKorvelGenICamConfigCallback* callback = nullptr;
    ASSERT_EQ(S_OK, Query(camera, IID_IKorvelGenICamConfigCallback, &callback));
    callback->Release();
    IUnknown* cameraIdentity = nullptr;
    IUnknown* filterIdentity = nullptr;
    ASSERT_EQ(S_OK, Query(camera, IID_IUnknown, &cameraIdentity));
    ASSERT_EQ(S_OK, Query(filter, IID_IUnknown, &filterIdentity));
    EXPECT_NE(cameraIdentity, filterIdentity);
    // Asking again gives the same object.
    IAMCameraControl* again = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_IAMCameraControl, &again));
    EXPECT_EQ(camera, again);
    again->Release();
    cameraIdentity->Release();
    filterIdentity->Release();
    camera->Release();
    procAmp->Release();
    EXPECT_EQ(0u, filter->Release());
}

struct RaceArguments {
    IBaseFilter* filter;
    HANDLE start;
    IAMCameraControl* result;
};

unsigned __stdcall AskForCameraControl(void* argument) {
    RaceArguments* race = static_cast<RaceArguments*>(argument);
    WaitForSingleObject(race->start, INFINITE);
    race->result = nullptr;
    race->filter->QueryInterface(IID_IAMCameraControl, reinterpret_cast<void**>(&race->result));
    return 0;
}

TEST_F(ControlLifetimeTest, ThreadsAskingAtOnceGetOneObject) {
    IBaseFilter* filter = CreateSource();
    ASSERT_NE(nullptr, filter);
    HANDLE start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(nullptr, start);
    std::vector<RaceArguments> races(8, RaceArguments{filter, start, nullptr});
    std::vector<HANDLE> threads;
    for (RaceArguments& race : races) {
        threads.push_back(
            reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, AskForCameraControl, &race, 0, nullptr)));
        ASSERT_NE(nullptr, threads.back());
    }
    SetEvent(start);
    EXPECT_EQ(WAIT_OBJECT_0,
              WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, 10000));
    for (HANDLE thread : threads) {
        CloseHandle(thread);
    }
    CloseHandle(start);
    for (const RaceArguments& race : races) {
        EXPECT_NE(nullptr, race.result);
        EXPECT_EQ(races[0].result, race.result);
    }
    // Exactly one control registered: a callback of ours gets the next cookie, 1.
    IKorvelGenICamConfigControl* config = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_IKorvelGenICamConfigControl, &config));
    CountingCallback* counter = new CountingCallback();
    LONG cookie = -1;
    EXPECT_EQ(S_OK, config->SetConfigCallback(counter, &cookie));
    EXPECT_EQ(1, cookie);
    EXPECT_EQ(S_OK, config->RemoveCallback(cookie));
    counter->Release();
    config->Release();
    for (const RaceArguments& race : races) {
        if (race.result) {
            race.result->Release();
        }
    }
    EXPECT_EQ(0u, filter->Release());
}

TEST_F(ControlLifetimeTest, ControlsKeptPastTheFilterFailCleanlyAndGoWithTheirLastReference) {
    IBaseFilter* filter = CreateSource();
    ASSERT_NE(nullptr, filter);
    IAMCameraControl* camera = nullptr;
    IAMVideoProcAmp* procAmp = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_IAMCameraControl, &camera));
    ASSERT_EQ(S_OK, Query(filter, IID_IAMVideoProcAmp, &procAmp));
    long value = 0, flags = 0;
    ASSERT_EQ(S_OK, camera->Get(CameraControl_Exposure, &value, &flags));
    EXPECT_EQ(0u, filter->Release());
    // The filter and the camera are gone; the controls answer without them.
    EXPECT_EQ(0u, Quill::Emulation::GetEmulationControl().GetLiveDeviceCount());
    value = 99;
    EXPECT_EQ(E_FAIL, camera->Get(CameraControl_Exposure, &value, &flags));
    EXPECT_EQ(99, value);
    EXPECT_EQ(E_FAIL, camera->Set(CameraControl_Exposure, -3, 0));
    long a, b, c, d, e;
    EXPECT_EQ(E_NOTIMPL, camera->GetRange(CameraControl_Exposure, &a, &b, &c, &d, &e));
    EXPECT_EQ(E_FAIL, procAmp->Get(VideoProcAmp_Gain, &value, &flags));
    EXPECT_EQ(E_FAIL, procAmp->Set(VideoProcAmp_Brightness, 1, 0));
    EXPECT_EQ(E_FAIL, procAmp->GetRange(VideoProcAmp_Gain, &a, &b, &c, &d, &e));
    // A late DeviceValid with a value of no device leaves them without one.
    IKorvelGenICamConfigCallback* callback = nullptr;
    ASSERT_EQ(S_OK, Query(camera, IID_IKorvelGenICamConfigCallback, &callback));
    EXPECT_EQ(E_INVALIDARG, callback->DeviceValid(1));
    EXPECT_EQ(S_OK, callback->DeviceInvalid());
    EXPECT_EQ(E_FAIL, camera->Get(CameraControl_Exposure, &value, &flags));
    callback->Release();
    // Counting still works; the last Release frees each object (TearDown
    // checks that the module has no object left).
    EXPECT_EQ(2u, camera->AddRef());
    EXPECT_EQ(1u, camera->Release());
    EXPECT_EQ(0u, camera->Release());
    EXPECT_EQ(0u, procAmp->Release());
}

TEST_F(ControlLifetimeTest, ControlsFollowTheCameraTheFilterSelects) {
    IBaseFilter* filter = CreateSource();
    ASSERT_NE(nullptr, filter);
    IAMVideoProcAmp* procAmp = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_IAMVideoProcAmp, &procAmp));
    ASSERT_EQ(S_OK, procAmp->Set(VideoProcAmp_Gain, 111, 0));
    IKorvelGenICamSource* source = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_IKorvelGenICamSource, &source));
    BSTR id = SysAllocString(CameraIdOf(filter, "P2").c_str());
    ASSERT_EQ(S_OK, source->SelectCamera(id));
    SysFreeString(id);
    ASSERT_EQ(S_OK, procAmp->Set(VideoProcAmp_Gain, 222, 0));
    source->Release();
    procAmp->Release();
    EXPECT_EQ(0u, filter->Release());
    EXPECT_EQ(111, GainOf("P1"));
    EXPECT_EQ(222, GainOf("P2"));
}

}  // namespace
