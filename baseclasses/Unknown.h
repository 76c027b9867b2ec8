// CUnknown: reference counting and aggregation for every COM object of the
// base classes.
//
// An object has two IUnknowns. The non-delegating one (INonDelegatingUnknown)
// owns the reference count and answers the object's own interfaces. The
// delegating one, which every other interface inherits, forwards to the
// owner: the outer object when aggregated, else the non-delegating IUnknown
// of the object itself. DECLARE_IUNKNOWN writes the delegating half into a
// derived class.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "baseclasses/BaseObject.h"

// Same vtable layout as IUnknown, so that a pointer to it can be handed out
// as the inner object's IUnknown when aggregated.
struct INonDelegatingUnknown {
    virtual HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) = 0;
    virtual ULONG STDMETHODCALLTYPE NonDelegatingAddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE NonDelegatingRelease() = 0;
};
typedef INonDelegatingUnknown* PNDUNKNOWN;

class CUnknown : public INonDelegatingUnknown, public CBaseObject {
  public:
    // pUnk is the outer object when aggregated, else NULL. The count starts
    // at zero; the first interface handed out takes the first reference.
    CUnknown(const TCHAR* pName, LPUNKNOWN pUnk);
    CUnknown(const TCHAR* pName, LPUNKNOWN pUnk, HRESULT* phr);
    ~CUnknown() override;

    // The IUnknown every delegating call goes to.
    LPUNKNOWN GetOwner() const { return m_pUnknown; }

    // Answers IUnknown only; derived classes add their interfaces and fall
    // back to this.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) NonDelegatingAddRef() override;
    STDMETHODIMP_(ULONG) NonDelegatingRelease() override;

  protected:
    volatile LONG m_cRef;

  private:
    const LPUNKNOWN m_pUnknown;
};

// Hands out pUnk through ppv with one reference added: S_OK, or E_POINTER
// for a null ppv.
HRESULT WINAPI GetInterface(LPUNKNOWN pUnk, void** ppv);

// The delegating IUnknown of a class derived from CUnknown and from one or
// more COM interfaces.
#define DECLARE_IUNKNOWN                                            \
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override { \
        return GetOwner()->QueryInterface(riid, ppv);               \
    }                                                               \
    STDMETHODIMP_(ULONG) AddRef() override {                        \
        return GetOwner()->AddRef();                                \
    }                                                               \
    STDMETHODIMP_(ULONG) Release() override {                       \
        return GetOwner()->Release();                               \
    }
