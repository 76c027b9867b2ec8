// A child program for the module tests: it loads the filter module into a
// fresh process (whose environment and key state the test chose) and writes
// what it saw to a result file, one "key=value" line each.
//
//   korvel_module_probe environment <module> <result file> [scroll-lock]
//       loads the module (with Scroll Lock switched on first when asked) and
//       writes the variables the bootstrap reads and writes ("<unset>" for
//       one that is not set);
//   korvel_module_probe create <module> <result file>
//       creates the source filter through the module's class factory and
//       writes the result, the object count check and the filter's release;
//   korvel_module_probe call <module> <result file> <export>
//       calls DllRegisterServer or DllUnregisterServer and writes its result.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "KorvelGenICamSource_h.h"

namespace {

using ComEntryPoint = HRESULT(STDAPICALLTYPE*)();
using GetClassObjectEntryPoint = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

const char* const kVariables[] = {
    "PATH",
    "GENICAM_LOCAL_ENVIRONMENT_IS_SETUP",
    "GENICAM_ROOT_V2_0",
    "GENICAM_CACHE_V2_0",
    "QUILL_LOCAL_ENVIRONMENT_IS_SETUP",
};

class ResultFile {
  public:
    explicit ResultFile(const wchar_t* path) : m_file(_wfopen(path, L"w")) {}
    ~ResultFile() {
        if (m_file) {
            std::fclose(m_file);
        }
    }
    bool IsOpen() const { return m_file != nullptr; }
    void Write(const char* key, const std::string& value) {
        std::fprintf(m_file, "%s=%s\n", key, value.c_str());
    }
    void WriteCode(const char* key, HRESULT hr) {
        char text[16];
        std::snprintf(text, sizeof(text), "%08lx", static_cast<unsigned long>(hr));
        Write(key, text);
    }

  private:
    FILE* m_file;
};

std::string Variable(const char* name) {
    static char value[32767];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
    if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
        return "<unset>";
    }
    return std::string(value, length < sizeof(value) ? length : 0);
}

void SwitchScrollLockOn() {
    BYTE keys[256] = {};
    if (GetKeyboardState(keys)) {
        keys[VK_SCROLL] |= 1;  // toggled
        SetKeyboardState(keys);
    }
}

template <typename T>
T Export(HMODULE module, const char* name) {
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

int ReportEnvironment(const wchar_t* modulePath, ResultFile& result, bool scrollLock) {
    if (scrollLock) {
        SwitchScrollLockOn();
    }
    result.Write("SCROLL", GetKeyState(VK_SCROLL) != 0 ? "on" : "off");
    HMODULE module = LoadLibraryW(modulePath);
    result.WriteCode("LOAD", module ? S_OK : HRESULT_FROM_WIN32(GetLastError()));
    for (const char* name : kVariables) {
        result.Write(name, Variable(name));
    }
    if (module) {
        FreeLibrary(module);
    }
    return 0;
}

int CreateFilter(const wchar_t* modulePath, ResultFile& result) {
    const HRESULT hrInit = CoInitialize(nullptr);
    HMODULE module = LoadLibraryW(modulePath);
    if (!module) {
        result.WriteCode("LOAD", HRESULT_FROM_WIN32(GetLastError()));
        return 1;
    }
    auto getClassObject = Export<GetClassObjectEntryPoint>(module, "DllGetClassObject");
    auto canUnloadNow = Export<ComEntryPoint>(module, "DllCanUnloadNow");
    IClassFactory* factory = nullptr;
    HRESULT hr =
        getClassObject(CLSID_CKorvelGenICamSource, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    result.WriteCode("FACTORY", hr);
    if (SUCCEEDED(hr)) {
        IUnknown* filter = nullptr;
        hr = factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&filter));
        result.WriteCode("CREATE", hr);
        result.Write("OBJECT", filter ? "yes" : "no");
        if (filter) {
            result.Write("RELEASE", std::to_string(filter->Release()));
        }
        factory->Release();
    }
    result.WriteCode("CANUNLOAD", canUnloadNow());
    FreeLibrary(module);
    if (SUCCEEDED(hrInit)) {
        CoUninitialize();
    }
    return 0;
}

int CallExport(const wchar_t* modulePath, ResultFile& result, const wchar_t* exportName) {
    HMODULE module = LoadLibraryW(modulePath);
    if (!module) {
        result.WriteCode("LOAD", HRESULT_FROM_WIN32(GetLastError()));
        return 1;
    }
    char name[64];
    std::snprintf(name, sizeof(name), "%ls", exportName);
    auto entryPoint = Export<ComEntryPoint>(module, name);
    if (!entryPoint) {
        result.Write("CALL", "missing");
        return 1;
    }
    result.WriteCode("CALL", entryPoint());
    FreeLibrary(module);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: korvel_module_probe environment|create|call <module> <result file> ...\n");
        return 2;
    }
    ResultFile result(argv[3]);
    if (!result.IsOpen()) {
        return 2;
    }
    if (std::wcscmp(argv[1], L"environment") == 0) {
        return ReportEnvironment(argv[2], result, argc > 4 && std::wcscmp(argv[4], L"scroll-lock") == 0);
    }
    if (std::wcscmp(argv[1], L"create") == 0) {
        return CreateFilter(argv[2], result);
    }
    if (std::wcscmp(argv[1], L"call") == 0 && argc > 4) {
        return CallExport(argv[2], result, argv[4]);
    }
    return 2;
}
