// CBaseFilter on its own: identification, pin lookup and the pin enumerator.
#include "TestSupport.h"

#include <vfwmsgs.h>

TEST(BaseClassesFilter, DescribesItself) {
    TestModule module;
    IBaseFilter* filter = nullptr;
    ASSERT_EQ(S_OK, module.CreateFilter(CLSID_KorvelTestSource, &filter));

    CLSID clsid = {};
    EXPECT_EQ(S_OK, filter->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_KorvelTestSource, clsid));
    EXPECT_EQ(E_POINTER, filter->GetClassID(nullptr));

    LPWSTR vendor = reinterpret_cast<LPWSTR>(1);
    EXPECT_EQ(E_NOTIMPL, filter->QueryVendorInfo(&vendor));
    EXPECT_EQ(nullptr, vendor);

    // Outside a graph: no name, no graph.
    FILTER_INFO info;
    info.achName[0] = L'x';
    info.pGraph = reinterpret_cast<IFilterGraph*>(1);
    EXPECT_EQ(S_OK, filter->QueryFilterInfo(&info));
    EXPECT_STREQ(L"", info.achName);
    EXPECT_EQ(nullptr, info.pGraph);
    EXPECT_EQ(E_POINTER, filter->QueryFilterInfo(nullptr));

    FILTER_STATE state = State_Running;
    EXPECT_EQ(S_OK, filter->GetState(0, &state));
    EXPECT_EQ(State_Stopped, state);
    EXPECT_EQ(E_POINTER, filter->GetState(0, nullptr));

    IReferenceClock* clock = reinterpret_cast<IReferenceClock*>(1);
    EXPECT_EQ(S_OK, filter->GetSyncSource(&clock));
    EXPECT_EQ(nullptr, clock);

    // The pin is found by its name, exactly.
    IPin* pin = nullptr;
    EXPECT_EQ(S_OK, filter->FindPin(kTestOutputPinName, &pin));
    ASSERT_NE(nullptr, pin);
    IPin* first = FirstPin(filter);
    EXPECT_EQ(first, pin);
    first->Release();
    pin->Release();
    pin = reinterpret_cast<IPin*>(1);
    EXPECT_EQ(VFW_E_NOT_FOUND, filter->FindPin(L"output", &pin));
    EXPECT_EQ(nullptr, pin);
    EXPECT_EQ(E_POINTER, filter->FindPin(kTestOutputPinName, nullptr));

    // Outside a graph there is nobody to tell an event.
    ITestFilterProbe* probe = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_ITestFilterProbe, &probe));
    EXPECT_EQ(E_NOTIMPL, probe->SendEvent(EC_USER, 0, 0));
    REFERENCE_TIME streamTime = 0;
    EXPECT_EQ(VFW_E_NO_CLOCK, probe->GetStreamTime(&streamTime));
    probe->Release();

    EXPECT_EQ(0u, filter->Release());
    EXPECT_EQ(S_OK, module.CanUnloadNow());
}

TEST(BaseClassesFilter, AMovieSetupNeedsSetupData) {
    TestModule module;
    IBaseFilter* filter = nullptr;
    ASSERT_EQ(S_OK, module.CreateFilter(CLSID_KorvelTestPinless, &filter));
    IAMovieSetup* setup = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_IAMovieSetup, &setup));
    // Without setup data there is nothing to register or remove.
    EXPECT_EQ(S_FALSE, setup->Register());
    EXPECT_EQ(S_FALSE, setup->Unregister());
    setup->Release();
    EXPECT_EQ(0u, filter->Release());
}

TEST(BaseClassesFilter, EnumPinsWalksThePinsAndNoticesChanges) {
    TestModule module;
    IBaseFilter* filter = nullptr;
    ASSERT_EQ(S_OK, module.CreateFilter(CLSID_KorvelTestSource, &filter));
    ITestFilterProbe* probe = nullptr;
    ASSERT_EQ(S_OK, Query(filter, IID_ITestFilterProbe, &probe));
    EXPECT_EQ(E_POINTER, filter->EnumPins(nullptr));

    IEnumPins* pins = nullptr;
    ASSERT_EQ(S_OK, filter->EnumPins(&pins));
    // The enumerator holds the filter.
    EXPECT_EQ(3u, RefCount(filter));

    IPin* got[3] = {};
    ULONG fetched = 99;
    EXPECT_EQ(S_FALSE, pins->Next(2, got, &fetched));
    EXPECT_EQ(1u, fetched);
    ASSERT_NE(nullptr, got[0]);
    PIN_DIRECTION direction = PINDIR_INPUT;
    EXPECT_EQ(S_OK, got[0]->QueryDirection(&direction));
    EXPECT_EQ(PINDIR_OUTPUT, direction);
    got[0]->Release();
    EXPECT_EQ(S_FALSE, pins->Next(1, got, &fetched));
    EXPECT_EQ(0u, fetched);
    EXPECT_EQ(E_INVALIDARG, pins->Next(2, got, nullptr));
    EXPECT_EQ(E_POINTER, pins->Next(1, nullptr, &fetched));

    EXPECT_EQ(S_OK, pins->Reset());
    EXPECT_EQ(S_OK, pins->Skip(1));
    EXPECT_EQ(S_FALSE, pins->Skip(1));
    EXPECT_EQ(S_OK, pins->Reset());

    // Three pins now: the enumerator no longer matches the filter.
    ASSERT_EQ(S_OK, probe->SetPinCount(3));
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, pins->Next(1, got, &fetched));
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, pins->Skip(1));
    IEnumPins* clone = reinterpret_cast<IEnumPins*>(1);
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, pins->Clone(&clone));
    EXPECT_EQ(nullptr, clone);

    EXPECT_EQ(S_OK, pins->Reset());
    EXPECT_EQ(S_OK, pins->Next(1, got, nullptr));
    got[0]->Release();
    ASSERT_EQ(S_OK, pins->Clone(&clone));
    // The clone carries on from the same position.
    EXPECT_EQ(S_OK, clone->Next(2, got, &fetched));
    EXPECT_EQ(2u, fetched);
    LPWSTR id = nullptr;
    ASSERT_EQ(S_OK, got[1]->QueryId(&id));
    EXPECT_STREQ(L"Output 3", id);
    CoTaskMemFree(id);
    got[0]->Release();
    got[1]->Release();
    EXPECT_EQ(S_OK, pins->Next(2, got, &fetched));
    EXPECT_EQ(2u, fetched);
    got[0]->Release();
    got[1]->Release();
    EXPECT_EQ(0u, clone->Release());
    EXPECT_EQ(0u, pins->Release());

    // Filter, three pins, nothing else.
    EXPECT_EQ(4, module.State().objectsActive);
    EXPECT_EQ(2u, RefCount(filter));
    EXPECT_EQ(1u, probe->Release());
    EXPECT_EQ(0u, filter->Release());
    EXPECT_EQ(S_OK, module.CanUnloadNow());
}
