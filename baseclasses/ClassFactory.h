// CClassFactory: the class object DllGetClassObject hands out for one entry
// of g_Templates.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "baseclasses/BaseObject.h"
#include "baseclasses/FactoryTemplate.h"

class CClassFactory : public IClassFactory, public CBaseObject {
  public:
    explicit CClassFactory(const CFactoryTemplate* pTemplate);

    // IUnknown (IUnknown and IClassFactory)
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IClassFactory
    STDMETHODIMP CreateInstance(LPUNKNOWN pUnkOuter, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL fLock) override;

    // True while any client holds a LockServer(TRUE).
    static BOOL IsLocked();

  private:
    const CFactoryTemplate* const m_pTemplate;
    volatile LONG m_cRef;
    static volatile LONG m_cLocked;
};
