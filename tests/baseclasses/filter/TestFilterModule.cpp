// The test filter module: the template table, the setup data and the module
// entry points, in the shape a real filter module has them.
#include "baseclasses/BaseClasses.h"

#include "TestFilter.h"
#include "TestFilterInterface.h"

namespace {

LONG g_initAttachCalls = 0;

void CALLBACK TestSourceInit(BOOL loading, const CLSID* /*clsid*/) {
    if (loading) {
        ++g_initAttachCalls;
    } else {
        // The process outlives the module: the tests read this after
        // FreeLibrary to see that the detach half ran.
        SetEnvironmentVariableW(kDetachVariable, L"1");
    }
}

const AMOVIESETUP_MEDIATYPE sudOutputTypes[] = {
    {&MEDIATYPE_Video, &GUID_NULL},
};

const AMOVIESETUP_PIN sudOutputPins[] = {
    {const_cast<LPWSTR>(kTestOutputPinName), FALSE, TRUE, FALSE, FALSE, &CLSID_NULL, L"Input", 1,
     sudOutputTypes},
};

// Registers (or removes) the source as a video input device, the way a
// capture filter module does beside AMovieDllRegisterServer2.
HRESULT RegisterVideoInputDevice(BOOL bRegister) {
    IFilterMapper2* mapper = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                  reinterpret_cast<void**>(&mapper));
    if (FAILED(hr)) {
        return hr;
    }
    if (bRegister) {
        REGFILTER2 filter = {};
        filter.dwVersion = 1;
        filter.dwMerit = MERIT_DO_NOT_USE;
        filter.cPins = 1;
        filter.rgPins = sudOutputPins;
        hr = mapper->RegisterFilter(CLSID_KorvelTestSource, kTestSourceName, nullptr,
                                    &CLSID_VideoInputDeviceCategory, kTestSourceName, &filter);
    } else {
        hr = mapper->UnregisterFilter(&CLSID_VideoInputDeviceCategory, kTestSourceName,
                                      CLSID_KorvelTestSource);
    }
    mapper->Release();
    return hr;
}

}  // namespace

const AMOVIESETUP_FILTER sudTestSource = {&CLSID_KorvelTestSource, kTestSourceName, MERIT_DO_NOT_USE, 1,
                                          sudOutputPins};

CFactoryTemplate g_Templates[] = {
    {kTestSourceName, &CLSID_KorvelTestSource, CTestFilter::CreateSource, TestSourceInit, &sudTestSource},
    {kTestPinlessName, &CLSID_KorvelTestPinless, CTestFilter::CreatePinless, nullptr, nullptr},
    {L"Korvel Test Failing", &CLSID_KorvelTestFailing, CTestFilter::CreateFailing, nullptr, nullptr},
    {L"Korvel Test No Memory", &CLSID_KorvelTestNoMemory, CTestFilter::CreateNoMemory, nullptr, nullptr},
};
int g_cTemplates = sizeof(g_Templates) / sizeof(g_Templates[0]);

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    return DllEntryPoint(instance, reason, reserved);
}

STDAPI DllRegisterServer() {
    const HRESULT hrInit = CoInitialize(nullptr);
    HRESULT hr = AMovieDllRegisterServer2(TRUE);
    if (SUCCEEDED(hr)) {
        hr = RegisterVideoInputDevice(TRUE);
    }
    if (SUCCEEDED(hrInit)) {
        CoUninitialize();
    }
    return hr;
}

STDAPI DllUnregisterServer() {
    const HRESULT hrInit = CoInitialize(nullptr);
    const HRESULT hrDevice = RegisterVideoInputDevice(FALSE);
    const HRESULT hr = AMovieDllRegisterServer2(FALSE);
    if (SUCCEEDED(hrInit)) {
        CoUninitialize();
    }
    return FAILED(hr) ? hr : hrDevice;
}

extern "C" void WINAPI KorvelTestModuleState(TestModuleState* state) {
    state->objectsActive = CBaseObject::ObjectsActive();
    state->serverLocked = CClassFactory::IsLocked();
    state->initAttachCalls = g_initAttachCalls;
    state->moduleHandle = g_hInst;
}
