#include "proppage/PropPage.h"

#include <oleauto.h>

#include <cstring>
#include <new>
#include <string>

#include "KorvelGenICamSource_h.h"
#include "module/resource.h"

namespace {

// The follow-the-camera timer.
constexpr UINT_PTR kCameraTimerId = 102;
constexpr UINT kCameraTimerPeriod = 500;

// Combo texts are read into buffers of this many bytes.
constexpr int kItemTextBytes = 1024;

const char* const kUserLevels[] = {"Beginner", "Expert", "Guru"};

const char kMessageCaption[] = "Korvel GenICam Source";
const char kCameraChangeFailed[] =
    "Couldn't change camera!\r\nEither the filters output pin is connected or the selected camera is not "
    "ready.\r\nPlease make sure to disconnect the output pin before changing the camera.";

// A camera identifier in the thread's ANSI code page, as the combo shows it.
std::string Narrow(const WCHAR* text, UINT length) {
    if (!text || length == 0) {
        return std::string();
    }
    const int bytes =
        WideCharToMultiByte(CP_THREAD_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return std::string();
    }
    std::string narrow(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, text, static_cast<int>(length), &narrow[0], bytes, nullptr,
                        nullptr);
    return narrow;
}

std::string Narrow(BSTR text) {
    return Narrow(text, text ? SysStringLen(text) : 0);
}

// The text of item index of a combo box; false when there is no such item or
// its text does not fit the buffer.
bool ComboItemText(HWND combo, LRESULT index, char (&text)[kItemTextBytes]) {
    if (index == CB_ERR) {
        return false;
    }
    const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR || length < 1 || length >= kItemTextBytes) {
        return false;
    }
    const LRESULT copied =
        SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    if (copied == CB_ERR || copied < 1 || copied >= kItemTextBytes) {
        return false;
    }
    text[copied] = '\0';
    return true;
}

// The item whose text equals text exactly. CB_FINDSTRINGEXACT ignores case,
// and identifiers that differ only in case are different cameras, so each of
// its hits is checked until the search wraps around.
LRESULT FindExactItem(HWND combo, const char* text) {
    const LRESULT first =
        SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    LRESULT hit = first;
    for (LRESULT tried = 0; hit != CB_ERR && tried < count; ++tried) {
        char itemText[kItemTextBytes];
        if (ComboItemText(combo, hit, itemText) && std::strcmp(itemText, text) == 0) {
            return hit;
        }
        hit =
            SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(hit), reinterpret_cast<LPARAM>(text));
        if (hit == first) {
            break;
        }
    }
    return CB_ERR;
}

}  // namespace

CUnknown* WINAPI CPropPage::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    CUnknown* page = new (std::nothrow) CPropPage(outer);
    if (!page && result) {
        *result = E_OUTOFMEMORY;
    }
    return page;
}

CPropPage::CPropPage(LPUNKNOWN outer)
    : COrelBasePropertyPage(NAME("Camera Setup"), outer, IDD_CAMERA_SETUP, IDS_CAMERA_SOURCE),
      source(nullptr),
      configDialog(nullptr),
      timerId(0) {}

CPropPage::~CPropPage() {
    // A frame that let go of the page without deactivating it.
    if (timerId && m_hwnd) {
        KillTimer(m_hwnd, timerId);
    }
    timerId = 0;
    DestroyConfigDialog();
    if (source) {
        source->Release();
        source = nullptr;
    }
}

HRESULT CPropPage::OnConnect(IUnknown* pUnknown) {
    if (!pUnknown) {
        return E_POINTER;
    }
    IKorvelGenICamSource* found = nullptr;
    if (FAILED(pUnknown->QueryInterface(IID_IKorvelGenICamSource, reinterpret_cast<void**>(&found))) ||
        !found) {
        return E_NOINTERFACE;
    }
    if (source) {
        source->Release();
    }
    source = found;
    return S_OK;
}

HRESULT CPropPage::OnDisconnect() {
    if (!source) {
        return E_UNEXPECTED;
    }
    // The embedded dialog must not go on editing a filter the page let go of.
    if (configDialog) {
        configDialog->SetSource(nullptr);
    }
    source->Release();
    source = nullptr;
    return S_OK;
}

BOOL CPropPage::OnInitDialog() {
    return TRUE;
}

void CPropPage::OnShowWindow(BOOL show, UINT /*status*/) {
    // Filled afresh each time the page becomes visible.
    if (show) {
        OnActivate();
    } else {
        OnDeactivate();
        OnApplyChanges();
    }
}

HRESULT CPropPage::OnApplyChanges() {
    // A camera change takes effect at once; nothing waits for Apply.
    m_bDirty = FALSE;
    return S_OK;
}

void CPropPage::FillCameraList() {
    const HWND cameras = GetDlgItem(m_hwnd, IDC_CAMERA_LIST);
    LONG count = 0;
    if (FAILED(source->GetCameraCount(&count)) || count <= 0) {
        return;
    }
    EnableWindow(cameras, TRUE);
    for (LONG index = 0; index < count; ++index) {
        BSTR cameraId = nullptr;
        if (SUCCEEDED(source->GetCameraID(index, &cameraId))) {
            const std::string text = Narrow(cameraId);
            if (!text.empty()) {
                SendMessageA(cameras, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
            }
        }
        SysFreeString(cameraId);
    }
    BSTR selected = nullptr;
    if (SUCCEEDED(source->GetSelectedCamera(&selected))) {
        SelectCameraItem(Narrow(selected).c_str());
    } else {
        SendMessageA(cameras, CB_SETCURSEL, 0, 0);
    }
    SysFreeString(selected);

    if (timerId) {
        KillTimer(m_hwnd, timerId);
    }
    timerId = SetTimer(m_hwnd, kCameraTimerId, kCameraTimerPeriod, nullptr);
}

void CPropPage::SelectCameraItem(const char* cameraId) {
    const HWND cameras = GetDlgItem(m_hwnd, IDC_CAMERA_LIST);
    const LRESULT item = FindExactItem(cameras, cameraId);
    if (item != CB_ERR) {
        SendMessageA(cameras, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    }
}

HRESULT CPropPage::OnActivate() {
    if (!m_hwnd) {
        return E_UNEXPECTED;
    }
    const HWND cameras = GetDlgItem(m_hwnd, IDC_CAMERA_LIST);
    SendMessageA(cameras, CB_RESETCONTENT, 0, 0);
    EnableWindow(cameras, FALSE);

    const HWND levels = GetDlgItem(m_hwnd, IDC_USER_LEVEL);
    SendMessageA(levels, CB_RESETCONTENT, 0, 0);
    for (const char* level : kUserLevels) {
        SendMessageA(levels, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(level));
    }

    if (!source) {
        return S_OK;
    }
    FillCameraList();

    if (!configDialog) {
        IOrelGenICamConfigDialog* dialog = configLibrary.CreateDialogObject();
        if (dialog) {
            configDialog = dialog;
            if (configDialog->AttachWindow(GetDlgItem(m_hwnd, IDC_CONFIG_FRAME)) == 0) {
                configDialog->SetSource(source);
            }
        }
    }
    if (configDialog) {
        const int32_t level = configDialog->GetUserLevel();
        if (level >= 0 && level < static_cast<int32_t>(sizeof(kUserLevels) / sizeof(kUserLevels[0]))) {
            SendMessageA(levels, CB_SETCURSEL, static_cast<WPARAM>(level), 0);
        }
    }
    m_bDirty = FALSE;
    return S_OK;
}

void CPropPage::DestroyConfigDialog() {
    if (!configDialog) {
        return;
    }
    configDialog->SetSource(nullptr);
    configDialog->AttachWindow(nullptr);
    configLibrary.DestroyDialogObject(configDialog);
    configDialog = nullptr;
}

HRESULT CPropPage::OnDeactivate() {
    if (timerId) {
        KillTimer(m_hwnd, timerId);
        timerId = 0;
    }
    DestroyConfigDialog();
    return S_OK;
}

void CPropPage::OnTimer(UINT_PTR id) {
    if (id != timerId || !timerId || !source) {
        return;
    }
    BSTR selected = nullptr;
    if (SUCCEEDED(source->GetSelectedCamera(&selected))) {
        const HWND cameras = GetDlgItem(m_hwnd, IDC_CAMERA_LIST);
        const LRESULT current = SendMessageA(cameras, CB_GETCURSEL, 0, 0);
        if (current != CB_ERR) {
            const std::string cameraId = Narrow(selected);
            char text[kItemTextBytes];
            if (!ComboItemText(cameras, current, text) || cameraId != text) {
                SelectCameraItem(cameraId.c_str());
            }
        }
    }
    SysFreeString(selected);
}

BOOL CPropPage::OnCommand(int id, HWND control, UINT notification) {
    // Notifications that arrive while the page has no window to speak of
    // (during its creation and destruction) change nothing.
    if (!m_hwnd) {
        return FALSE;
    }
    return COrelBasePropertyPage::OnCommand(id, control, notification);
}

void CPropPage::OnSelChange(HWND /*control*/, int id) {
    if (id == IDC_USER_LEVEL) {
        UserLevelSelected();
    } else if (id == IDC_CAMERA_LIST) {
        CameraSelected();
    }
}

void CPropPage::UserLevelSelected() {
    if (!configDialog) {
        return;
    }
    const LRESULT level = SendDlgItemMessageA(m_hwnd, IDC_USER_LEVEL, CB_GETCURSEL, 0, 0);
    if (level == CB_ERR) {
        return;
    }
    // Rebuilding the feature tree for another level takes a moment.
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    configDialog->SetUserLevel(static_cast<int32_t>(level));
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

void CPropPage::CameraSelected() {
    const HWND cameras = GetDlgItem(m_hwnd, IDC_CAMERA_LIST);
    char text[kItemTextBytes];
    if (!ComboItemText(cameras, SendMessageA(cameras, CB_GETCURSEL, 0, 0), text) || !source) {
        return;
    }
    const int wideLength = MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, nullptr, 0);
    if (wideLength <= 1) {
        return;
    }
    BSTR cameraId = SysAllocStringLen(nullptr, static_cast<UINT>(wideLength - 1));
    if (!cameraId) {
        return;
    }
    MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, cameraId, wideLength);
    const HRESULT hr = source->SelectCamera(cameraId);
    SysFreeString(cameraId);
    if (SUCCEEDED(hr)) {
        // The embedded dialog follows the filter's device by itself.
        return;
    }
    // The message box runs a message loop of its own, in which the frame may
    // deactivate, disconnect or even release the page: a reference of our own
    // keeps it alive until the combo is put back.
    NonDelegatingAddRef();
    MessageBoxA(nullptr, kCameraChangeFailed, kMessageCaption, MB_ICONHAND);
    if (source && m_hwnd) {
        // Back on the camera still in use.
        BSTR selected = nullptr;
        if (SUCCEEDED(source->GetSelectedCamera(&selected))) {
            SelectCameraItem(Narrow(selected).c_str());
        }
        SysFreeString(selected);
    }
    NonDelegatingRelease();
}
