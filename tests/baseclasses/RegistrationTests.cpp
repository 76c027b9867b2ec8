// Self-registration through the real system: regsvr32 and the module's own
// DllRegisterServer write the server keys and the filter entries through
// Wine's filter mapper, the system device enumerator lists the source as a
// video input device and creates it from its moniker, and removal takes it
// all away again. One test walks the whole sequence, so that nothing else
// of this suite touches the registry at the same time, and it leaves the
// prefix as it found it.
#include "TestSupport.h"

#include <cwchar>

#include <uuids.h>

namespace {

std::wstring GuidText(REFGUID guid) {
    WCHAR text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring ClassKey(REFCLSID clsid) {
    return L"CLSID\\" + GuidText(clsid);
}

std::wstring CategoryInstanceKey(REFCLSID category, const std::wstring& instance) {
    return L"CLSID\\" + GuidText(category) + L"\\Instance\\" + instance;
}

bool KeyExists(const std::wstring& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(handle);
    return true;
}

// The string value, or "<missing>".
std::wstring ReadString(const std::wstring& key, const WCHAR* value) {
    WCHAR text[MAX_PATH * 2];
    DWORD bytes = sizeof(text);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), value, RRF_RT_REG_SZ, nullptr, text, &bytes) !=
        ERROR_SUCCESS) {
        return L"<missing>";
    }
    return text;
}

// Runs "regsvr32 /s [/u] module" and returns its exit code.
DWORD RunRegsvr32(bool unregister) {
    std::wstring command = L"regsvr32.exe /s ";
    if (unregister) {
        command += L"/u ";
    }
    command += L"\"" + TestModulePath() + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        ADD_FAILURE() << "cannot start regsvr32, error " << GetLastError();
        return ~0u;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = ~0u;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

// Looks for the device whose friendly name is name in category; its moniker
// (with a reference) when moniker is given.
bool FindDevice(REFCLSID category, const WCHAR* name, IMoniker** moniker = nullptr) {
    ICreateDevEnum* devices = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                reinterpret_cast<void**>(&devices)))) {
        ADD_FAILURE() << "no system device enumerator";
        return false;
    }
    IEnumMoniker* monikers = nullptr;
    const HRESULT hr = devices->CreateClassEnumerator(category, &monikers, 0);
    devices->Release();
    if (hr != S_OK) {
        // S_FALSE: the category is empty.
        return false;
    }
    bool found = false;
    IMoniker* candidate = nullptr;
    while (!found && monikers->Next(1, &candidate, nullptr) == S_OK) {
        IPropertyBag* properties = nullptr;
        if (SUCCEEDED(candidate->BindToStorage(nullptr, nullptr, IID_IPropertyBag,
                                               reinterpret_cast<void**>(&properties)))) {
            VARIANT friendlyName;
            VariantInit(&friendlyName);
            if (SUCCEEDED(properties->Read(L"FriendlyName", &friendlyName, nullptr)) &&
                friendlyName.vt == VT_BSTR && std::wcscmp(friendlyName.bstrVal, name) == 0) {
                found = true;
                if (moniker) {
                    *moniker = candidate;
                    candidate->AddRef();
                }
            }
            VariantClear(&friendlyName);
            properties->Release();
        }
        candidate->Release();
    }
    monikers->Release();
    return found;
}

const std::wstring kSourceInDefaultCategory =
    CategoryInstanceKey(CLSID_LegacyAmFilterCategory, GuidText(CLSID_KorvelTestSource));
const std::wstring kSourceAsVideoInput = CategoryInstanceKey(CLSID_VideoInputDeviceCategory, kTestSourceName);

class BaseClassesRegistration : public ComTest {
  protected:
    void ExpectServerKeys(REFCLSID clsid, const WCHAR* name) {
        const std::wstring key = ClassKey(clsid);
        EXPECT_EQ(name, ReadString(key, nullptr));
        const std::wstring server = ReadString(key + L"\\InprocServer32", nullptr);
        EXPECT_EQ(0, _wcsicmp(TestModulePath().c_str(), server.c_str()))
            << "InprocServer32 is " << server.size();
        EXPECT_EQ(L"Both", ReadString(key + L"\\InprocServer32", L"ThreadingModel"));
    }

    void ExpectNothingRegistered() {
        for (const CLSID* clsid : {&CLSID_KorvelTestSource, &CLSID_KorvelTestPinless,
                                   &CLSID_KorvelTestFailing, &CLSID_KorvelTestNoMemory}) {
            EXPECT_FALSE(KeyExists(ClassKey(*clsid)));
        }
        EXPECT_FALSE(KeyExists(kSourceInDefaultCategory));
        EXPECT_FALSE(KeyExists(kSourceAsVideoInput));
        EXPECT_FALSE(FindDevice(CLSID_VideoInputDeviceCategory, kTestSourceName));
    }
};

}  // namespace

TEST_F(BaseClassesRegistration, RegistersFindsCreatesAndRemovesTheFilter) {
    // Whatever an interrupted earlier run may have left.
    RunRegsvr32(true);
    ExpectNothingRegistered();

    // regsvr32: every template's server keys, the filter with setup data in
    // the default category, and the module's own video input entry.
    ASSERT_EQ(0u, RunRegsvr32(false));
    ExpectServerKeys(CLSID_KorvelTestSource, kTestSourceName);
    ExpectServerKeys(CLSID_KorvelTestPinless, kTestPinlessName);
    ExpectServerKeys(CLSID_KorvelTestFailing, L"Korvel Test Failing");
    EXPECT_TRUE(KeyExists(kSourceInDefaultCategory));
    EXPECT_EQ(kTestSourceName, ReadString(kSourceInDefaultCategory, L"FriendlyName"));
    EXPECT_FALSE(
        KeyExists(CategoryInstanceKey(CLSID_LegacyAmFilterCategory, GuidText(CLSID_KorvelTestPinless))));
    EXPECT_TRUE(KeyExists(kSourceAsVideoInput));
    EXPECT_EQ(GuidText(CLSID_KorvelTestSource), ReadString(kSourceAsVideoInput, L"CLSID"));

    // The device enumerator finds the source and its moniker creates it.
    IMoniker* moniker = nullptr;
    ASSERT_TRUE(FindDevice(CLSID_VideoInputDeviceCategory, kTestSourceName, &moniker));
    IBaseFilter* filter = nullptr;
    ASSERT_EQ(S_OK,
              moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter)));
    CLSID clsid = {};
    EXPECT_EQ(S_OK, filter->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_KorvelTestSource, clsid));
    IPin* pin = nullptr;
    EXPECT_EQ(S_OK, filter->FindPin(kTestOutputPinName, &pin));
    if (pin) {
        pin->Release();
    }
    EXPECT_EQ(0u, filter->Release());
    moniker->Release();
    // It is listed in the default category as well, by the filter mapper.
    EXPECT_TRUE(FindDevice(CLSID_LegacyAmFilterCategory, kTestSourceName));

    ASSERT_EQ(0u, RunRegsvr32(true));
    ExpectNothingRegistered();

    // The same through the module's exports, and the pieces one by one.
    TestModule module;
    auto registerServer = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(module.Handle(), "DllRegisterServer")));
    auto unregisterServer = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(module.Handle(), "DllUnregisterServer")));
    ASSERT_NE(nullptr, registerServer);
    ASSERT_NE(nullptr, unregisterServer);
    ASSERT_EQ(S_OK, registerServer());
    ExpectServerKeys(CLSID_KorvelTestSource, kTestSourceName);
    EXPECT_TRUE(KeyExists(kSourceInDefaultCategory));
    EXPECT_TRUE(FindDevice(CLSID_VideoInputDeviceCategory, kTestSourceName));

    // The filter mapper takes a NULL category as the default one: this
    // removes the default-category entry and leaves the device entry.
    IFilterMapper2* mapper = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                     reinterpret_cast<void**>(&mapper)));
    EXPECT_EQ(S_OK, mapper->UnregisterFilter(nullptr, nullptr, CLSID_KorvelTestSource));
    EXPECT_FALSE(KeyExists(kSourceInDefaultCategory));
    EXPECT_TRUE(KeyExists(kSourceAsVideoInput));
    EXPECT_EQ(0u, mapper->Release());

    // IAMovieSetup registers from the filter's setup data, and removes.
    IBaseFilter* source = nullptr;
    ASSERT_EQ(S_OK, module.CreateFilter(CLSID_KorvelTestSource, &source));
    IAMovieSetup* setup = nullptr;
    ASSERT_EQ(S_OK, Query(source, IID_IAMovieSetup, &setup));
    EXPECT_EQ(S_OK, setup->Register());
    EXPECT_TRUE(KeyExists(kSourceInDefaultCategory));
    ExpectServerKeys(CLSID_KorvelTestSource, kTestSourceName);
    EXPECT_EQ(S_OK, setup->Unregister());
    EXPECT_FALSE(KeyExists(kSourceInDefaultCategory));
    EXPECT_FALSE(KeyExists(ClassKey(CLSID_KorvelTestSource)));
    // Removing what is already gone is not an error.
    EXPECT_EQ(S_OK, setup->Unregister());
    setup->Release();
    EXPECT_EQ(0u, source->Release());

    // The module's removal copes with the pieces already gone.
    EXPECT_EQ(S_OK, unregisterServer());
    ExpectNothingRegistered();
    EXPECT_EQ(0, module.State().objectsActive);
}
