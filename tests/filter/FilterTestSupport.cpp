#include "FilterTestSupport.h"

#include "quill/EmulationControl.h"

namespace {

std::wstring BinaryDirectory() {
    WCHAR path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path, length);
    const size_t slash = directory.find_last_of(L"\\/");
    directory.resize(slash == std::wstring::npos ? 0 : slash + 1);
    return directory;
}

std::string MonoCamera(const char* serial, const std::string& extra) {
    return std::string("[camera]\ntransport = Bench\nserial = ") + serial +
           "\nmodel = KV-M640\nmax_width = 640\nmax_height = 480\npixel_formats = Mono8\n" + extra;
}

}  // namespace

const char kNoCameraProfile[] = "[transport]\nname = Bench\ndevice_class = Bench\n";

std::string ThreeCameraProfile(const std::string& extraC1, const std::string& extraC2,
                               const std::string& extraC3) {
    return std::string(kNoCameraProfile) + MonoCamera("C1", extraC1) + MonoCamera("C2", extraC2) +
           MonoCamera("C3", extraC3);
}

std::wstring MonoCameraId(const char* serial) {
    const std::string name = std::string("Korvel KV-M640 (") + serial + ")";
    return std::wstring(name.begin(), name.end());
}

void FilterTest::SetUp() {
    const HRESULT hr = CoInitialize(nullptr);
    ASSERT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
    m_comInitialised = true;

    m_module = LoadLibraryW((BinaryDirectory() + L"KorvelGenICamSource.ax").c_str());
    ASSERT_NE(nullptr, m_module) << "cannot load the module, error " << GetLastError();
    auto getClassObject = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(m_module, "DllGetClassObject")));
    ASSERT_NE(nullptr, getClassObject);
    ASSERT_EQ(S_OK, getClassObject(CLSID_CKorvelGenICamSource, IID_IClassFactory,
                                   reinterpret_cast<void**>(&m_factory)));
    ASSERT_EQ(S_OK, CoRegisterClassObject(CLSID_CKorvelGenICamSource, m_factory, CLSCTX_INPROC_SERVER,
                                          REGCLS_MULTIPLEUSE, &m_registration));
    LoadCameras(ThreeCameraProfile());
}

void FilterTest::TearDown() {
    if (m_registration) {
        EXPECT_EQ(S_OK, CoRevokeClassObject(m_registration));
    }
    if (m_factory) {
        EXPECT_EQ(0u, m_factory->Release());
    }
    if (m_module) {
        EXPECT_EQ(S_OK, ModuleCanUnloadNow());
        EXPECT_EQ(0u, LiveDevices());
        FreeLibrary(m_module);
    }
    if (m_comInitialised) {
        CoUninitialize();
    }
}

void FilterTest::LoadCameras(const std::string& profile) {
    GenICam::gcstring error;
    ASSERT_TRUE(Quill::Emulation::GetEmulationControl().LoadProfiles(profile.c_str(), &error))
        << error.c_str();
}

IBaseFilter* FilterTest::CreateFilter() {
    IBaseFilter* filter = nullptr;
    const HRESULT hr = TryCreateFilter(&filter);
    EXPECT_EQ(S_OK, hr);
    EXPECT_NE(nullptr, filter);
    return filter;
}

HRESULT FilterTest::TryCreateFilter(IBaseFilter** filter) {
    *filter = nullptr;
    return CoCreateInstance(CLSID_CKorvelGenICamSource, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                            reinterpret_cast<void**>(filter));
}

HRESULT FilterTest::ModuleCanUnloadNow() const {
    auto canUnloadNow = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(m_module, "DllCanUnloadNow")));
    return canUnloadNow ? canUnloadNow() : E_UNEXPECTED;
}

size_t FilterTest::LiveDevices() const {
    return Quill::Emulation::GetEmulationControl().GetLiveDeviceCount();
}

IUnknown* IdentityOf(IUnknown* object) {
    IUnknown* identity = nullptr;
    if (FAILED(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)))) {
        return nullptr;
    }
    identity->Release();
    return identity;
}

ULONG RefCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}
