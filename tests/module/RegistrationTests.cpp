// Self-registration through the real system: regsvr32 and the module's own
// exports write the server keys through the base classes, the filter entry
// through Wine's filter mapper and the type library through oleaut32; the
// system device enumerator then lists the source as a video input device and
// creates it from its moniker. One test walks the whole sequence, so that no
// other case of this suite touches the same keys at the same time, and it
// leaves the prefix as it found it.
#include "ModuleTestSupport.h"

#include <dshow.h>
#include <oleauto.h>

#include <cstdio>
#include <cwchar>
#include <initializer_list>
#include <utility>

#include "KorvelGenICamSource_h.h"

namespace {

const WCHAR kFilterName[] = L"Korvel GenICam Source";

std::wstring ClassKey(REFCLSID clsid) {
    return L"CLSID\\" + GuidText(clsid);
}

std::wstring CategoryInstanceKey(REFCLSID category, const std::wstring& instance) {
    return L"CLSID\\" + GuidText(category) + L"\\Instance\\" + instance;
}

const std::wstring kVideoInputEntry = CategoryInstanceKey(CLSID_VideoInputDeviceCategory, kFilterName);
const std::wstring kDefaultCategoryEntry =
    CategoryInstanceKey(CLSID_LegacyAmFilterCategory, GuidText(CLSID_CKorvelGenICamSource));
const std::wstring kTypeLibraryKey = L"TypeLib\\" + GuidText(LIBID_KorvelGenICamSource);

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
        return false;  // S_FALSE: the category is empty
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

// The name and help string of one member (MEMBERID_NIL: the type itself).
std::pair<std::wstring, std::wstring> Documentation(ITypeInfo* info, MEMBERID member) {
    BSTR name = nullptr;
    BSTR help = nullptr;
    std::pair<std::wstring, std::wstring> result;
    if (SUCCEEDED(info->GetDocumentation(member, &name, &help, nullptr, nullptr))) {
        result.first = name ? name : L"";
        result.second = help ? help : L"";
    }
    SysFreeString(name);
    SysFreeString(help);
    return result;
}

struct MethodText {
    const WCHAR* name;
    const WCHAR* help;
};

// The interface's own methods, in slot order, with their help strings.
void ExpectInterface(ITypeLib* library, REFIID iid, const WCHAR* help,
                     std::initializer_list<MethodText> methods) {
    ITypeInfo* info = nullptr;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(iid, &info));
    EXPECT_EQ(help, Documentation(info, MEMBERID_NIL).second);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attributes));
    EXPECT_EQ(TKIND_INTERFACE, attributes->typekind);
    EXPECT_EQ(methods.size(), attributes->cFuncs);
    EXPECT_EQ(0, attributes->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE));
    const WORD count = attributes->cFuncs;
    info->ReleaseTypeAttr(attributes);
    WORD index = 0;
    for (const MethodText& method : methods) {
        if (index >= count) {
            break;
        }
        FUNCDESC* function = nullptr;
        ASSERT_EQ(S_OK, info->GetFuncDesc(index, &function));
        const auto text = Documentation(info, function->memid);
        EXPECT_EQ(method.name, text.first);
        EXPECT_EQ(method.help, text.second);
        info->ReleaseFuncDesc(function);
        ++index;
    }
    info->Release();
}

class ModuleRegistration : public ComTest {
  protected:
    // Runs the probe to call one export of module and gives its result code.
    HRESULT CallExport(const std::wstring& module, const WCHAR* exportName, ChildRun* run = nullptr) {
        ScratchDirectory scratch;
        const std::wstring resultFile = scratch.Path() + L"result.txt";
        const ChildRun child = RunChild(Quoted(ProbePath()) + L" call " + Quoted(module) + L" " +
                                        Quoted(resultFile) + L" " + exportName);
        EXPECT_FALSE(child.crashed);
        if (run) {
            *run = child;
        }
        const auto values = ReadResultFile(resultFile);
        const auto found = values.find("CALL");
        if (found == values.end()) {
            ADD_FAILURE() << "the probe gave no result";
            return E_UNEXPECTED;
        }
        return static_cast<HRESULT>(std::stoul(found->second, nullptr, 16));
    }

    ChildRun RunRegsvr32(bool unregister) {
        return RunChild(std::wstring(L"regsvr32.exe /s ") + (unregister ? L"/u " : L"") +
                        Quoted(SourceModulePath()));
    }

    void ExpectNothingRegistered() {
        EXPECT_FALSE(KeyExists(ClassKey(CLSID_CKorvelGenICamSource)));
        EXPECT_FALSE(KeyExists(ClassKey(CLSID_KorvelCameraSetupPage)));
        EXPECT_FALSE(KeyExists(kVideoInputEntry));
        EXPECT_FALSE(KeyExists(kDefaultCategoryEntry));
        EXPECT_FALSE(KeyExists(kTypeLibraryKey));
        EXPECT_FALSE(FindDevice(CLSID_VideoInputDeviceCategory, kFilterName));
    }

    void ExpectServerKeys(const std::wstring& modulePath) {
        const std::wstring key = ClassKey(CLSID_CKorvelGenICamSource);
        EXPECT_EQ(kFilterName, ReadString(key, nullptr));
        const std::wstring server = ReadString(key + L"\\InprocServer32", nullptr);
        EXPECT_EQ(0, _wcsicmp(modulePath.c_str(), server.c_str()));
        EXPECT_EQ(L"Both", ReadString(key + L"\\InprocServer32", L"ThreadingModel"));

        // The "Camera Setup" property page is served by the same module.
        const std::wstring pageKey = ClassKey(CLSID_KorvelCameraSetupPage);
        EXPECT_EQ(L"Camera Setup", ReadString(pageKey, nullptr));
        const std::wstring pageServer = ReadString(pageKey + L"\\InprocServer32", nullptr);
        EXPECT_EQ(0, _wcsicmp(modulePath.c_str(), pageServer.c_str()));
        EXPECT_EQ(L"Both", ReadString(pageKey + L"\\InprocServer32", L"ThreadingModel"));
    }

    void ExpectVideoInputEntryOnly() {
        EXPECT_TRUE(KeyExists(kVideoInputEntry));
        EXPECT_EQ(GuidText(CLSID_CKorvelGenICamSource), ReadString(kVideoInputEntry, L"CLSID"));
        EXPECT_EQ(kFilterName, ReadString(kVideoInputEntry, L"FriendlyName"));
        EXPECT_FALSE(KeyExists(kDefaultCategoryEntry));
    }

    void ExpectTypeLibrary() {
        EXPECT_TRUE(KeyExists(kTypeLibraryKey + L"\\1.0\\0\\win64"));
        ITypeLib* library = nullptr;
        ASSERT_EQ(S_OK, LoadRegTypeLib(LIBID_KorvelGenICamSource, 1, 0, 0, &library));
        BSTR name = nullptr;
        BSTR help = nullptr;
        EXPECT_EQ(S_OK, library->GetDocumentation(-1, &name, &help, nullptr, nullptr));
        EXPECT_STREQ(L"KorvelGenICamSource", name);
        EXPECT_STREQ(L"Korvel GenICam DirectShow Source Filter Type Library", help);
        SysFreeString(name);
        SysFreeString(help);

        ExpectInterface(library, IID_IKorvelGenICamSource, L"IKorvelGenICamSource Interface",
                        {{L"GetCameraCount", L"Get the number of available cameras."},
                         {L"GetCameraID", L"Get the cameras identifier."},
                         {L"GetSelectedCamera", L"Get the identifier of the selected camera."},
                         {L"SelectCamera", L"Select camera."}});
        ExpectInterface(library, IID_IKorvelGenICamConfigControl, L"IKorvelGenICamConfigControl Interface",
                        {{L"GetActiveDevice", L"Get the currently active device."},
                         {L"SetConfigCallback", L"Set configuration control callback interface."},
                         {L"RemoveCallback", L"Remove configuration control callback interface."},
                         {L"IsConfigCallbackSet", L"Request whether a callback interface is set."}});
        ExpectInterface(library, IID_IKorvelGenICamConfigCallback, L"IKorvelGenICamConfigCallback Interface",
                        {{L"DeviceValid", L"Set the currently active device (IDevice pointer)"},
                         {L"DeviceInvalid", L"Notifies the control about a device loss."}});

        // The coclass carries the filter's CLSID.
        ITypeInfo* coclass = nullptr;
        EXPECT_EQ(S_OK, library->GetTypeInfoOfGuid(CLSID_CKorvelGenICamSource, &coclass));
        if (coclass) {
            EXPECT_EQ(L"CKorvelGenICamSource", Documentation(coclass, MEMBERID_NIL).first);
            coclass->Release();
        }
        library->Release();
    }

    // The filter that the device enumerator's moniker creates.
    void ExpectDeviceCreatesFilter() {
        IMoniker* moniker = nullptr;
        ASSERT_TRUE(FindDevice(CLSID_VideoInputDeviceCategory, kFilterName, &moniker));
        EXPECT_FALSE(FindDevice(CLSID_LegacyAmFilterCategory, kFilterName));
        IBaseFilter* filter = nullptr;
        ASSERT_EQ(S_OK, moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter,
                                              reinterpret_cast<void**>(&filter)));
        moniker->Release();
        CLSID clsid = {};
        EXPECT_EQ(S_OK, filter->GetClassID(&clsid));
        EXPECT_TRUE(IsEqualCLSID(CLSID_CKorvelGenICamSource, clsid));
        IKorvelGenICamSource* source = nullptr;
        ASSERT_EQ(S_OK, filter->QueryInterface(IID_IKorvelGenICamSource, reinterpret_cast<void**>(&source)));
        LONG count = 0;
        EXPECT_EQ(S_OK, source->GetCameraCount(&count));
        EXPECT_GT(count, 0);
        source->Release();
        IPin* pin = nullptr;
        EXPECT_EQ(S_OK, filter->FindPin(L"Capture", &pin));
        if (pin) {
            pin->Release();
        }
        EXPECT_EQ(0u, filter->Release());

        // And the registered server serves CoCreateInstance.
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_CKorvelGenICamSource, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IBaseFilter, reinterpret_cast<void**>(&filter)));
        EXPECT_EQ(0u, filter->Release());
    }
    void RegisterAndUnregisterWithRegsvr32() {
        // The server keys, the filter in the video input device category
        // only, the type library; no diagnostic on the way.
        ChildRun run = RunRegsvr32(false);
        EXPECT_FALSE(run.crashed);
        ASSERT_EQ(0u, run.exitCode) << run.DebugText();
        EXPECT_EQ("", run.DebugText());
        ExpectServerKeys(SourceModulePath());
        ExpectVideoInputEntryOnly();
        ExpectTypeLibrary();
        ExpectDeviceCreatesFilter();

        // regsvr32 /u takes all of it away again.
        run = RunRegsvr32(true);
        EXPECT_FALSE(run.crashed);
        EXPECT_EQ(0u, run.exitCode) << run.DebugText();
        EXPECT_EQ("", run.DebugText());
        ExpectNothingRegistered();
        ITypeLib* library = nullptr;
        EXPECT_TRUE(FAILED(LoadRegTypeLib(LIBID_KorvelGenICamSource, 1, 0, 0, &library)));
    }

    void UnregisterWithFailedSteps() {
        // Registered through the export, then the type library taken away by
        // hand: exactly one of the three removal steps fails, which is S_FALSE.
        ASSERT_EQ(S_OK, CallExport(SourceModulePath(), L"DllRegisterServer"));
        ExpectTypeLibrary();
        ASSERT_EQ(S_OK, UnRegisterTypeLib(LIBID_KorvelGenICamSource, 1, 0, 0, SYS_WIN64));
        ChildRun run;
        EXPECT_EQ(S_FALSE, CallExport(SourceModulePath(), L"DllUnregisterServer", &run));
        ASSERT_EQ(1u, run.debugOutput.size()) << run.DebugText();
        EXPECT_EQ(0u, run.debugOutput[0].find("UnregisterTypeLib failed with Error 0x")) << run.DebugText();
        EXPECT_EQ('\n', run.debugOutput[0].back());
        ExpectNothingRegistered();

        // Nothing left to remove: the type library and the device entry both
        // fail, still S_FALSE, and the base classes' part succeeds.
        EXPECT_EQ(S_FALSE, CallExport(SourceModulePath(), L"DllUnregisterServer", &run));
        EXPECT_NE(std::string::npos, run.DebugText().find("UnregisterTypeLib failed with Error 0x"));
        ExpectNothingRegistered();
    }

    void RegisterRenamedModule() {
        // Under another file name the module does not find itself by name:
        // the path it gets is the host's executable, which holds no type
        // library.
        ScratchDirectory scratch;
        const std::wstring renamed = scratch.Path() + L"KorvelRenamed.ax";
        ASSERT_TRUE(scratch.CopyIn(SourceModulePath(), L"KorvelRenamed.ax"));

        ChildRun run;
        const HRESULT hr = CallExport(renamed, L"DllRegisterServer", &run);
        EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
        const std::wstring probe = ProbePath();
        char expected[MAX_PATH + 100];
        std::snprintf(expected, sizeof(expected), "LoadTypeLibEx for '%ls' failed with Error %#x!\n",
                      probe.c_str(), static_cast<unsigned>(hr));
        ASSERT_EQ(1u, run.debugOutput.size()) << run.DebugText();
        EXPECT_EQ(expected, run.debugOutput[0]);

        // The filter registration had succeeded by then.
        ExpectServerKeys(renamed);
        ExpectVideoInputEntryOnly();
        EXPECT_FALSE(KeyExists(kTypeLibraryKey));

        EXPECT_EQ(S_FALSE, CallExport(renamed, L"DllUnregisterServer"));
        ExpectNothingRegistered();
    }
};

}  // namespace

// The phases share the same keys, so they run in one test, one after another.
TEST_F(ModuleRegistration, RegistersAsVideoInputDeviceAndRemovesEverything) {
    // Whatever an interrupted earlier run may have left.
    CallExport(SourceModulePath(), L"DllUnregisterServer");
    ExpectNothingRegistered();

    {
        SCOPED_TRACE("regsvr32");
        RegisterAndUnregisterWithRegsvr32();
    }
    {
        SCOPED_TRACE("unregistration result");
        UnregisterWithFailedSteps();
    }
    {
        SCOPED_TRACE("renamed module");
        RegisterRenamedModule();
    }
}
