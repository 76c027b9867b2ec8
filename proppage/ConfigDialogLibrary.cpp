#include "proppage/ConfigDialogLibrary.h"

#include <string>

namespace {

const WCHAR kLibraryName[] = L"OrelGenICamConfig.dll";

// The folder of the module this code is linked into (the .ax), with a
// trailing backslash; empty when it cannot be found.
std::wstring OwnModuleFolder() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(&OwnModuleFolder), &self)) {
        return std::wstring();
    }
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(self, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) {
            return std::wstring();
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= 32768) {
            return std::wstring();
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace

ConfigDialogLibrary::~ConfigDialogLibrary() {
    if (m_module) {
        FreeLibrary(m_module);
    }
}

bool ConfigDialogLibrary::Load() {
    if (m_module) {
        return m_create && m_destroy;
    }
    const std::wstring folder = OwnModuleFolder();
    if (!folder.empty()) {
        // The altered search path lets the library find its own dependencies
        // beside it, as the module's folder is not on the search path.
        m_module = LoadLibraryExW((folder + kLibraryName).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    if (!m_module) {
        m_module = LoadLibraryW(kLibraryName);
    }
    if (!m_module) {
        return false;
    }
    m_create = reinterpret_cast<OrelCreateConfigDialogFn>(
        reinterpret_cast<void*>(GetProcAddress(m_module, MAKEINTRESOURCEA(kOrelCreateConfigDialogOrdinal))));
    m_destroy = reinterpret_cast<OrelDestroyConfigDialogFn>(
        reinterpret_cast<void*>(GetProcAddress(m_module, MAKEINTRESOURCEA(kOrelDestroyConfigDialogOrdinal))));
    // An object that cannot be destroyed must not be created: both or none.
    return m_create && m_destroy;
}

IOrelGenICamConfigDialog* ConfigDialogLibrary::CreateDialogObject() {
    if (!Load()) {
        return nullptr;
    }
    IOrelGenICamConfigDialog* dialog = nullptr;
    if (m_create(&dialog) != 0) {
        // A failing library may still have written something: not ours.
        return nullptr;
    }
    return dialog;
}

void ConfigDialogLibrary::DestroyDialogObject(IOrelGenICamConfigDialog* dialog) {
    if (dialog && m_destroy) {
        m_destroy(dialog);
    }
}
