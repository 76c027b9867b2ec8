#include "baseclasses/DllSetup.h"

#include <strmif.h>
#include <uuids.h>

#include "baseclasses/FactoryTemplate.h"

namespace {

// Registers or removes every template's filter data through the filter
// mapper. Registration stops at the first failure; removal goes on.
HRESULT RegisterFilters(BOOL bRegister) {
    // The caller normally has COM initialised already (regsvr32 does); when
    // it runs in another apartment model, CoInitialize says so and COM is
    // still usable, but then it must not be uninitialised here.
    const HRESULT hrInit = CoInitialize(nullptr);

    IFilterMapper2* mapper = nullptr;
    HRESULT result = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                      reinterpret_cast<void**>(&mapper));
    if (SUCCEEDED(result)) {
        result = S_OK;
        for (int i = 0; i < g_cTemplates; ++i) {
            const AMOVIESETUP_FILTER* setup = g_Templates[i].m_pAMovieSetup_Filter;
            if (!setup) {
                continue;
            }
            const HRESULT hr = AMovieSetupRegisterFilter2(setup, mapper, bRegister);
            if (FAILED(hr)) {
                if (SUCCEEDED(result)) {
                    result = hr;
                }
                if (bRegister) {
                    break;
                }
            }
        }
        mapper->Release();
    }

    if (SUCCEEDED(hrInit)) {
        CoUninitialize();
    }
    return result;
}

}  // namespace

STDAPI AMovieDllRegisterServer2(BOOL bRegister) {
    WCHAR path[MAX_PATH];
    HRESULT hr = GetServerModulePath(path, MAX_PATH);
    if (FAILED(hr)) {
        return hr;
    }

    if (bRegister) {
        for (int i = 0; i < g_cTemplates; ++i) {
            const CFactoryTemplate& entry = g_Templates[i];
            if (!entry.m_ClsID) {
                continue;
            }
            hr = AMovieSetupRegisterServer(*entry.m_ClsID, entry.m_Name ? entry.m_Name : L"", path);
            if (FAILED(hr)) {
                return hr;
            }
        }
        return RegisterFilters(TRUE);
    }

    // Removal in the reverse order: the filter entries, then the servers.
    HRESULT result = RegisterFilters(FALSE);
    for (int i = 0; i < g_cTemplates; ++i) {
        const CFactoryTemplate& entry = g_Templates[i];
        if (!entry.m_ClsID) {
            continue;
        }
        hr = AMovieSetupUnregisterServer(*entry.m_ClsID);
        if (FAILED(hr) && SUCCEEDED(result)) {
            result = hr;
        }
    }
    return result;
}
