#include "baseclasses/BasePropertyPage.h"

#include <cstring>
#include <cwchar>

#include "baseclasses/DllEntry.h"

namespace {

// A dialog procedure that handles nothing: used for measuring the dialog
// without running the page's own message handling.
INT_PTR CALLBACK MeasureDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

}  // namespace

CBasePropertyPage::CBasePropertyPage(const TCHAR* pName, LPUNKNOWN pUnk, int dialogId, int titleId)
    : CUnknown(pName, pUnk),
      m_hwnd(nullptr),
      m_bDirty(FALSE),
      m_pPageSite(nullptr),
      m_bObjectSet(FALSE),
      m_DialogId(dialogId),
      m_TitleId(titleId) {}

CBasePropertyPage::~CBasePropertyPage() {
    // A frame that never deactivated the page: the window must not outlive the
    // object its dialog procedure points to.
    if (m_hwnd) {
        SetWindowLongPtrW(m_hwnd, DWLP_USER, 0);
        DestroyWindow(m_hwnd);
        m_hwnd = nullptr;
    }
    if (m_pPageSite) {
        m_pPageSite->Release();
        m_pPageSite = nullptr;
    }
}

STDMETHODIMP CBasePropertyPage::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (riid == IID_IPropertyPage) {
        return GetInterface(static_cast<IPropertyPage*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP CBasePropertyPage::SetPageSite(IPropertyPageSite* pPageSite) {
    if (pPageSite) {
        if (m_pPageSite) {
            return E_UNEXPECTED;
        }
        m_pPageSite = pPageSite;
        m_pPageSite->AddRef();
        return S_OK;
    }
    if (!m_pPageSite) {
        return E_UNEXPECTED;
    }
    m_pPageSite->Release();
    m_pPageSite = nullptr;
    return S_OK;
}

STDMETHODIMP CBasePropertyPage::Activate(HWND hwndParent, LPCRECT prect, BOOL /*fModal*/) {
    if (!prect) {
        return E_POINTER;
    }
    if (m_hwnd) {
        return E_UNEXPECTED;
    }
    // The dialog procedure records m_hwnd at WM_INITDIALOG, so that the page's
    // handlers see their window from the first message on.
    const HWND hwnd = CreateDialogParamW(g_hInst, MAKEINTRESOURCEW(m_DialogId), hwndParent, DialogProc,
                                         reinterpret_cast<LPARAM>(this));
    if (!hwnd) {
        m_hwnd = nullptr;
        return E_OUTOFMEMORY;
    }
    m_hwnd = hwnd;
    const HRESULT hr = OnActivate();
    if (FAILED(hr)) {
        SetWindowLongPtrW(m_hwnd, DWLP_USER, 0);
        DestroyWindow(m_hwnd);
        m_hwnd = nullptr;
        return hr;
    }
    return Move(prect);
}

STDMETHODIMP CBasePropertyPage::Deactivate() {
    if (!m_hwnd) {
        return E_UNEXPECTED;
    }
    const HRESULT hr = OnDeactivate();
    // The window goes in every case: a page that refused to deactivate would
    // otherwise leave a child window in a frame that is closing.
    const HWND hwnd = m_hwnd;
    DestroyWindow(hwnd);
    m_hwnd = nullptr;
    return hr;
}

SIZE CBasePropertyPage::DialogSize() const {
    SIZE size = {0, 0};
    // Created hidden on the desktop: the dialog's units depend on its font,
    // which only the created dialog knows.
    const HWND hwnd =
        CreateDialogParamW(g_hInst, MAKEINTRESOURCEW(m_DialogId), GetDesktopWindow(), MeasureDialogProc, 0);
    if (hwnd) {
        RECT rect;
        if (GetWindowRect(hwnd, &rect)) {
            size.cx = rect.right - rect.left;
            size.cy = rect.bottom - rect.top;
        }
        DestroyWindow(hwnd);
    }
    return size;
}

STDMETHODIMP CBasePropertyPage::GetPageInfo(PROPPAGEINFO* pPageInfo) {
    if (!pPageInfo) {
        return E_POINTER;
    }
    WCHAR title[256];
    const int length = LoadStringW(g_hInst, m_TitleId, title, sizeof(title) / sizeof(title[0]));
    if (length <= 0) {
        title[0] = L'\0';
    }
    const size_t bytes = (std::wcslen(title) + 1) * sizeof(WCHAR);
    LPOLESTR copy = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (!copy) {
        return E_OUTOFMEMORY;
    }
    std::memcpy(copy, title, bytes);

    pPageInfo->cb = sizeof(PROPPAGEINFO);
    pPageInfo->pszTitle = copy;
    pPageInfo->size = DialogSize();
    pPageInfo->pszDocString = nullptr;
    pPageInfo->pszHelpFile = nullptr;
    pPageInfo->dwHelpContext = 0;
    return S_OK;
}

STDMETHODIMP CBasePropertyPage::SetObjects(ULONG cObjects, IUnknown** ppUnk) {
    if (cObjects == 0) {
        // Letting go of an object that was never set is not the frame's error.
        if (m_bObjectSet) {
            m_bObjectSet = FALSE;
            OnDisconnect();
        }
        return S_OK;
    }
    if (cObjects > 1) {
        // One page edits one object.
        return E_UNEXPECTED;
    }
    if (!ppUnk || !ppUnk[0]) {
        return E_POINTER;
    }
    if (m_bObjectSet) {
        m_bObjectSet = FALSE;
        OnDisconnect();
    }
    const HRESULT hr = OnConnect(ppUnk[0]);
    if (SUCCEEDED(hr)) {
        m_bObjectSet = TRUE;
    }
    return hr;
}

STDMETHODIMP CBasePropertyPage::Show(UINT nCmdShow) {
    if (!m_hwnd) {
        return E_UNEXPECTED;
    }
    if (nCmdShow != SW_SHOW && nCmdShow != SW_SHOWNORMAL && nCmdShow != SW_HIDE) {
        return E_INVALIDARG;
    }
    ShowWindow(m_hwnd, nCmdShow);
    InvalidateRect(m_hwnd, nullptr, TRUE);
    return S_OK;
}

STDMETHODIMP CBasePropertyPage::Move(LPCRECT prect) {
    if (!prect) {
        return E_POINTER;
    }
    if (!m_hwnd) {
        return E_UNEXPECTED;
    }
    MoveWindow(m_hwnd, prect->left, prect->top, prect->right - prect->left, prect->bottom - prect->top, TRUE);
    return S_OK;
}

STDMETHODIMP CBasePropertyPage::IsPageDirty() {
    return m_bDirty ? S_OK : S_FALSE;
}

STDMETHODIMP CBasePropertyPage::Apply() {
    if (!m_bObjectSet || !m_pPageSite) {
        return E_UNEXPECTED;
    }
    if (!m_bDirty) {
        return S_OK;
    }
    const HRESULT hr = OnApplyChanges();
    if (SUCCEEDED(hr)) {
        m_bDirty = FALSE;
    }
    return hr;
}

STDMETHODIMP CBasePropertyPage::Help(LPCOLESTR /*pszHelpDir*/) {
    return E_NOTIMPL;
}

STDMETHODIMP CBasePropertyPage::TranslateAccelerator(MSG* /*pMsg*/) {
    return E_NOTIMPL;
}

HRESULT CBasePropertyPage::OnConnect(IUnknown* /*pUnknown*/) {
    return S_OK;
}

HRESULT CBasePropertyPage::OnDisconnect() {
    return S_OK;
}

HRESULT CBasePropertyPage::OnActivate() {
    return S_OK;
}

HRESULT CBasePropertyPage::OnDeactivate() {
    return S_OK;
}

HRESULT CBasePropertyPage::OnApplyChanges() {
    return S_OK;
}

INT_PTR CBasePropertyPage::OnReceiveMessage(HWND /*hwnd*/, UINT /*uMsg*/, WPARAM /*wParam*/,
                                            LPARAM /*lParam*/) {
    return FALSE;
}

INT_PTR CALLBACK CBasePropertyPage::DialogProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    CBasePropertyPage* page = nullptr;
    if (uMsg == WM_INITDIALOG) {
        page = reinterpret_cast<CBasePropertyPage*>(lParam);
        if (!page) {
            return TRUE;
        }
        SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        page->m_hwnd = hwnd;
    } else {
        page = reinterpret_cast<CBasePropertyPage*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    // Messages before WM_INITDIALOG (WM_SETFONT) and after the page let go of
    // its window have no page to go to.
    if (!page) {
        return FALSE;
    }
    const INT_PTR result = page->OnReceiveMessage(hwnd, uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    }
    return result;
}
