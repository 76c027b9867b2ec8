#include "configdialog/ConfigDialog.h"

#include <commctrl.h>

#include <vector>

#include "configdialog/ConfigDialogControls.h"

namespace {

// Posted by the callback when the device changes.
constexpr UINT kDeviceChangedMessage = WM_APP + 0x31;
constexpr UINT_PTR kRefreshTimerId = 1;

constexpr int kMargin = 4;
constexpr int kButtonWidth = 76;
constexpr int kEditorHeight = 22;
constexpr int kInfoHeight = 44;
constexpr int kStatusHeight = 30;

std::wstring Widen(const std::string& text) {
    if (text.empty()) {
        return std::wstring();
    }
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(length > 0 ? length : 0, L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    }
    return wide;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    const int length = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string narrow(length > 0 ? length : 0, '\0');
    if (length > 0) {
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &narrow[0], length,
                            nullptr, nullptr);
    }
    return narrow;
}

std::wstring WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) {
        return std::wstring();
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const int copied = GetWindowTextW(window, buffer.data(), length + 1);
    return std::wstring(buffer.data(), copied > 0 ? copied : 0);
}

void SetText(HWND window, const std::string& text) {
    if (window && Narrow(WindowText(window)) != text) {
        SetWindowTextW(window, Widen(text).c_str());
    }
}

}  // namespace

CConfigDialog::CConfigDialog(HINSTANCE instance)
    : m_instance(instance), m_callback(new CDialogDeviceCallback()), m_link(m_callback) {}

CConfigDialog::~CConfigDialog() {
    AttachWindow(nullptr);
    m_link.Hold(nullptr);
    m_callback->SetNotifyWindow(nullptr, 0);
    m_callback->Release();
}

bool CConfigDialog::RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = &CConfigDialog::WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kConfigDialogClassName;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

int32_t CConfigDialog::GetInterfaceVersion() {
    return kOrelGenICamConfigVersion;
}

HWND CConfigDialog::GetWindow() {
    return m_window;
}

int32_t CConfigDialog::AttachWindow(HWND parent) {
    if (m_window) {
        HWND window = m_window;
        if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
            DestroyWindow(window);  // WM_NCDESTROY forgets it
        } else {
            // Only the window's own thread can destroy it: cut it loose from
            // this object and let that thread close it.
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
        ForgetWindow();
    }
    // Without a window nothing is shown, so the filter need not tell us.
    m_link.Unregister();
    if (!parent) {
        return 0;
    }
    if (!IsWindow(parent)) {
        return static_cast<int32_t>(E_INVALIDARG);
    }
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    if (!RegisterWindowClass(m_instance)) {
        return static_cast<int32_t>(HRESULT_FROM_WIN32(GetLastError()));
    }
    RECT area = {};
    GetClientRect(parent, &area);
    HWND window =
        CreateWindowExW(WS_EX_CONTROLPARENT, kConfigDialogClassName, L"",
                        WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0,
                        area.right - area.left, area.bottom - area.top, parent, nullptr, m_instance, this);
    if (!window || !m_window) {
        const DWORD error = GetLastError();
        if (window) {
            DestroyWindow(window);
        }
        return static_cast<int32_t>(error ? HRESULT_FROM_WIN32(error) : E_FAIL);
    }
    m_font = reinterpret_cast<HFONT>(SendMessageW(parent, WM_GETFONT, 0, 0));
    if (!m_font) {
        m_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
    CreateControls();
    if (!m_list || !m_edit || !m_combo || !m_check || !m_apply || !m_info || !m_status) {
        DestroyWindow(m_window);
        return static_cast<int32_t>(E_FAIL);
    }
    Layout();
    m_callback->SetNotifyWindow(m_window, kDeviceChangedMessage);
    SetTimer(m_window, kRefreshTimerId, kRefreshIntervalMs, nullptr);
    const HRESULT linked = m_link.Register();
    Rebuild();
    ShowLinkProblem(linked);
    return 0;
}

int32_t CConfigDialog::Refresh() {
    if (m_window) {
        RefreshValues();
    }
    return 0;
}

int32_t CConfigDialog::SetSource(IKorvelGenICamSource* source) {
    if (source == m_link.Source()) {
        return 0;
    }
    m_link.Hold(source);
    HRESULT hr = m_window ? m_link.Register() : m_link.CheckSource();
    if (m_window) {
        Rebuild();
        ShowLinkProblem(hr);
    }
    return FAILED(hr) ? static_cast<int32_t>(hr) : 0;
}

void CConfigDialog::ShowLinkProblem(HRESULT linked) {
    if (linked == E_NOINTERFACE) {
        SetStatus("The source offers no camera device to configure.");
    } else if (FAILED(linked)) {
        SetStatus("The source refused the configuration callback.");
    }
}

int32_t CConfigDialog::SetUserLevel(int32_t level) {
    if (level < 0 || level > 2) {
        return static_cast<int32_t>(E_INVALIDARG);
    }
    if (level != m_level) {
        m_level = level;
        if (m_window) {
            Rebuild();
        }
    }
    return 0;
}

int32_t CConfigDialog::GetUserLevel() {
    return m_level;
}

LRESULT CALLBACK CConfigDialog::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const CREATESTRUCTW* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        CConfigDialog* dialog = static_cast<CConfigDialog*>(create->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(dialog));
        if (dialog) {
            dialog->m_window = window;
        }
    }
    CConfigDialog* dialog = reinterpret_cast<CConfigDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!dialog || dialog->m_window != window) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        dialog->ForgetWindow();
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return dialog->HandleMessage(message, wParam, lParam);
}

LRESULT CConfigDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            Layout();
            return 0;
        case WM_TIMER:
            if (wParam == kRefreshTimerId) {
                RefreshValues();
                return 0;
            }
            break;
        case kDeviceChangedMessage:
            Rebuild();
            return 0;
        case WM_NOTIFY: {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header && header->idFrom == kIdFeatureList && header->code == LVN_ITEMCHANGED && !m_filling) {
                const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
                if ((change->uChanged & LVIF_STATE) &&
                    ((change->uNewState ^ change->uOldState) & LVIS_SELECTED)) {
                    OnSelectionChanged();
                }
            }
            return 0;
        }
        case WM_COMMAND: {
            if (m_filling) {
                return 0;
            }
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            if ((id == kIdApplyButton || id == kIdBoolCheck) && code == BN_CLICKED) {
                OnApply();
            } else if (id == kIdEnumCombo && code == CBN_SELCHANGE) {
                OnApply();
            }
            return 0;
        }
        case WM_CLOSE:
            // Only a host closes this window, by detaching it.
            return 0;
        default:
            break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

void CConfigDialog::CreateControls() {
    const DWORD child = WS_CHILD | WS_VISIBLE;
    HMENU id = nullptr;
    auto make = [&](DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style,
                    int controlId) {
        id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId));
        HWND control =
            CreateWindowExW(exStyle, className, text, style, 0, 0, 10, 10, m_window, id, m_instance, nullptr);
        if (control) {
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
        }
        return control;
    };
    m_list = make(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                  child | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                  kIdFeatureList);
    m_edit = make(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_TABSTOP | ES_AUTOHSCROLL, kIdValueEdit);
    m_combo = make(0, L"COMBOBOX", L"", WS_CHILD | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, kIdEnumCombo);
    m_check = make(0, L"BUTTON", L"", WS_CHILD | WS_TABSTOP | BS_AUTOCHECKBOX, kIdBoolCheck);
    m_apply = make(0, L"BUTTON", L"Apply", child | WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON, kIdApplyButton);
    m_info = make(0, L"STATIC", L"", child | SS_LEFT | SS_NOPREFIX, kIdInfoText);
    m_status = make(0, L"STATIC", L"", child | SS_LEFT | SS_NOPREFIX, kIdStatusText);
    if (!m_list) {
        return;
    }
    SendMessageW(m_list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                 LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    const wchar_t* titles[] = {L"Feature", L"Value"};
    for (int column = 0; column < 2; ++column) {
        LVCOLUMNW header = {};
        header.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        header.pszText = const_cast<wchar_t*>(titles[column]);
        header.cx = 100;
        header.iSubItem = column;
        SendMessageW(m_list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&header));
    }
}

void CConfigDialog::Layout() {
    if (!m_window || !m_list) {
        return;
    }
    RECT area = {};
    GetClientRect(m_window, &area);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    const int inner = width > 2 * kMargin ? width - 2 * kMargin : 0;
    const int statusTop = height - kMargin - kStatusHeight;
    const int infoTop = statusTop - kMargin - kInfoHeight;
    const int editorTop = infoTop - kMargin - kEditorHeight;
    const int listHeight = editorTop - 2 * kMargin;
    const int valueWidth = inner > kButtonWidth + kMargin ? inner - kButtonWidth - kMargin : 0;

    MoveWindow(m_list, kMargin, kMargin, inner, listHeight > 0 ? listHeight : 0, TRUE);
    MoveWindow(m_edit, kMargin, editorTop, valueWidth, kEditorHeight, TRUE);
    MoveWindow(m_combo, kMargin, editorTop, valueWidth, kEditorHeight + 160, TRUE);
    MoveWindow(m_check, kMargin, editorTop, valueWidth, kEditorHeight, TRUE);
    MoveWindow(m_apply, kMargin + inner - kButtonWidth, editorTop, kButtonWidth, kEditorHeight, TRUE);
    MoveWindow(m_info, kMargin, infoTop, inner, kInfoHeight, TRUE);
    MoveWindow(m_status, kMargin, statusTop, inner, kStatusHeight, TRUE);

    const int listWidth = inner - GetSystemMetrics(SM_CXVSCROLL) - 4;
    const int nameWidth = listWidth * 11 / 20;
    SendMessageW(m_list, LVM_SETCOLUMNWIDTH, 0, nameWidth > 40 ? nameWidth : 40);
    SendMessageW(m_list, LVM_SETCOLUMNWIDTH, 1, listWidth - nameWidth > 40 ? listWidth - nameWidth : 40);
}

void CConfigDialog::ForgetWindow() {
    if (m_window) {
        m_callback->SetNotifyWindow(nullptr, 0);
        KillTimer(m_window, kRefreshTimerId);
    }
    m_window = m_list = m_edit = m_combo = m_check = m_apply = m_info = m_status = nullptr;
    m_selected = -1;
    m_comboFeature.clear();
}

void CConfigDialog::Rebuild() {
    if (!m_window) {
        return;
    }
    const FeatureRow* selected = SelectedRow();
    const std::string selectedName = selected ? selected->name : std::string();
    // Taken first, so that a change while the tree is read posts again.
    m_callback->NotificationTaken();
    bool hasDevice = false;
    {
        CDialogDeviceCallback::Lease lease(*m_callback);
        hasDevice = m_catalog.Build(lease, static_cast<GenApi::EVisibility>(m_level));
    }
    m_selected = selectedName.empty() ? -1 : m_catalog.Find(selectedName);
    m_comboFeature.clear();
    FillList();
    UpdateEditors(false);
    if (!hasDevice) {
        SetStatus(m_link.Source() ? "The camera is not available." : "No camera source.");
    } else if (Narrow(WindowText(m_status)) == "The camera is not available." ||
               Narrow(WindowText(m_status)) == "No camera source.") {
        SetStatus(std::string());
    }
}

void CConfigDialog::FillList() {
    m_filling = true;
    SendMessageW(m_list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(m_list, LVM_DELETEALLITEMS, 0, 0);
    const std::vector<FeatureRow>& rows = m_catalog.Rows();
    for (size_t index = 0; index < rows.size(); ++index) {
        const FeatureRow& row = rows[index];
        const std::wstring text = Widen(row.isCategory ? "[" + row.displayName + "]" : row.name);
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_INDENT;
        item.iItem = static_cast<int>(index);
        item.pszText = const_cast<wchar_t*>(text.c_str());
        item.lParam = row.isCategory ? kCategoryRowParam : static_cast<LPARAM>(index);
        item.iIndent = row.isCategory ? 0 : 1;
        if (static_cast<int>(index) == m_selected) {
            item.mask |= LVIF_STATE;
            item.state = item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        }
        SendMessageW(m_list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        SetRowText(index);
    }
    if (m_selected >= 0) {
        SendMessageW(m_list, LVM_ENSUREVISIBLE, m_selected, FALSE);
    }
    SendMessageW(m_list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_list, nullptr, TRUE);
    m_filling = false;
}

void CConfigDialog::SetRowText(size_t index) {
    const std::vector<FeatureRow>& rows = m_catalog.Rows();
    if (index >= rows.size()) {
        return;
    }
    const FeatureRow& row = rows[index];
    std::string value = row.valueText;
    if (!row.isCategory && value.empty()) {
        if (!GenApi::IsAvailable(row.access)) {
            value = "(not available)";
        } else {
            value = row.kind == FeatureKind::Command ? "(command)" : "(not readable)";
        }
    }
    const std::wstring text = Widen(value);
    LVITEMW item = {};
    item.iSubItem = 1;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(m_list, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
}

void CConfigDialog::RefreshValues() {
    if (!m_window) {
        return;
    }
    std::vector<size_t> changed;
    bool current = true;
    {
        CDialogDeviceCallback::Lease lease(*m_callback);
        current = m_catalog.IsCurrent(lease);
        if (current) {
            for (size_t index = 0; index < m_catalog.Rows().size(); ++index) {
                if (m_catalog.Refresh(lease, index)) {
                    changed.push_back(index);
                }
            }
            // The device may have been found gone during the reads.
            current = m_catalog.IsCurrent(lease);
        }
    }
    if (!current) {
        Rebuild();
        return;
    }
    bool selectionChanged = false;
    for (size_t index : changed) {
        SetRowText(index);
        selectionChanged = selectionChanged || static_cast<int>(index) == m_selected;
    }
    if (selectionChanged) {
        UpdateEditors(true);
    }
}

const FeatureRow* CConfigDialog::SelectedRow() const {
    const std::vector<FeatureRow>& rows = m_catalog.Rows();
    if (m_selected < 0 || static_cast<size_t>(m_selected) >= rows.size() || rows[m_selected].isCategory) {
        return nullptr;
    }
    return &rows[m_selected];
}

void CConfigDialog::OnSelectionChanged() {
    const int item =
        static_cast<int>(SendMessageW(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    m_selected = -1;
    if (item >= 0) {
        LVITEMW query = {};
        query.mask = LVIF_PARAM;
        query.iItem = item;
        if (SendMessageW(m_list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query)) &&
            query.lParam != kCategoryRowParam) {
            m_selected = static_cast<int>(query.lParam);
        }
    }
    UpdateEditors(false);
}

void CConfigDialog::UpdateEditors(bool keepTyping) {
    if (!m_window) {
        return;
    }
    m_filling = true;
    const FeatureRow* row = SelectedRow();
    const FeatureKind kind = row ? row->kind : FeatureKind::Other;
    const bool writable = row && GenApi::IsWritable(row->access);
    const bool textual = row && (kind == FeatureKind::Integer || kind == FeatureKind::Float ||
                                 kind == FeatureKind::String || kind == FeatureKind::Other);
    const bool enumeration = row && kind == FeatureKind::Enumeration;
    const bool boolean = row && kind == FeatureKind::Boolean;

    ShowWindow(m_edit, textual ? SW_SHOW : SW_HIDE);
    ShowWindow(m_combo, enumeration ? SW_SHOW : SW_HIDE);
    ShowWindow(m_check, boolean ? SW_SHOW : SW_HIDE);

    if (textual) {
        // A value being typed stays until it is applied.
        if (!keepTyping || !SendMessageW(m_edit, EM_GETMODIFY, 0, 0)) {
            SetText(m_edit, row->valueText);
            SendMessageW(m_edit, EM_SETMODIFY, FALSE, 0);
        }
        SendMessageW(m_edit, EM_SETREADONLY, writable ? FALSE : TRUE, 0);
        EnableWindow(m_edit, TRUE);
    }
    if (enumeration) {
        if (m_comboFeature != row->name) {
            SendMessageW(m_combo, CB_RESETCONTENT, 0, 0);
            for (const std::string& entry : row->entries) {
                SendMessageW(m_combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(entry).c_str()));
            }
            m_comboFeature = row->name;
        }
        const LRESULT found = SendMessageW(m_combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(Widen(row->valueText).c_str()));
        SendMessageW(m_combo, CB_SETCURSEL, found == CB_ERR ? static_cast<WPARAM>(-1) : found, 0);
        EnableWindow(m_combo, writable);
    }
    if (boolean) {
        SetText(m_check, row->displayName);
        SendMessageW(m_check, BM_SETCHECK, row->booleanValue ? BST_CHECKED : BST_UNCHECKED, 0);
        EnableWindow(m_check, writable);
    }
    SetText(m_apply, kind == FeatureKind::Command && row ? "Execute" : "Apply");
    EnableWindow(m_apply, writable);
    SetText(m_info, row ? CFeatureCatalog::Describe(*row) : std::string());
    m_filling = false;
}

void CConfigDialog::OnApply() {
    const FeatureRow* row = SelectedRow();
    if (!row) {
        return;
    }
    const size_t index = static_cast<size_t>(m_selected);
    const FeatureKind kind = row->kind;
    // Everything the write needs is read from the controls before the lease.
    std::string text;
    if (kind == FeatureKind::Enumeration) {
        const LRESULT selection = SendMessageW(m_combo, CB_GETCURSEL, 0, 0);
        const LRESULT length =
            selection == CB_ERR ? CB_ERR : SendMessageW(m_combo, CB_GETLBTEXTLEN, selection, 0);
        if (length != CB_ERR && length >= 0) {
            std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
            SendMessageW(m_combo, CB_GETLBTEXT, selection, reinterpret_cast<LPARAM>(buffer.data()));
            text = Narrow(buffer.data());
        }
    } else if (kind != FeatureKind::Boolean && kind != FeatureKind::Command) {
        text = Narrow(WindowText(m_edit));
    }
    const bool checked = SendMessageW(m_check, BM_GETCHECK, 0, 0) == BST_CHECKED;

    FeatureOutcome outcome;
    bool current = true;
    {
        CDialogDeviceCallback::Lease lease(*m_callback);
        switch (kind) {
            case FeatureKind::Command:
                outcome = m_catalog.Execute(lease, index);
                break;
            case FeatureKind::Enumeration:
                outcome = m_catalog.WriteEntry(lease, index, text);
                break;
            case FeatureKind::Boolean:
                outcome = m_catalog.WriteBoolean(lease, index, checked);
                break;
            default:
                outcome = m_catalog.WriteText(lease, index, text);
                break;
        }
        current = m_catalog.IsCurrent(lease);
    }
    if (!current) {
        Rebuild();
    }
    SetStatus(outcome.succeeded ? std::string() : outcome.message);
    if (!current) {
        return;
    }
    // The shown value goes back to the camera's, refused or not; writing one
    // feature may change others.
    SetRowText(index);
    UpdateEditors(false);
    RefreshValues();
}

void CConfigDialog::SetStatus(const std::string& text) {
    SetText(m_status, text);
}
