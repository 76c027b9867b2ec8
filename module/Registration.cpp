// DllRegisterServer and DllUnregisterServer: the standard registration of the
// base classes, moved from the "DirectShow Filters" category to the video
// input device category, plus the type library embedded in the module.
#include <windows.h>
#include <oleauto.h>
#include <uuids.h>

#include "baseclasses/BaseClasses.h"
#include "KorvelGenICamSource_h.h"
#include "module/ModuleSetup.h"
#include "module/RegistrationLog.h"

namespace {

// Every result is reported as an unsigned number.
unsigned Code(HRESULT hr) {
    return static_cast<unsigned>(hr);
}

// The instance name under the video input device category: the filter's
// name turned into a wide string with the thread's ANSI code page.
void InstanceName(WCHAR (&name)[MAX_PATH]) {
    name[0] = L'\0';
    if (MultiByteToWideChar(CP_THREAD_ACP, 0, kSourceFilterNameA, -1, name, MAX_PATH) == 0) {
        name[0] = L'\0';
    }
}

HRESULT CreateFilterMapper(IFilterMapper2** mapper) {
    *mapper = nullptr;
    return CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                            reinterpret_cast<void**>(mapper));
}

// Steps 3 to 8 of the registration, with COM initialised; the result of the
// first step that stops it, else that of the type library.
HRESULT RegisterEverything() {
    HRESULT hr = AMovieDllRegisterServer2(TRUE);
    if (FAILED(hr)) {
        ReportRegistration("AMovieDllRegisterServer2 failed with Error %#x!\n", Code(hr));
        return hr;
    }

    IFilterMapper2* mapper = nullptr;
    hr = CreateFilterMapper(&mapper);
    if (FAILED(hr)) {
        ReportRegistration("Can't create FilterMapper2 Object, Error %#x!", Code(hr));
        return hr;
    }

    // The base classes registered the filter as an ordinary filter; it is a
    // capture device only. A failure here is reported and does not count.
    hr = mapper->UnregisterFilter(nullptr, nullptr, CLSID_CKorvelGenICamSource);
    if (FAILED(hr)) {
        ReportRegistration(
            "IFilterMapper2::UnregisterFilter for DirectShow Filters categotry failed with Error %#x!\n",
            Code(hr));
    }

    WCHAR instanceName[MAX_PATH];
    InstanceName(instanceName);
    REGFILTER2 filter = {};
    filter.dwVersion = 1;  // pins in the REGFILTERPINS form of the setup record
    filter.dwMerit = g_sourceFilterSetup.dwMerit;
    filter.cPins = g_sourceFilterSetup.nPins;
    filter.rgPins = g_sourceFilterSetup.lpPin;
    hr = mapper->RegisterFilter(CLSID_CKorvelGenICamSource, kSourceFilterName, nullptr,
                                &CLSID_VideoInputDeviceCategory, instanceName, &filter);
    mapper->Release();
    if (FAILED(hr)) {
        ReportRegistration("IFilterMapper2::RegisterFilter failed with Error %#x!\n", Code(hr));
        return hr;
    }

    // Found by name: a module renamed after the build finds the host's
    // executable instead, whose type library does not exist, and reports it.
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(GetModuleHandleA(kModuleFileName), path, MAX_PATH);
    if (length == 0) {
        const DWORD error = GetLastError();
        ReportRegistration("GetModulehandle failed. Err=%#x!\n", static_cast<unsigned>(error));
        return E_HANDLE;
    }

    WCHAR widePath[MAX_PATH];
    if (MultiByteToWideChar(CP_THREAD_ACP, 0, path, -1, widePath, MAX_PATH) == 0) {
        widePath[0] = L'\0';
    }
    ITypeLib* library = nullptr;
    hr = LoadTypeLibEx(widePath, REGKIND_REGISTER, &library);
    if (FAILED(hr)) {
        ReportRegistration("LoadTypeLibEx for '%s' failed with Error %#x!\n", path, Code(hr));
        return hr;
    }
    library->Release();
    return S_OK;
}

}  // namespace

STDAPI DllRegisterServer() {
    HRESULT hr = CoInitialize(nullptr);
    if (FAILED(hr)) {
        ReportRegistration("CoInitialize failed! Error %#x!\n", Code(hr));
        return hr;
    }
    hr = RegisterEverything();
    CoUninitialize();
    return hr;
}

STDAPI DllUnregisterServer() {
    HRESULT hr = CoInitialize(nullptr);
    if (FAILED(hr)) {
        ReportRegistration("CoInitialize failed! Error %#x!\n", Code(hr));
        return hr;
    }

    int failures = 0;

    hr = UnRegisterTypeLib(LIBID_KorvelGenICamSource, 1, 0, 0, SYS_WIN64);
    if (FAILED(hr)) {
        ReportRegistration("UnregisterTypeLib failed with Error %#x!\n", Code(hr));
        ++failures;
    }

    IFilterMapper2* mapper = nullptr;
    hr = CreateFilterMapper(&mapper);
    if (FAILED(hr)) {
        ReportRegistration("Can't create FilterMapper2 Object, Error %#x!", Code(hr));
        ++failures;
    } else {
        WCHAR instanceName[MAX_PATH];
        InstanceName(instanceName);
        hr = mapper->UnregisterFilter(&CLSID_VideoInputDeviceCategory, instanceName,
                                      CLSID_CKorvelGenICamSource);
        if (FAILED(hr)) {
            ReportRegistration("IFilterMapper2::UnregisterFilter failed! Error %#x!", Code(hr));
            ++failures;
        }
        mapper->Release();
    }

    const HRESULT hrServers = AMovieDllRegisterServer2(FALSE);
    if (FAILED(hrServers)) {
        ReportRegistration("AMovieDllRegisterServer2(FALSE) failed with Error %#x!\n", Code(hrServers));
        ++failures;
    }

    CoUninitialize();

    // The result says how many of the three steps failed: none, some, all.
    if (failures == 0) {
        return hrServers;
    }
    return failures < 3 ? S_FALSE : E_FAIL;
}
