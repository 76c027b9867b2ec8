// IKorvelGenICamSource and IKorvelGenICamConfigControl on emulated cameras:
// the camera list, selection by identifier, the device value and the
// configuration callbacks with their cookies.
#include "FilterTestSupport.h"

#include <vector>

#include "quill/EmulationControl.h"

namespace {

// A configuration client: it records what the filter tells it.
class RecordingCallback : public IKorvelGenICamConfigCallback {
  public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) {
            return E_POINTER;
        }
        if (riid == IID_IUnknown || riid == IID_IKorvelGenICamConfigCallback) {
            *ppv = static_cast<IKorvelGenICamConfigCallback*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }

    STDMETHODIMP DeviceValid(LONG Device) override {
        events.push_back(Device);
        return S_OK;
    }
    STDMETHODIMP DeviceInvalid() override {
        events.push_back(kInvalid);
        return S_OK;
    }

    static constexpr LONG kInvalid = 0;  // recorded for DeviceInvalid
    ULONG references = 1;
    std::vector<LONG> events;
};

// An object that is no configuration client.
class PlainObject : public IUnknown {
  public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }
    ULONG references = 1;
};

class CustomInterfaces : public FilterTest {
  protected:
    void SetUp() override {
        FilterTest::SetUp();
        m_filter = CreateFilter();
        ASSERT_NE(nullptr, m_filter);
        ASSERT_EQ(S_OK, Query(m_filter, IID_IKorvelGenICamSource, &m_source));
        ASSERT_EQ(S_OK, Query(m_filter, IID_IKorvelGenICamConfigControl, &m_control));
    }

    void TearDown() override {
        if (m_control) {
            m_control->Release();
        }
        if (m_source) {
            m_source->Release();
        }
        if (m_filter) {
            EXPECT_EQ(0u, m_filter->Release());
        }
        FilterTest::TearDown();
    }

    std::wstring Selected(HRESULT expected = S_OK) {
        Bstr id;
        EXPECT_EQ(expected, m_source->GetSelectedCamera(id.Out()));
        return id.Text();
    }

    LONG ActiveDevice(HRESULT expected = S_OK) {
        LONG device = -1;
        EXPECT_EQ(expected, m_control->GetActiveDevice(&device));
        return device;
    }

    IBaseFilter* m_filter = nullptr;
    IKorvelGenICamSource* m_source = nullptr;
    IKorvelGenICamConfigControl* m_control = nullptr;
};

}  // namespace

TEST_F(CustomInterfaces, ListsTheCameras) {
    LONG count = 0;
    ASSERT_EQ(S_OK, m_source->GetCameraCount(&count));
    ASSERT_EQ(3, count);
    const char* const serials[] = {"C1", "C2", "C3"};
    for (LONG index = 0; index < count; ++index) {
        Bstr id;
        EXPECT_EQ(S_OK, m_source->GetCameraID(index, id.Out()));
        EXPECT_EQ(MonoCameraId(serials[index]), id.Text());
    }
    Bstr id;
    EXPECT_EQ(E_INVALIDARG, m_source->GetCameraID(-1, id.Out()));
    EXPECT_EQ(E_INVALIDARG, m_source->GetCameraID(count, id.Out()));
    EXPECT_EQ(E_POINTER, m_source->GetCameraID(0, nullptr));
    EXPECT_EQ(E_POINTER, m_source->GetCameraCount(nullptr));
    EXPECT_EQ(E_POINTER, m_source->GetSelectedCamera(nullptr));
    EXPECT_EQ(MonoCameraId("C1"), Selected());
}

TEST_F(CustomInterfaces, SelectsCamerasByIdentifier) {
    const LONG first = ActiveDevice();
    EXPECT_NE(0, first);

    Bstr second(MonoCameraId("C2").c_str());
    EXPECT_EQ(S_OK, m_source->SelectCamera(second.Get()));
    EXPECT_EQ(MonoCameraId("C2"), Selected());
    const LONG device = ActiveDevice();
    EXPECT_NE(0, device);
    EXPECT_NE(first, device);  // a stale value names no device
    EXPECT_EQ(1u, LiveDevices());

    // Identifiers are compared exactly; an unknown one changes nothing.
    Bstr unknown(L"Korvel KV-M640 (C9)");
    EXPECT_EQ(E_INVALIDARG, m_source->SelectCamera(unknown.Get()));
    Bstr otherCase(L"korvel kv-m640 (c3)");
    EXPECT_EQ(E_INVALIDARG, m_source->SelectCamera(otherCase.Get()));
    EXPECT_EQ(MonoCameraId("C2"), Selected());
    EXPECT_EQ(device, ActiveDevice());

    // An empty identifier closes the camera, and says E_INVALIDARG.
    Bstr empty(L"");
    EXPECT_EQ(E_INVALIDARG, m_source->SelectCamera(empty.Get()));
    EXPECT_EQ(L"", Selected(E_FAIL));
    EXPECT_EQ(0, ActiveDevice(E_FAIL));
    EXPECT_EQ(0u, LiveDevices());

    // NULL counts as the empty string.
    EXPECT_EQ(S_OK, m_source->SelectCamera(second.Get()));
    EXPECT_EQ(E_INVALIDARG, m_source->SelectCamera(nullptr));
    EXPECT_EQ(0, ActiveDevice(E_FAIL));

    EXPECT_EQ(E_POINTER, m_control->GetActiveDevice(nullptr));
}

TEST_F(CustomInterfaces, CameraThatDoesNotOpenLeavesNoneOpen) {
    GenICam::gcstring error;
    Quill::Emulation::IEmulationControl& emulation = Quill::Emulation::GetEmulationControl();
    ASSERT_TRUE(emulation.Configure("C3", "open_elsewhere", "yes", &error)) << error.c_str();
    Bstr third(MonoCameraId("C3").c_str());
    EXPECT_EQ(E_FAIL, m_source->SelectCamera(third.Get()));
    EXPECT_EQ(L"", Selected(E_FAIL));
    EXPECT_EQ(0, ActiveDevice(E_FAIL));

    ASSERT_TRUE(emulation.Configure("C3", "open_elsewhere", "no", &error)) << error.c_str();
    EXPECT_EQ(S_OK, m_source->SelectCamera(third.Get()));
    EXPECT_EQ(MonoCameraId("C3"), Selected());
}

TEST_F(CustomInterfaces, ConfigurationCallbacksAndCookies) {
    RecordingCallback first;
    RecordingCallback second;
    LONG firstCookie = -1;
    LONG secondCookie = -1;
    ASSERT_EQ(S_OK, m_control->SetConfigCallback(&first, &firstCookie));
    ASSERT_EQ(S_OK, m_control->SetConfigCallback(&second, &secondCookie));
    EXPECT_EQ(firstCookie + 1, secondCookie);
    // The filter holds one reference on each; registering calls nobody.
    EXPECT_EQ(2u, first.references);
    EXPECT_TRUE(first.events.empty());

    VARIANT_BOOL isSet = VARIANT_FALSE;
    EXPECT_EQ(S_OK, m_control->IsConfigCallbackSet(firstCookie, &isSet));
    EXPECT_EQ(VARIANT_TRUE, isSet);

    // Selecting a camera closes the old one and opens the new one: both
    // clients hear DeviceInvalid, then DeviceValid with the new value.
    Bstr other(MonoCameraId("C2").c_str());
    ASSERT_EQ(S_OK, m_source->SelectCamera(other.Get()));
    const LONG device = ActiveDevice();
    const std::vector<LONG> expected = {RecordingCallback::kInvalid, device};
    EXPECT_EQ(expected, first.events);
    EXPECT_EQ(expected, second.events);

    // Removal: once, then the cookie names nothing.
    EXPECT_EQ(S_OK, m_control->RemoveCallback(firstCookie));
    EXPECT_EQ(1u, first.references);
    EXPECT_EQ(E_INVALIDARG, m_control->RemoveCallback(firstCookie));
    EXPECT_EQ(S_OK, m_control->IsConfigCallbackSet(firstCookie, &isSet));
    EXPECT_EQ(VARIANT_FALSE, isSet);
    EXPECT_EQ(S_OK, m_control->IsConfigCallbackSet(secondCookie, &isSet));
    EXPECT_EQ(VARIANT_TRUE, isSet);
    EXPECT_EQ(S_OK, m_control->IsConfigCallbackSet(-1, &isSet));
    EXPECT_EQ(VARIANT_FALSE, isSet);
    EXPECT_EQ(E_INVALIDARG, m_control->RemoveCallback(-1));

    // Cookies are not reused.
    LONG thirdCookie = -1;
    ASSERT_EQ(S_OK, m_control->SetConfigCallback(&first, &thirdCookie));
    EXPECT_EQ(secondCookie + 1, thirdCookie);
    EXPECT_EQ(S_OK, m_control->RemoveCallback(thirdCookie));

    // Refused: no callback interface, null pointers.
    PlainObject plain;
    LONG cookie = -1;
    EXPECT_EQ(E_FAIL, m_control->SetConfigCallback(&plain, &cookie));
    EXPECT_EQ(1u, plain.references);
    EXPECT_EQ(E_POINTER, m_control->SetConfigCallback(nullptr, &cookie));
    EXPECT_EQ(E_POINTER, m_control->SetConfigCallback(&first, nullptr));
    EXPECT_EQ(E_POINTER, m_control->IsConfigCallbackSet(secondCookie, nullptr));

    // A client still registered when the filter goes hears DeviceInvalid and
    // gets its reference back.
    m_control->Release();
    m_control = nullptr;
    m_source->Release();
    m_source = nullptr;
    EXPECT_EQ(0u, m_filter->Release());
    m_filter = nullptr;
    // The filter closes the camera, then the camera object closes once more
    // as it goes: each close is told.
    ASSERT_LE(3u, second.events.size());
    for (size_t index = 2; index < second.events.size(); ++index) {
        EXPECT_EQ(RecordingCallback::kInvalid, second.events[index]);
    }
    EXPECT_EQ(1u, second.references);
    EXPECT_EQ(1u, first.references);
}
