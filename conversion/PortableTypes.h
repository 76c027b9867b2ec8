// Result codes and the GUID layout used by the pixel core. On Windows these are
// the platform's own; the native build gets layout-identical stand-ins so the
// catalogue and the engine compile and run unchanged on Linux.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#else

#ifndef KORVEL_PORTABLE_HRESULT_DEFINED
#define KORVEL_PORTABLE_HRESULT_DEFINED
typedef int32_t HRESULT;

#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_FAIL ((HRESULT)0x80004005L)
#define E_INVALIDARG ((HRESULT)0x80070057L)
#define E_POINTER ((HRESULT)0x80004003L)
#define E_OUTOFMEMORY ((HRESULT)0x8007000EL)
#define E_UNEXPECTED ((HRESULT)0x8000FFFFL)
#define E_NOTIMPL ((HRESULT)0x80004001L)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#endif

#ifndef GUID_DEFINED
#define GUID_DEFINED
// Same field layout as the Windows GUID (16 bytes).
struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
#endif

#endif  // _WIN32

// Value comparison that works with either GUID definition.
inline bool SameGuid(const GUID& left, const GUID& right) {
    if (left.Data1 != right.Data1 || left.Data2 != right.Data2 || left.Data3 != right.Data3) {
        return false;
    }
    for (int i = 0; i < 8; ++i) {
        if (left.Data4[i] != right.Data4[i]) {
            return false;
        }
    }
    return true;
}
