// CBasePropertyPage: an IPropertyPage built on a dialog resource of the module.
//
// The page is a modeless child dialog created by Activate inside the frame's
// window and destroyed by Deactivate. The dialog procedure hands every message
// to the virtual OnReceiveMessage; a derived page overrides the On* hooks:
// OnConnect/OnDisconnect bracket its use of the object it edits (SetObjects),
// OnActivate/OnDeactivate its window's life, OnApplyChanges is called by Apply
// while the page is dirty.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include "baseclasses/Unknown.h"

class CBasePropertyPage : public IPropertyPage, public CUnknown {
  public:
    // pName names the object; dialogId is the dialog resource and titleId the
    // string resource that gives the page's title, both in the module.
    CBasePropertyPage(const TCHAR* pName, LPUNKNOWN pUnk, int dialogId, int titleId);
    ~CBasePropertyPage() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IPropertyPage
    STDMETHODIMP SetPageSite(IPropertyPageSite* pPageSite) override;
    STDMETHODIMP Activate(HWND hwndParent, LPCRECT prect, BOOL fModal) override;
    STDMETHODIMP Deactivate() override;
    STDMETHODIMP GetPageInfo(PROPPAGEINFO* pPageInfo) override;
    STDMETHODIMP SetObjects(ULONG cObjects, IUnknown** ppUnk) override;
    STDMETHODIMP Show(UINT nCmdShow) override;
    STDMETHODIMP Move(LPCRECT prect) override;
    STDMETHODIMP IsPageDirty() override;
    STDMETHODIMP Apply() override;
    STDMETHODIMP Help(LPCOLESTR pszHelpDir) override;
    STDMETHODIMP TranslateAccelerator(MSG* pMsg) override;

    // Hooks for the derived page; each default does nothing and succeeds.
    virtual HRESULT OnConnect(IUnknown* pUnknown);
    virtual HRESULT OnDisconnect();
    virtual HRESULT OnActivate();
    virtual HRESULT OnDeactivate();
    virtual HRESULT OnApplyChanges();
    // Every message of the page's dialog; the result is the dialog
    // procedure's (FALSE: not handled).
    virtual INT_PTR OnReceiveMessage(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

  protected:
    // The page's dialog while it is active, else NULL.
    HWND m_hwnd;
    // Changes not yet applied.
    BOOL m_bDirty;
    // The frame's site, held (one reference) between SetPageSite calls.
    IPropertyPageSite* m_pPageSite;
    // SetObjects connected an object that OnDisconnect has not let go of.
    BOOL m_bObjectSet;

  private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    // The size in pixels of the dialog resource as it would be created.
    SIZE DialogSize() const;

    const int m_DialogId;
    const int m_TitleId;
};
