#include "ControlTestSupport.h"

#include "QuillTestSupport.h"

std::string TwoCameraProfile() {
    std::string profile = "[transport]\nname = Bench\ndevice_class = Bench\n";
    for (const char* serial : {"P1", "P2"}) {
        profile += std::string("[camera]\ntransport = Bench\nserial = ") + serial +
                   "\nmodel = KV-M640\nmax_width = 640\nmax_height = 480\n"
                   "frame_rate_enable = true\nframe_rate = 30\npixel_formats = Mono8\n"
                   "exposure_min = 20\nexposure_max = 1000000\nexposure = 10000\n"
                   "gain_min = 0\ngain_max = 1000\ngain = 0\n";
    }
    return profile;
}

STDMETHODIMP CountingCallback::QueryInterface(REFIID riid, void** ppv) {
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

STDMETHODIMP_(ULONG) CountingCallback::Release() {
    const ULONG refs = --m_refs;
    if (refs == 0) {
        delete this;
    }
    return refs;
}

STDMETHODIMP CountingCallback::DeviceValid(LONG Device) {
    m_device = Device;
    ++m_valid;
    return S_OK;
}

STDMETHODIMP CountingCallback::DeviceInvalid() {
    ++m_invalid;
    return S_OK;
}

void ControlTest::SetUp() {
    PinTest::SetUp();
    if (!HasFatalFailure()) {
        LoadCameras(TwoCameraProfile());
    }
}

std::wstring ControlTest::CameraIdOf(IBaseFilter* filter, const char* serial) {
    IKorvelGenICamSource* source = nullptr;
    if (FAILED(Query(filter, IID_IKorvelGenICamSource, &source))) {
        return std::wstring();
    }
    const std::wstring suffix = L"(" + std::wstring(serial, serial + strlen(serial)) + L")";
    std::wstring found;
    LONG count = 0;
    EXPECT_EQ(S_OK, source->GetCameraCount(&count));
    for (LONG index = 0; index < count && found.empty(); ++index) {
        BSTR id = nullptr;
        if (source->GetCameraID(index, &id) == S_OK && id) {
            const std::wstring text(id);
            if (text.size() >= suffix.size() &&
                text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0) {
                found = text;
            }
        }
        SysFreeString(id);
    }
    source->Release();
    return found;
}

double ControlTest::ExposureOf(const char* serial) {
    QuillTest::Device device(serial);
    return device.Float("ExposureTimeAbs")->GetValue();
}

int64_t ControlTest::GainOf(const char* serial) {
    QuillTest::Device device(serial);
    return device.Integer("GainRaw")->GetValue();
}
