#include "baseclasses/ClassFactory.h"

volatile LONG CClassFactory::m_cLocked = 0;

CClassFactory::CClassFactory(const CFactoryTemplate* pTemplate)
    : CBaseObject(NAME("Class factory")), m_pTemplate(pTemplate), m_cRef(0) {}

STDMETHODIMP CClassFactory::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
        return GetInterface(static_cast<IClassFactory*>(this), ppv);
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CClassFactory::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_cRef));
}

STDMETHODIMP_(ULONG) CClassFactory::Release() {
    const LONG ref = InterlockedDecrement(&m_cRef);
    if (ref == 0) {
        delete this;
    }
    return static_cast<ULONG>(ref);
}

STDMETHODIMP CClassFactory::CreateInstance(LPUNKNOWN pUnkOuter, REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    // An outer object gets only the inner object's non-delegating IUnknown;
    // any other interface would route its IUnknown calls to the wrong place.
    if (pUnkOuter && riid != IID_IUnknown) {
        return E_NOINTERFACE;
    }

    HRESULT hr = S_OK;
    CUnknown* object = m_pTemplate->CreateInstance(pUnkOuter, &hr);
    if (!object) {
        // No object and no failure reported means the allocation failed.
        return FAILED(hr) ? hr : E_OUTOFMEMORY;
    }

    // Hold a reference across the query so that an object whose query fails
    // is destroyed by the release below and never leaks.
    object->NonDelegatingAddRef();
    hr = object->NonDelegatingQueryInterface(riid, ppv);
    object->NonDelegatingRelease();
    return hr;
}

STDMETHODIMP CClassFactory::LockServer(BOOL fLock) {
    if (fLock) {
        InterlockedIncrement(&m_cLocked);
    } else {
        InterlockedDecrement(&m_cLocked);
    }
    return S_OK;
}

BOOL CClassFactory::IsLocked() {
    return InterlockedCompareExchange(&m_cLocked, 0, 0) > 0 ? TRUE : FALSE;
}
