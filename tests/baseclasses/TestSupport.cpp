#include "TestSupport.h"

std::wstring TestModulePath() {
    WCHAR path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path, length);
    const size_t slash = directory.find_last_of(L"\\/");
    directory.resize(slash == std::wstring::npos ? 0 : slash + 1);
    return directory + L"KorvelTestFilter.ax";
}

TestModule::TestModule()
    : m_module(LoadLibraryW(TestModulePath().c_str())),
      m_getClassObject(nullptr),
      m_canUnloadNow(nullptr),
      m_state(nullptr) {
    if (!m_module) {
        ADD_FAILURE() << "cannot load the test filter module, error " << GetLastError();
        return;
    }
    m_getClassObject = reinterpret_cast<decltype(m_getClassObject)>(
        reinterpret_cast<void*>(GetProcAddress(m_module, "DllGetClassObject")));
    m_canUnloadNow = reinterpret_cast<decltype(m_canUnloadNow)>(
        reinterpret_cast<void*>(GetProcAddress(m_module, "DllCanUnloadNow")));
    m_state = reinterpret_cast<KorvelTestModuleStateFunction>(
        reinterpret_cast<void*>(GetProcAddress(m_module, "KorvelTestModuleState")));
    EXPECT_NE(nullptr, m_getClassObject);
    EXPECT_NE(nullptr, m_canUnloadNow);
    EXPECT_NE(nullptr, m_state);
}

TestModule::~TestModule() {
    if (m_module) {
        FreeLibrary(m_module);
    }
}

HRESULT TestModule::GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) const {
    return m_getClassObject ? m_getClassObject(clsid, iid, ppv) : E_UNEXPECTED;
}

HRESULT TestModule::CanUnloadNow() const {
    return m_canUnloadNow ? m_canUnloadNow() : E_UNEXPECTED;
}

TestModuleState TestModule::State() const {
    TestModuleState state = {};
    if (m_state) {
        m_state(&state);
    }
    return state;
}

IClassFactory* TestModule::Factory(REFCLSID clsid) const {
    IClassFactory* factory = nullptr;
    const HRESULT hr = GetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    EXPECT_EQ(S_OK, hr);
    return factory;
}

HRESULT TestModule::CreateFilter(REFCLSID clsid, IBaseFilter** filter) const {
    *filter = nullptr;
    IClassFactory* factory = Factory(clsid);
    if (!factory) {
        return E_FAIL;
    }
    const HRESULT hr = factory->CreateInstance(nullptr, IID_IBaseFilter, reinterpret_cast<void**>(filter));
    factory->Release();
    return hr;
}

void ComTest::SetUp() {
    const HRESULT hr = CoInitialize(nullptr);
    ASSERT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
    m_initialised = true;
}

void ComTest::TearDown() {
    if (m_initialised) {
        CoUninitialize();
    }
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

IPin* FirstPin(IBaseFilter* filter) {
    IEnumPins* pins = nullptr;
    if (FAILED(filter->EnumPins(&pins))) {
        return nullptr;
    }
    IPin* pin = nullptr;
    if (pins->Next(1, &pin, nullptr) != S_OK) {
        pin = nullptr;
    }
    pins->Release();
    return pin;
}
