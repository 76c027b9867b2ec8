#include "baseclasses/DllEntry.h"

#include <new>

#include "baseclasses/ClassFactory.h"
#include "baseclasses/FactoryTemplate.h"

HINSTANCE g_hInst = nullptr;

namespace {

void CallInitRoutines(BOOL loading) {
    for (int i = 0; i < g_cTemplates; ++i) {
        const CFactoryTemplate& entry = g_Templates[i];
        if (entry.m_lpfnInit) {
            entry.m_lpfnInit(loading, entry.m_ClsID);
        }
    }
}

}  // namespace

STDAPI DllGetClassObject(REFCLSID rClsID, REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) {
        return E_NOINTERFACE;
    }
    for (int i = 0; i < g_cTemplates; ++i) {
        if (!g_Templates[i].IsClassID(rClsID)) {
            continue;
        }
        CClassFactory* factory = new (std::nothrow) CClassFactory(&g_Templates[i]);
        if (!factory) {
            return E_OUTOFMEMORY;
        }
        factory->AddRef();
        *ppv = static_cast<IClassFactory*>(factory);
        return S_OK;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() {
    // Class factories are objects too: one still held keeps the module.
    if (CClassFactory::IsLocked() || CBaseObject::ObjectsActive() != 0) {
        return S_FALSE;
    }
    return S_OK;
}

BOOL WINAPI DllEntryPoint(HINSTANCE hInstance, ULONG ulReason, LPVOID /*pv*/) {
    switch (ulReason) {
        case DLL_PROCESS_ATTACH:
            // Nothing here needs per-thread notifications; turning them off
            // spares every thread start in the host a call into this module.
            DisableThreadLibraryCalls(hInstance);
            g_hInst = hInstance;
            CallInitRoutines(TRUE);
            break;
        case DLL_PROCESS_DETACH:
            CallInitRoutines(FALSE);
            break;
        default:
            break;
    }
    return TRUE;
}
