#include "PageTestSupport.h"

#include <olectl.h>

#include <cwchar>
#include <thread>

const char kColourCamera[] = "Korvel KV-C1920 (E1000001)";
const char kMonoCamera[] = "Korvel KV-M1280 (E2000001)";
const char kMessageCaption[] = "Korvel GenICam Source";
const char kCameraChangeFailedText[] =
    "Couldn't change camera!\r\nEither the filters output pin is connected or the selected camera is not "
    "ready.\r\nPlease make sure to disconnect the output pin before changing the camera.";

namespace {

// Wine's Null Renderer; the symbol is in strmiids but no header declares it.
constexpr CLSID kNullRenderer = {
    0xc1f400a4, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};

// How long a frame, a page or a message box may take to appear or go.
constexpr DWORD kWindowWait = 10000;

IPin* FindPin(IBaseFilter* filter, PIN_DIRECTION wanted) {
    IEnumPins* pins = nullptr;
    if (FAILED(filter->EnumPins(&pins))) {
        return nullptr;
    }
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        PIN_DIRECTION direction;
        if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == wanted) {
            break;
        }
        pin->Release();
        pin = nullptr;
    }
    pins->Release();
    return pin;
}

// The dialog inside root that holds both of the page's combo boxes.
HWND FindPageDialog(HWND root) {
    for (HWND dialog : FindDescendants(root, L"#32770")) {
        if (GetDlgItem(dialog, kCameraCombo) && GetDlgItem(dialog, kUserLevelCombo)) {
            return dialog;
        }
    }
    return nullptr;
}

}  // namespace

std::wstring BinaryDirectory() {
    WCHAR path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path, length);
    const size_t slash = directory.find_last_of(L"\\/");
    directory.resize(slash == std::wstring::npos ? 0 : slash + 1);
    return directory;
}

std::wstring OutputDirectory() {
    // bin/ sits in the build tree's root.
    std::wstring directory = BinaryDirectory();
    directory.resize(directory.size() - 1);
    directory.resize(directory.find_last_of(L"\\/") + 1);
    directory += L"out\\";
    CreateDirectoryW(directory.c_str(), nullptr);
    return directory;
}

ModuleClasses::ModuleClasses(const std::wstring& path) {
    m_module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

ModuleClasses::~ModuleClasses() {
    RevokeAll();
    // A module whose objects are still alive (a case that failed half way)
    // stays loaded: unloading it would only turn the failure into a crash.
    if (m_module && CanUnloadNow() == S_OK) {
        FreeLibrary(m_module);
    }
}

namespace {

HRESULT ClassObject(HMODULE module, REFCLSID clsid, IClassFactory** factory) {
    *factory = nullptr;
    if (!module) {
        return E_FAIL;
    }
    auto getClassObject = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    if (!getClassObject) {
        return E_FAIL;
    }
    return getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory));
}

}  // namespace

HRESULT ModuleClasses::Create(REFCLSID clsid, REFIID iid, void** object) {
    IClassFactory* factory = nullptr;
    HRESULT hr = ClassObject(m_module, clsid, &factory);
    if (FAILED(hr)) {
        return hr;
    }
    hr = factory->CreateInstance(nullptr, iid, object);
    factory->Release();
    return hr;
}

HRESULT ModuleClasses::Register(REFCLSID clsid) {
    IClassFactory* factory = nullptr;
    HRESULT hr = ClassObject(m_module, clsid, &factory);
    if (FAILED(hr)) {
        return hr;
    }
    DWORD registration = 0;
    hr = CoRegisterClassObject(clsid, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &registration);
    factory->Release();
    if (SUCCEEDED(hr)) {
        m_registrations.push_back(registration);
    }
    return hr;
}

void ModuleClasses::RevokeAll() {
    for (DWORD registration : m_registrations) {
        CoRevokeClassObject(registration);
    }
    m_registrations.clear();
}

HRESULT ModuleClasses::CanUnloadNow() {
    auto canUnloadNow = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(m_module, "DllCanUnloadNow")));
    return canUnloadNow ? canUnloadNow() : E_FAIL;
}

ScratchDirectory::ScratchDirectory() {
    WCHAR temp[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    std::wstring base(temp, length);
    if (!base.empty() && base.back() != L'\\') {
        base.push_back(L'\\');
    }
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        WCHAR name[64];
        swprintf(name, 64, L"korvel-page-%lu-%u\\", GetCurrentProcessId(), attempt);
        if (CreateDirectoryW((base + name).c_str(), nullptr)) {
            m_path = base + name;
            return;
        }
    }
    ADD_FAILURE() << "cannot make a scratch folder";
}

ScratchDirectory::~ScratchDirectory() {
    if (m_path.empty()) {
        return;
    }
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((m_path + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                DeleteFileW((m_path + found.cFileName).c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(m_path.c_str());
}

bool ScratchDirectory::CopyIn(const std::wstring& source, const std::wstring& newName) {
    return !m_path.empty() && CopyFileW(source.c_str(), (m_path + newName).c_str(), FALSE) != FALSE;
}

std::vector<HWND> ThreadWindows(DWORD threadId) {
    std::vector<HWND> windows;
    EnumThreadWindows(
        threadId,
        [](HWND window, LPARAM found) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::wstring WindowClass(HWND window) {
    WCHAR name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::string WindowText(HWND window) {
    char text[2048] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

HWND FindDescendant(HWND root, int id) {
    struct Search {
        int id;
        HWND found;
    } search = {id, nullptr};
    EnumChildWindows(
        root,
        [](HWND window, LPARAM data) -> BOOL {
            Search* search = reinterpret_cast<Search*>(data);
            if (GetDlgCtrlID(window) == search->id) {
                search->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> FindDescendants(HWND root, const wchar_t* className) {
    struct Search {
        const wchar_t* className;
        std::vector<HWND> found;
    } search = {className, {}};
    EnumChildWindows(
        root,
        [](HWND window, LPARAM data) -> BOOL {
            Search* search = reinterpret_cast<Search*>(data);
            if (_wcsicmp(WindowClass(window).c_str(), search->className) == 0) {
                search->found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindDialog(DWORD threadId, const char* caption) {
    for (HWND window : ThreadWindows(threadId)) {
        if (IsWindowVisible(window) && WindowClass(window) == L"#32770" && WindowText(window) == caption) {
            return window;
        }
    }
    return nullptr;
}

std::vector<std::string> ComboItems(HWND combo) {
    std::vector<std::string> items;
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
        char text[1024] = {};
        const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, index, 0);
        if (length >= 0 && length < 1024) {
            SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
        }
        items.push_back(text);
    }
    return items;
}

std::string ComboSelection(HWND combo) {
    const LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) {
        return std::string();
    }
    const std::vector<std::string> items = ComboItems(combo);
    return static_cast<size_t>(index) < items.size() ? items[static_cast<size_t>(index)] : std::string();
}

void PostComboChoice(HWND page, int comboId, int index) {
    const HWND combo = GetDlgItem(page, comboId);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void PumpMessages(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, bool pump) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        if (pump) {
            PumpMessages(20);
        } else {
            Sleep(20);
        }
    }
}

bool CaptureWindow(HWND window, uint32_t* width, uint32_t* height, std::vector<uint8_t>* rgb) {
    RECT rect;
    if (!GetWindowRect(window, &rect) || rect.right <= rect.left || rect.bottom <= rect.top) {
        return false;
    }
    *width = static_cast<uint32_t>(rect.right - rect.left);
    *height = static_cast<uint32_t>(rect.bottom - rect.top);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(*width);
    info.bmiHeader.biHeight = -static_cast<LONG>(*height);  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool captured = false;
    if (bitmap && bits) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        captured = BitBlt(memory, 0, 0, static_cast<int>(*width), static_cast<int>(*height), screen,
                          rect.left, rect.top, SRCCOPY) != FALSE;
        GdiFlush();
        const uint8_t* pixels = static_cast<const uint8_t*>(bits);
        rgb->resize(static_cast<size_t>(*width) * *height * 3);
        for (size_t pixel = 0; pixel < static_cast<size_t>(*width) * *height; ++pixel) {
            (*rgb)[pixel * 3] = pixels[pixel * 4 + 2];
            (*rgb)[pixel * 3 + 1] = pixels[pixel * 4 + 1];
            (*rgb)[pixel * 3 + 2] = pixels[pixel * 4];
        }
        SelectObject(memory, previous);
    }
    if (bitmap) {
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return captured;
}

STDMETHODIMP TestPageSite::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (riid == IID_IUnknown || riid == IID_IPropertyPageSite) {
        *ppv = static_cast<IPropertyPageSite*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) TestPageSite::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_references));
}

// Lives on the test's stack: the count is only watched.
STDMETHODIMP_(ULONG) TestPageSite::Release() {
    return static_cast<ULONG>(InterlockedDecrement(&m_references));
}

STDMETHODIMP TestPageSite::OnStatusChange(DWORD flags) {
    if (flags & PROPPAGESTATUS_DIRTY) {
        ++dirtyChanges;
    }
    return S_OK;
}

STDMETHODIMP TestPageSite::GetLocaleID(LCID* locale) {
    if (!locale) {
        return E_POINTER;
    }
    *locale = LOCALE_USER_DEFAULT;
    return S_OK;
}

STDMETHODIMP TestPageSite::GetPageContainer(IUnknown** container) {
    if (container) {
        *container = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP TestPageSite::TranslateAccelerator(MSG* /*message*/) {
    return S_FALSE;
}

CaptureGraph::CaptureGraph(IBaseFilter* filter) {
    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                reinterpret_cast<void**>(&m_graph))) ||
        FAILED(CoCreateInstance(kNullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                reinterpret_cast<void**>(&m_renderer))) ||
        FAILED(m_graph->AddFilter(filter, L"Source")) || FAILED(m_graph->AddFilter(m_renderer, L"Null"))) {
        return;
    }
    IPin* capture = nullptr;
    if (FAILED(filter->FindPin(L"Capture", &capture))) {
        return;
    }
    IPin* input = FindPin(m_renderer, PINDIR_INPUT);
    if (input) {
        m_connected = m_graph->ConnectDirect(capture, input, nullptr) == S_OK;
        input->Release();
    }
    capture->Release();
}

CaptureGraph::~CaptureGraph() {
    if (m_graph) {
        // Removing the filters breaks the connection and lets go of them.
        IEnumFilters* filters = nullptr;
        if (SUCCEEDED(m_graph->EnumFilters(&filters))) {
            std::vector<IBaseFilter*> all;
            IBaseFilter* filter = nullptr;
            while (filters->Next(1, &filter, nullptr) == S_OK) {
                all.push_back(filter);
            }
            filters->Release();
            for (IBaseFilter* each : all) {
                m_graph->RemoveFilter(each);
                each->Release();
            }
        }
        m_graph->Release();
    }
    if (m_renderer) {
        m_renderer->Release();
    }
}

void FrameDriver::Fail(const std::string& message) {
    EnterCriticalSection(&m_lock);
    m_failures.push_back(message);
    LeaveCriticalSection(&m_lock);
}

bool FrameDriver::Expect(const std::function<bool()>& condition, DWORD timeoutMs, const std::string& what) {
    if (WaitUntil(condition, timeoutMs)) {
        return true;
    }
    Fail(what);
    return false;
}

void FrameDriver::CloseFrame() {
    // The frame's own Cancel first, then a close request, then a quit message
    // that ends any modal loop of the thread.
    if (IsWindow(m_frame)) {
        PostMessageW(m_frame, WM_COMMAND, IDCANCEL, 0);
    }
    if (WaitUntil([this] { return m_frameReturned != 0; }, 3000)) {
        return;
    }
    if (IsWindow(m_frame)) {
        PostMessageW(m_frame, WM_CLOSE, 0, 0);
    }
    if (WaitUntil([this] { return m_frameReturned != 0; }, 3000)) {
        return;
    }
    Fail("the frame did not close when asked");
    PostThreadMessageW(m_uiThread, WM_QUIT, 0, 0);
    WaitUntil([this] { return m_frameReturned != 0; }, kWindowWait);
}

void FrameDriver::Drive(const std::function<void(FrameDriver&)>& script) {
    const bool found = WaitUntil(
        [this] {
            if (m_frameReturned) {
                return true;
            }
            for (HWND window : ThreadWindows(m_uiThread)) {
                if (!IsWindowVisible(window)) {
                    continue;
                }
                const HWND page = FindPageDialog(window);
                if (page && IsWindowVisible(page)) {
                    m_frame = window;
                    m_page = page;
                    return true;
                }
            }
            return false;
        },
        kWindowWait);
    if (!found || !m_page) {
        Fail(m_frameReturned ? "OleCreatePropertyFrame returned without showing the page (no display?)"
                             : "the property frame with the page did not appear");
        if (!m_frameReturned) {
            PostThreadMessageW(m_uiThread, WM_QUIT, 0, 0);
        }
        return;
    }
    script(*this);
    CloseFrame();
}

std::vector<std::string> FrameDriver::Run(IUnknown* object, const std::function<void(FrameDriver&)>& script) {
    FrameDriver driver;
    InitializeCriticalSection(&driver.m_lock);
    driver.m_uiThread = GetCurrentThreadId();
    std::thread worker([&driver, &script] { driver.Drive(script); });

    CLSID pages[] = {CLSID_KorvelCameraSetupPage};
    IUnknown* objects[] = {object};
    const HRESULT hr = OleCreatePropertyFrame(nullptr, 40, 40, L"Korvel page test", 1, objects, 1, pages,
                                              LOCALE_USER_DEFAULT, 0, nullptr);
    InterlockedExchange(&driver.m_frameReturned, 1);
    // The driver's waits are all bounded, so this join is too.
    worker.join();
    if (hr != S_OK) {
        driver.m_failures.push_back("OleCreatePropertyFrame failed: " + std::to_string(hr));
    }
    // Whatever the frame left posted (a quit message) must not reach the next case.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    DeleteCriticalSection(&driver.m_lock);
    return driver.m_failures;
}
