#include "DialogTestSupport.h"

#include <commctrl.h>

#include "quill/EmulationControl.h"

namespace {

std::wstring BinaryDirectory() {
    WCHAR path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path, length);
    const size_t slash = directory.find_last_of(L"\\/");
    directory.resize(slash == std::wstring::npos ? 0 : slash + 1);
    return directory;
}

std::string Narrow(const wchar_t* text) {
    std::string narrow;
    for (; text && *text; ++text) {
        narrow += static_cast<char>(*text < 128 ? *text : '?');
    }
    return narrow;
}

const wchar_t kHostClass[] = L"KorvelDialogTestHost";

}  // namespace

std::string DialogCameraProfile() {
    return "[transport]\nname = Bench\ndevice_class = Bench\n"
           "[camera]\ntransport = Bench\nserial = P1\nmodel = KV-C640\nmax_width = 640\nmax_height = 480\n"
           "pixel_formats = Mono8, BayerRG8\nframe_rate_enable = true\nframe_rate = 30\n"
           "exposure_min = 20\nexposure_max = 1000000\nexposure = 10000\n"
           "gain_min = 0\ngain_max = 1000\ngain = 0\n"
           "[camera]\ntransport = Bench\nserial = P2\nmodel = KV-M320\nmax_width = 320\nmax_height = 240\n"
           "pixel_formats = Mono8\nexposure_min = 50\nexposure_max = 500000\nexposure = 2000\n";
}

std::wstring DialogCameraId(const char* serial) {
    const std::string name =
        std::string(serial[1] == '1' ? "Korvel KV-C640 (" : "Korvel KV-M320 (") + serial + ")";
    return std::wstring(name.begin(), name.end());
}

ULONG RefCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

void Pump(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        Pump(20);
    }
}

std::vector<ListRow> DialogView::Rows() const {
    std::vector<ListRow> rows;
    HWND list = Control(kIdFeatureList);
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        wchar_t text[256] = {};
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = index;
        item.pszText = text;
        item.cchTextMax = 256;
        SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        ListRow row;
        row.name = Narrow(text);
        row.param = item.lParam;
        wchar_t value[256] = {};
        LVITEMW sub = {};
        sub.iSubItem = 1;
        sub.pszText = value;
        sub.cchTextMax = 256;
        SendMessageW(list, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(&sub));
        row.value = Narrow(value);
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> DialogView::FeatureNames() const {
    std::vector<std::string> names;
    for (const ListRow& row : Rows()) {
        if (row.param != kCategoryRowParam) {
            names.push_back(row.name);
        }
    }
    return names;
}

std::string DialogView::ValueOf(const std::string& name) const {
    for (const ListRow& row : Rows()) {
        if (row.param != kCategoryRowParam && row.name == name) {
            return row.value;
        }
    }
    return "<missing>";
}

bool DialogView::Select(const std::string& name) const {
    const std::vector<ListRow> rows = Rows();
    for (size_t index = 0; index < rows.size(); ++index) {
        if (rows[index].param != kCategoryRowParam && rows[index].name == name) {
            LVITEMW state = {};
            state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            state.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(Control(kIdFeatureList), LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&state));
            return true;
        }
    }
    return false;
}

std::string DialogView::Text(int id) const {
    wchar_t text[1024] = {};
    GetWindowTextW(Control(id), text, 1024);
    return Narrow(text);
}

void DialogView::SetEditText(const std::string& text) const {
    const std::wstring wide(text.begin(), text.end());
    SetWindowTextW(Control(kIdValueEdit), wide.c_str());
}

void DialogView::ClickApply() const {
    SendMessageW(m_window, WM_COMMAND, MAKEWPARAM(kIdApplyButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(kIdApplyButton)));
}

bool DialogView::PickEntry(const std::string& entry) const {
    HWND combo = Control(kIdEnumCombo);
    const std::wstring wide(entry.begin(), entry.end());
    const LRESULT found = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(wide.c_str()));
    if (found == CB_ERR) {
        return false;
    }
    SendMessageW(combo, CB_SETCURSEL, found, 0);
    SendMessageW(m_window, WM_COMMAND, MAKEWPARAM(kIdEnumCombo, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    return true;
}

void DialogTest::SetUp() {
    PinTest::SetUp();
    if (HasFatalFailure()) {
        return;
    }
    LoadCameras(DialogCameraProfile());
    m_library = LoadLibraryW((BinaryDirectory() + L"OrelGenICamConfig.dll").c_str());
    ASSERT_NE(nullptr, m_library) << "cannot load OrelGenICamConfig.dll, error " << GetLastError();
    m_create = reinterpret_cast<OrelCreateConfigDialogFn>(
        reinterpret_cast<void*>(GetProcAddress(m_library, MAKEINTRESOURCEA(kOrelCreateConfigDialogOrdinal))));
    m_destroy = reinterpret_cast<OrelDestroyConfigDialogFn>(reinterpret_cast<void*>(
        GetProcAddress(m_library, MAKEINTRESOURCEA(kOrelDestroyConfigDialogOrdinal))));
    ASSERT_NE(nullptr, m_create);
    ASSERT_NE(nullptr, m_destroy);

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kHostClass;
    RegisterClassExW(&windowClass);
    m_host = CreateWindowExW(0, kHostClass, L"Feature dialog test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20,
                             520, 480, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, m_host) << "no host window (is there a display?), error " << GetLastError();
    Pump(20);
    ASSERT_TRUE(IsWindowVisible(m_host)) << "the host window did not appear";
}

void DialogTest::TearDown() {
    for (IOrelGenICamConfigDialog* dialog : m_dialogs) {
        m_destroy(dialog);
    }
    m_dialogs.clear();
    if (m_host) {
        DestroyWindow(m_host);
        m_host = nullptr;
    }
    Pump(10);
    if (m_library) {
        FreeLibrary(m_library);
        m_library = nullptr;
    }
    PinTest::TearDown();
}

IOrelGenICamConfigDialog* DialogTest::NewDialog() {
    IOrelGenICamConfigDialog* dialog = nullptr;
    EXPECT_EQ(0, m_create(&dialog));
    EXPECT_NE(nullptr, dialog);
    if (dialog) {
        m_dialogs.push_back(dialog);
    }
    return dialog;
}

IOrelGenICamConfigDialog* DialogTest::OpenDialog(IBaseFilter* filter, int32_t level) {
    IOrelGenICamConfigDialog* dialog = NewDialog();
    if (!dialog) {
        return nullptr;
    }
    EXPECT_EQ(0, dialog->SetUserLevel(level));
    EXPECT_EQ(0, dialog->AttachWindow(m_host));
    IKorvelGenICamSource* source = SourceOf(filter);
    EXPECT_NE(nullptr, source);
    if (source) {
        EXPECT_EQ(0, dialog->SetSource(source));
        source->Release();
    }
    EXPECT_NE(nullptr, dialog->GetWindow());
    return dialog;
}

void DialogTest::DestroyDialog(IOrelGenICamConfigDialog*& dialog) {
    if (dialog) {
        for (auto live = m_dialogs.begin(); live != m_dialogs.end(); ++live) {
            if (*live == dialog) {
                m_dialogs.erase(live);
                break;
            }
        }
        m_destroy(dialog);
        dialog = nullptr;
    }
}

Quill::IQuillDevice* DialogTest::ActiveDevice(IBaseFilter* filter) {
    IKorvelGenICamConfigControl* control = nullptr;
    if (FAILED(Query(filter, IID_IKorvelGenICamConfigControl, &control)) || !control) {
        return nullptr;
    }
    LONG value = 0;
    const HRESULT hr = control->GetActiveDevice(&value);
    control->Release();
    typedef HRESULT(WINAPI * Resolver)(long, Quill::IQuillDevice**);
    Resolver resolve = reinterpret_cast<Resolver>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"KorvelGenICamSource.ax"), "KorvelResolveDeviceValue")));
    Quill::IQuillDevice* device = nullptr;
    if (hr != S_OK || !resolve || FAILED(resolve(value, &device))) {
        return nullptr;
    }
    return device;
}

IKorvelGenICamSource* DialogTest::SourceOf(IBaseFilter* filter) {
    IKorvelGenICamSource* source = nullptr;
    Query(filter, IID_IKorvelGenICamSource, &source);
    return source;
}
