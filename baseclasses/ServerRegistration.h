// Registry helpers for COM servers and filters. None of them needs the
// module's template table, so a filter's IAMovieSetup can use them too.
#pragma once

#include <windows.h>
#include <strmif.h>

#include "baseclasses/SetupTypes.h"

// The full path of the module these base classes are linked into (the
// filter DLL, or the executable when linked into one).
HRESULT GetServerModulePath(WCHAR* path, DWORD capacity);

// Writes HKCR\CLSID\{clsServer} with szDescription as its default value and
// the subkey szServerType whose default value is szFileName and whose
// ThreadingModel is szThreadingModel.
STDAPI AMovieSetupRegisterServer(CLSID clsServer, LPCWSTR szDescription, LPCWSTR szFileName,
                                 LPCWSTR szThreadingModel = L"Both",
                                 LPCWSTR szServerType = L"InprocServer32");

// Removes HKCR\CLSID\{clsServer} with everything below it. A key that is not
// there is not an error.
STDAPI AMovieSetupUnregisterServer(CLSID clsServer);

// Registers the filter described by psetupdata through pIFM2 in the default
// category (CLSID_LegacyAmFilterCategory, "DirectShow Filters"), or removes
// it from there. S_FALSE when there is no setup data. Removing a filter that
// is not registered is not an error.
STDAPI AMovieSetupRegisterFilter2(const AMOVIESETUP_FILTER* psetupdata, IFilterMapper2* pIFM2,
                                  BOOL bRegister);
