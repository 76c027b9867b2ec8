// The module entry points the base classes provide for a filter DLL.
//
// The module exports DllGetClassObject and DllCanUnloadNow from here (its
// .def file names them), writes its own DllRegisterServer and
// DllUnregisterServer (usually around AMovieDllRegisterServer2), and forwards
// its DllMain to DllEntryPoint.
#pragma once

#include <windows.h>
#include <objbase.h>

// The module handle recorded by DllEntryPoint.
extern HINSTANCE g_hInst;

// Records the module handle, turns off thread notifications and calls each
// template's init routine (TRUE on process attach, FALSE on detach).
BOOL WINAPI DllEntryPoint(HINSTANCE hInstance, ULONG ulReason, LPVOID pv);

// Declared by combaseapi.h as well:
//   STDAPI DllGetClassObject(REFCLSID rClsID, REFIID riid, void** ppv);
//     IUnknown or IClassFactory of a new CClassFactory for a CLSID of
//     g_Templates; E_POINTER, E_NOINTERFACE for another interface,
//     CLASS_E_CLASSNOTAVAILABLE for another CLSID, E_OUTOFMEMORY.
//   STDAPI DllCanUnloadNow();
//     S_FALSE while any object of the module is alive or LockServer(TRUE)
//     holds it, else S_OK.
