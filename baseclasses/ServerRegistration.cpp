#include "baseclasses/ServerRegistration.h"

#include <uuids.h>

#include <cwchar>

namespace {

// "CLSID\{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"
constexpr int kGuidChars = 39;
constexpr int kClassKeyChars = 6 + kGuidChars;

HRESULT ClassKeyName(REFCLSID clsid, WCHAR (&name)[kClassKeyChars]) {
    WCHAR guid[kGuidChars];
    if (StringFromGUID2(clsid, guid, kGuidChars) == 0) {
        return E_INVALIDARG;
    }
    std::swprintf(name, kClassKeyChars, L"CLSID\\%ls", guid);
    return S_OK;
}

HRESULT SetStringValue(HKEY key, LPCWSTR valueName, LPCWSTR text) {
    const DWORD bytes = static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(WCHAR));
    const LONG error = RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
    return HRESULT_FROM_WIN32(error);
}

bool IsNotFound(HRESULT hr) {
    return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

}  // namespace

HRESULT GetServerModulePath(WCHAR* path, DWORD capacity) {
    if (!path || capacity == 0) {
        return E_POINTER;
    }
    // The module that holds this very function: the base classes are a
    // static library, so that is the server being registered.
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(&GetServerModulePath), &module)) {
        const DWORD error = GetLastError();
        return HRESULT_FROM_WIN32(error);
    }
    const DWORD length = GetModuleFileNameW(module, path, capacity);
    if (length == 0) {
        const DWORD error = GetLastError();
        return HRESULT_FROM_WIN32(error);
    }
    if (length >= capacity) {
        return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    }
    return S_OK;
}

STDAPI AMovieSetupRegisterServer(CLSID clsServer, LPCWSTR szDescription, LPCWSTR szFileName,
                                 LPCWSTR szThreadingModel, LPCWSTR szServerType) {
    if (!szDescription || !szFileName || !szThreadingModel || !szServerType) {
        return E_POINTER;
    }
    WCHAR className[kClassKeyChars];
    HRESULT hr = ClassKeyName(clsServer, className);
    if (FAILED(hr)) {
        return hr;
    }

    HKEY classKey = nullptr;
    LONG error =
        RegCreateKeyExW(HKEY_CLASSES_ROOT, className, 0, nullptr, 0, KEY_WRITE, nullptr, &classKey, nullptr);
    if (error != ERROR_SUCCESS) {
        return HRESULT_FROM_WIN32(error);
    }
    hr = SetStringValue(classKey, nullptr, szDescription);
    if (SUCCEEDED(hr)) {
        HKEY serverKey = nullptr;
        error =
            RegCreateKeyExW(classKey, szServerType, 0, nullptr, 0, KEY_WRITE, nullptr, &serverKey, nullptr);
        hr = HRESULT_FROM_WIN32(error);
        if (SUCCEEDED(hr)) {
            hr = SetStringValue(serverKey, nullptr, szFileName);
            if (SUCCEEDED(hr)) {
                hr = SetStringValue(serverKey, L"ThreadingModel", szThreadingModel);
            }
            RegCloseKey(serverKey);
        }
    }
    RegCloseKey(classKey);
    return hr;
}

STDAPI AMovieSetupUnregisterServer(CLSID clsServer) {
    WCHAR className[kClassKeyChars];
    HRESULT hr = ClassKeyName(clsServer, className);
    if (FAILED(hr)) {
        return hr;
    }
    // HRESULT_FROM_WIN32 is a macro that evaluates its argument twice: the
    // call must not be written inside it.
    const LONG error = RegDeleteTreeW(HKEY_CLASSES_ROOT, className);
    hr = HRESULT_FROM_WIN32(error);
    return IsNotFound(hr) ? S_OK : hr;
}

STDAPI AMovieSetupRegisterFilter2(const AMOVIESETUP_FILTER* psetupdata, IFilterMapper2* pIFM2,
                                  BOOL bRegister) {
    if (!psetupdata) {
        return S_FALSE;
    }
    if (!pIFM2 || !psetupdata->clsID) {
        return E_POINTER;
    }
    if (!bRegister) {
        const HRESULT hr =
            pIFM2->UnregisterFilter(&CLSID_LegacyAmFilterCategory, nullptr, *psetupdata->clsID);
        return IsNotFound(hr) ? S_OK : hr;
    }

    REGFILTER2 filter = {};
    filter.dwVersion = 1;  // pins as REGFILTERPINS, the layout of AMOVIESETUP_PIN
    filter.dwMerit = psetupdata->dwMerit;
    filter.cPins = psetupdata->nPins;
    filter.rgPins = psetupdata->lpPin;
    return pIFM2->RegisterFilter(*psetupdata->clsID, psetupdata->strName, nullptr,
                                 &CLSID_LegacyAmFilterCategory, nullptr, &filter);
}
