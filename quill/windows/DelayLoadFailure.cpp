// Delay-load failure handling for the camera SDK.
//
// Modules link QuillBase_MD_VC80.dll through a delay-load import library, so
// the DLL is loaded on the first call into it. When the usual search (the
// application's folder, the system folders, PATH as the environment bootstrap
// left it) does not find it, the module's own folder is tried: a package that
// ships the SDK beside the filter works in any application. When that fails
// too, the loader helper would raise an SEH exception at the call; instead we
// answer with a stand-in entry point that returns null, which the SDK header
// turns into a GenICam::RuntimeException the callers already handle.
#include <windows.h>
#include <delayimp.h>

#include <cstring>

namespace {

const char kSdkDll[] = "QuillBase_MD_VC80.dll";

// Every entry point the SDK exports takes no argument and returns a pointer;
// declared with FARPROC's own type so no function-pointer cast is needed.
INT_PTR WINAPI UnavailableEntryPoint() { return 0; }

bool IsSdkDll(const char* name) { return name != nullptr && _stricmp(name, kSdkDll) == 0; }

// The SDK from the folder of the module this code is linked into, or null.
HMODULE LoadBesideThisModule() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&LoadBesideThisModule), &self)) {
        return nullptr;
    }
    wchar_t path[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameW(self, path, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) {
        return nullptr;  // failed or cut short
    }
    DWORD folderEnd = length;
    while (folderEnd > 0 && path[folderEnd - 1] != L'\\' && path[folderEnd - 1] != L'/') {
        --folderEnd;
    }
    const size_t nameLength = sizeof(kSdkDll) - 1;
    if (folderEnd == 0 || folderEnd + nameLength > MAX_PATH) {
        return nullptr;
    }
    for (size_t i = 0; i <= nameLength; ++i) {
        path[folderEnd + i] = static_cast<wchar_t>(kSdkDll[i]);
    }
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

FARPROC WINAPI OnDelayLoadFailure(unsigned notification, PDelayLoadInfo info) {
    if (info == nullptr || !IsSdkDll(info->szDll)) {
        return nullptr;
    }
    switch (notification) {
        case dliFailLoadLib:
            if (HMODULE beside = LoadBesideThisModule()) {
                return reinterpret_cast<FARPROC>(beside);
            }
            // Any loaded module will do: the procedure look-up in it fails next
            // and lands in dliFailGetProc below.
            return reinterpret_cast<FARPROC>(GetModuleHandleW(nullptr));
        case dliFailGetProc:
            return &UnavailableEntryPoint;
        default:
            return nullptr;
    }
}

// Installed at load time, before any delay-loaded call can run.
struct HookInstaller {
    HookInstaller() {
        if (__pfnDliFailureHook2 == nullptr) {
            __pfnDliFailureHook2 = &OnDelayLoadFailure;
        }
    }
} installer;

}  // namespace
