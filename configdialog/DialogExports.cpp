// The library's two exports, reached by ordinal: 1 creates a dialog object,
// 2 destroys one. Objects handed out are remembered, so that ordinal 2
// ignores a pointer this library never made (or has already destroyed)
// instead of running its destruction on it.
#include <windows.h>

#include <algorithm>
#include <mutex>
#include <new>
#include <vector>

#include "configdialog/ConfigDialog.h"
#include "configdialog/ConfigDialogControls.h"

namespace {

std::mutex& LiveLock() {
    static std::mutex lock;
    return lock;
}

std::vector<CConfigDialog*>& LiveDialogs() {
    static std::vector<CConfigDialog*> dialogs;
    return dialogs;
}

HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

}  // namespace

extern "C" int32_t WINAPI OrelCreateConfigDialog(IOrelGenICamConfigDialog** dialog) {
    if (!dialog) {
        return static_cast<int32_t>(E_POINTER);
    }
    *dialog = nullptr;
    CConfigDialog* created = new (std::nothrow) CConfigDialog(ThisModule());
    if (!created) {
        return static_cast<int32_t>(E_OUTOFMEMORY);
    }
    try {
        std::lock_guard<std::mutex> guard(LiveLock());
        LiveDialogs().push_back(created);
    } catch (...) {
        delete created;
        return static_cast<int32_t>(E_OUTOFMEMORY);
    }
    *dialog = created;
    return 0;
}

extern "C" void WINAPI OrelDestroyConfigDialog(IOrelGenICamConfigDialog* dialog) {
    if (!dialog) {
        return;
    }
    CConfigDialog* destroyed = nullptr;
    {
        std::lock_guard<std::mutex> guard(LiveLock());
        std::vector<CConfigDialog*>& dialogs = LiveDialogs();
        for (auto live = dialogs.begin(); live != dialogs.end(); ++live) {
            if (static_cast<IOrelGenICamConfigDialog*>(*live) == dialog) {
                destroyed = *live;
                dialogs.erase(live);
                break;
            }
        }
    }
    // Detaches the window and the source first (see ~CConfigDialog).
    delete destroyed;
}

// Window classes of a library outlive it unless it removes them; a later
// load at another address would otherwise find the old window procedure.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        UnregisterClassW(kConfigDialogClassName, instance);
    }
    return TRUE;
}
