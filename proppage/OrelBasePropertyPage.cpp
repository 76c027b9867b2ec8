#include "proppage/OrelBasePropertyPage.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Items show at most this many characters.
constexpr int kItemTextLength = 260;

}  // namespace

COrelBasePropertyPage::COrelBasePropertyPage(const TCHAR* pName, LPUNKNOWN pUnk, int dialogId, int titleId)
    : CBasePropertyPage(pName, pUnk, dialogId, titleId), m_doubleFormat("%1.6f") {}

INT_PTR COrelBasePropertyPage::OnReceiveMessage(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_SHOWWINDOW:
            OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam));
            return 0;
        case WM_TIMER:
            OnTimer(static_cast<UINT_PTR>(wParam));
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), reinterpret_cast<HWND>(lParam), HIWORD(wParam));
            return 0;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_HSCROLL:
            OnHScroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
            return 0;
        case WM_VSCROLL:
            OnVScroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
            return 0;
        default:
            return CBasePropertyPage::OnReceiveMessage(hwnd, uMsg, wParam, lParam);
    }
}

BOOL COrelBasePropertyPage::OnInitDialog() {
    return TRUE;
}

void COrelBasePropertyPage::OnShowWindow(BOOL /*show*/, UINT /*status*/) {}

void COrelBasePropertyPage::OnTimer(UINT_PTR /*timerId*/) {}

BOOL COrelBasePropertyPage::OnCommand(int id, HWND control, UINT notification) {
    switch (notification) {
        case BN_CLICKED:
            OnButtonClicked(control, id);
            return TRUE;
        case CBN_SELCHANGE:
            OnSelChange(control, id);
            return TRUE;
        case EN_KILLFOCUS:
            OnKillFocus(control, id);
            return TRUE;
        case EN_CHANGE:
            OnEditChange(control, id);
            return TRUE;
        default:
            return FALSE;
    }
}

void COrelBasePropertyPage::OnDestroy() {}

void COrelBasePropertyPage::OnPaint() {}

void COrelBasePropertyPage::OnHScroll(HWND /*control*/, UINT /*code*/, int /*position*/) {}

void COrelBasePropertyPage::OnVScroll(HWND /*control*/, UINT /*code*/, int /*position*/) {}

void COrelBasePropertyPage::OnButtonClicked(HWND /*control*/, int /*id*/) {}

void COrelBasePropertyPage::OnEditChange(HWND /*control*/, int /*id*/) {}

void COrelBasePropertyPage::OnSelChange(HWND /*control*/, int /*id*/) {}

void COrelBasePropertyPage::OnKillFocus(HWND /*control*/, int /*id*/) {}

void COrelBasePropertyPage::SetDirty() {
    m_bDirty = TRUE;
    if (m_pPageSite) {
        m_pPageSite->OnStatusChange(PROPPAGESTATUS_DIRTY);
    }
}

BOOL COrelBasePropertyPage::ReadItemText(int id, char* text, int size) const {
    const HWND item = m_hwnd ? GetDlgItem(m_hwnd, id) : nullptr;
    if (!item) {
        return FALSE;
    }
    GetWindowTextA(item, text, size);
    text[size - 1] = '\0';
    return TRUE;
}

BOOL COrelBasePropertyPage::ReadInteger(int id, LONGLONG minimum, LONGLONG maximum, LONGLONG* value) const {
    char text[kItemTextLength + 1] = {};
    if (!ReadItemText(id, text, sizeof(text))) {
        return FALSE;
    }
    char* end = nullptr;
    errno = 0;
    const long long number = std::strtoll(text, &end, 10);
    if (end == text || errno == ERANGE || number < minimum || number > maximum) {
        return FALSE;
    }
    while (*end == ' ' || *end == '\t') {
        ++end;
    }
    if (*end != '\0') {
        return FALSE;
    }
    *value = number;
    return TRUE;
}

BOOL COrelBasePropertyPage::DialogItemValue(BOOL write, int id, SHORT* value) {
    if (!value) {
        return FALSE;
    }
    if (write) {
        char text[16];
        std::snprintf(text, sizeof(text), "%d", static_cast<int>(*value));
        return m_hwnd && SetDlgItemTextA(m_hwnd, id, text);
    }
    LONGLONG number = 0;
    if (!ReadInteger(id, SHRT_MIN, SHRT_MAX, &number)) {
        return FALSE;
    }
    *value = static_cast<SHORT>(number);
    return TRUE;
}

BOOL COrelBasePropertyPage::DialogItemValue(BOOL write, int id, LONG* value) {
    if (!value) {
        return FALSE;
    }
    if (write) {
        char text[32];
        std::snprintf(text, sizeof(text), "%d", static_cast<int>(*value));
        return m_hwnd && SetDlgItemTextA(m_hwnd, id, text);
    }
    LONGLONG number = 0;
    if (!ReadInteger(id, LONG_MIN, LONG_MAX, &number)) {
        return FALSE;
    }
    *value = static_cast<LONG>(number);
    return TRUE;
}

BOOL COrelBasePropertyPage::DialogItemValue(BOOL write, int id, LONGLONG* value) {
    if (!value) {
        return FALSE;
    }
    if (write) {
        char text[32];
        std::snprintf(text, sizeof(text), "%lld", static_cast<long long>(*value));
        return m_hwnd && SetDlgItemTextA(m_hwnd, id, text);
    }
    return ReadInteger(id, LLONG_MIN, LLONG_MAX, value);
}

BOOL COrelBasePropertyPage::DialogItemCheck(BOOL write, int id, BOOL* checked) {
    if (!checked || !m_hwnd || !GetDlgItem(m_hwnd, id)) {
        return FALSE;
    }
    if (write) {
        SendDlgItemMessageA(m_hwnd, id, BM_SETCHECK, *checked ? BST_CHECKED : BST_UNCHECKED, 0);
        return TRUE;
    }
    *checked = SendDlgItemMessageA(m_hwnd, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
    return TRUE;
}

BOOL COrelBasePropertyPage::DialogItemValue(BOOL write, int id, double* value) {
    if (!value) {
        return FALSE;
    }
    if (write) {
        // %f of a huge value runs to over 300 digits.
        char text[400];
        std::snprintf(text, sizeof(text), m_doubleFormat, *value);
        return m_hwnd && SetDlgItemTextA(m_hwnd, id, text);
    }
    char text[kItemTextLength + 1] = {};
    if (!ReadItemText(id, text, sizeof(text))) {
        return FALSE;
    }
    char* end = nullptr;
    errno = 0;
    const double number = std::strtod(text, &end);
    if (end == text || errno == ERANGE || !std::isfinite(number)) {
        return FALSE;
    }
    while (*end == ' ' || *end == '\t') {
        ++end;
    }
    if (*end != '\0') {
        return FALSE;
    }
    *value = number;
    return TRUE;
}

BOOL COrelBasePropertyPage::DialogItemValue(BOOL write, int id, float* value) {
    if (!value) {
        return FALSE;
    }
    double number = *value;
    if (write) {
        return DialogItemValue(TRUE, id, &number);
    }
    if (!DialogItemValue(FALSE, id, &number) || std::fabs(number) > 3.4028234663852886e38) {
        return FALSE;
    }
    *value = static_cast<float>(number);
    return TRUE;
}
