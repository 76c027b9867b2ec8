// The identifier both output pins give out through IPin::QueryId.
#pragma once

#include <windows.h>

// A CoTaskMemAlloc'ed buffer of 100 bytes holding name (cut to fit), for the
// caller to free: S_OK, E_POINTER for a null id, E_OUTOFMEMORY.
HRESULT AllocatePinIdentifier(LPCWSTR name, LPWSTR* id);
