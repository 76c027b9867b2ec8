// Helpers of the page tests: the module's class objects, windows found by
// thread, class and control id, combo box contents, bounded waits, a test
// page site, a filter graph with the capture pin connected, screenshots, and
// a driver that works a modal property frame from a second thread.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <ocidl.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "KorvelGenICamSource_h.h"

// The page's controls.
constexpr int kCameraCombo = 1001;
constexpr int kConfigFrame = 1002;
constexpr int kUserLevelCombo = 103;

// The emulated cameras the SDK lists without a profile.
extern const char kColourCamera[];  // "Korvel KV-C1920 (E1000001)"
extern const char kMonoCamera[];    // "Korvel KV-M1280 (E2000001)"

extern const char kMessageCaption[];
extern const char kCameraChangeFailedText[];

// The folder of the test executable, with a trailing backslash.
std::wstring BinaryDirectory();
// <build>/out/, created when missing.
std::wstring OutputDirectory();

// One module loaded by path, and objects of its classes.
class ModuleClasses {
  public:
    explicit ModuleClasses(const std::wstring& path);
    ~ModuleClasses();
    ModuleClasses(const ModuleClasses&) = delete;
    ModuleClasses& operator=(const ModuleClasses&) = delete;

    HMODULE Module() const { return m_module; }
    // S_OK with a new object, else the failure of the class object.
    HRESULT Create(REFCLSID clsid, REFIID iid, void** object);
    // Registers the class object with COM for this process (so that a frame's
    // CoCreateInstance finds it); revoked by the destructor.
    HRESULT Register(REFCLSID clsid);
    void RevokeAll();
    HRESULT CanUnloadNow();

  private:
    HMODULE m_module = nullptr;
    std::vector<DWORD> m_registrations;
};

// A fresh folder under the temporary folder, removed with its files.
class ScratchDirectory {
  public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    const std::wstring& Path() const { return m_path; }
    bool CopyIn(const std::wstring& source, const std::wstring& newName);

  private:
    std::wstring m_path;
};

// Windows.
std::vector<HWND> ThreadWindows(DWORD threadId);
std::wstring WindowClass(HWND window);
std::string WindowText(HWND window);
// The first descendant of root with control id id.
HWND FindDescendant(HWND root, int id);
// The descendants of root of class className.
std::vector<HWND> FindDescendants(HWND root, const wchar_t* className);
// A visible top-level dialog of thread with this caption.
HWND FindDialog(DWORD threadId, const char* caption);

std::vector<std::string> ComboItems(HWND combo);
// The selected item's text; "" without a selection.
std::string ComboSelection(HWND combo);
// Selects index and tells the page as a user's choice does (CBN_SELCHANGE),
// by posting: the page may run a message box in answer.
void PostComboChoice(HWND page, int comboId, int index);

// Polls condition every 20 ms for at most timeoutMs; pumps this thread's
// messages while waiting when pump is set.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, bool pump = false);
void PumpMessages(DWORD milliseconds);

// Copies the screen's pixels of window into rgb (top row first).
bool CaptureWindow(HWND window, uint32_t* width, uint32_t* height, std::vector<uint8_t>* rgb);

// An IPropertyPageSite that counts status changes.
class TestPageSite : public IPropertyPageSite {
  public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP OnStatusChange(DWORD flags) override;
    STDMETHODIMP GetLocaleID(LCID* locale) override;
    STDMETHODIMP GetPageContainer(IUnknown** container) override;
    STDMETHODIMP TranslateAccelerator(MSG* message) override;

    LONG References() const { return m_references; }
    int dirtyChanges = 0;

  private:
    LONG m_references = 1;
};

// A graph holding filter with its capture pin connected to a Null Renderer.
class CaptureGraph {
  public:
    explicit CaptureGraph(IBaseFilter* filter);
    ~CaptureGraph();
    CaptureGraph(const CaptureGraph&) = delete;
    CaptureGraph& operator=(const CaptureGraph&) = delete;
    bool Connected() const { return m_connected; }

  private:
    IGraphBuilder* m_graph = nullptr;
    IBaseFilter* m_renderer = nullptr;
    bool m_connected = false;
};

// Works a modal property frame: Run shows the frame for object on the
// calling thread (OleCreatePropertyFrame with the "Camera Setup" page only)
// while the script runs on a second thread with the frame and the page found.
// Every wait is bounded; the frame is closed when the script ends, and a
// frame or page that never appears is a failure, not a hang.
class FrameDriver {
  public:
    // The script's view of the frame.
    HWND Frame() const { return m_frame; }
    HWND Page() const { return m_page; }
    HWND Item(int id) const { return GetDlgItem(m_page, id); }
    DWORD UiThread() const { return m_uiThread; }
    void Fail(const std::string& message);
    // Waits for condition, failing with what when it does not come true.
    bool Expect(const std::function<bool()>& condition, DWORD timeoutMs, const std::string& what);

    // Failures of the frame, the page and the script, in order.
    static std::vector<std::string> Run(IUnknown* object, const std::function<void(FrameDriver&)>& script);

  private:
    void Drive(const std::function<void(FrameDriver&)>& script);
    void CloseFrame();

    HWND m_frame = nullptr;
    HWND m_page = nullptr;
    DWORD m_uiThread = 0;
    volatile LONG m_frameReturned = 0;
    std::vector<std::string> m_failures;
    CRITICAL_SECTION m_lock;
};
