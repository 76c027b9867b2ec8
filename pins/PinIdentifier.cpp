#include "pins/PinIdentifier.h"

#include <objbase.h>

namespace {

constexpr size_t kIdentifierBytes = 100;
constexpr size_t kIdentifierChars = kIdentifierBytes / sizeof(WCHAR);

}  // namespace

HRESULT AllocatePinIdentifier(LPCWSTR name, LPWSTR* id) {
    if (!id) {
        return E_POINTER;
    }
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(kIdentifierBytes));
    if (!*id) {
        return E_OUTOFMEMORY;
    }
    size_t length = 0;
    while (name && name[length] != L'\0' && length < kIdentifierChars - 1) {
        (*id)[length] = name[length];
        ++length;
    }
    (*id)[length] = L'\0';
    return S_OK;
}
