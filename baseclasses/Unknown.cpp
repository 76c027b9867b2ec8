#include "baseclasses/Unknown.h"

namespace {

// The non-delegating IUnknown viewed as an IUnknown: the two share their
// vtable layout, which is what makes aggregation work in COM.
LPUNKNOWN AsUnknown(INonDelegatingUnknown* nonDelegating) {
    return reinterpret_cast<LPUNKNOWN>(nonDelegating);
}

}  // namespace

CUnknown::CUnknown(const TCHAR* pName, LPUNKNOWN pUnk)
    : CBaseObject(pName), m_cRef(0), m_pUnknown(pUnk ? pUnk : AsUnknown(this)) {}

CUnknown::CUnknown(const TCHAR* pName, LPUNKNOWN pUnk, HRESULT* /*phr*/) : CUnknown(pName, pUnk) {}

CUnknown::~CUnknown() = default;

STDMETHODIMP CUnknown::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (riid == IID_IUnknown) {
        // Always the non-delegating IUnknown: an outer object that asks its
        // inner object for IUnknown must get the one that owns the count.
        return GetInterface(AsUnknown(this), ppv);
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CUnknown::NonDelegatingAddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_cRef));
}

STDMETHODIMP_(ULONG) CUnknown::NonDelegatingRelease() {
    const LONG ref = InterlockedDecrement(&m_cRef);
    if (ref == 0) {
        // The destructor may take and drop references to this object again
        // (a derived class releasing interfaces it got from its own outer
        // object); a count of one keeps such a pair from deleting it twice.
        m_cRef = 1;
        delete this;
        return 0;
    }
    return static_cast<ULONG>(ref);
}

HRESULT WINAPI GetInterface(LPUNKNOWN pUnk, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = pUnk;
    pUnk->AddRef();
    return S_OK;
}
