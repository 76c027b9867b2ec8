// Delay-load failure handling for the camera SDK.
//
// Modules link QuillBase_MD_VC80.dll through a delay-load import library, so
// the DLL is loaded on the first call into it. When it cannot be found the
// loader helper would raise an SEH exception at that call; instead we answer
// with a stand-in entry point that returns null, which the SDK header turns
// into a GenICam::RuntimeException the callers already handle.
#include <windows.h>
#include <delayimp.h>

#include <cstring>

namespace {

const char kSdkDll[] = "QuillBase_MD_VC80.dll";

// Every entry point the SDK exports takes no argument and returns a pointer;
// declared with FARPROC's own type so no function-pointer cast is needed.
INT_PTR WINAPI UnavailableEntryPoint() { return 0; }

bool IsSdkDll(const char* name) { return name != nullptr && _stricmp(name, kSdkDll) == 0; }

FARPROC WINAPI OnDelayLoadFailure(unsigned notification, PDelayLoadInfo info) {
    if (info == nullptr || !IsSdkDll(info->szDll)) {
        return nullptr;
    }
    switch (notification) {
        case dliFailLoadLib:
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
