// The page object driven directly through IPropertyPage, as a frame drives
// it: a test site, the real filter, a parent window of our own. The page's
// module is a copy of the .ax in a scratch folder, with a recording stand-in
// for the configuration library beside it, so that every call the page makes
// on the dialog object is seen in order.
#include "PageTestSupport.h"

#include <string>

#include "quill/EmulationControl.h"

namespace {

typedef const char*(__cdecl* CallsFn)();
typedef int(__cdecl* LiveDialogsFn)();
typedef void(__cdecl* ResetFn)(int32_t);

class PageObject : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        m_oleInitialised = true;
        Quill::Emulation::GetEmulationControl().LoadDefaultProfiles();
    }

    void TearDown() override {
        if (m_parent) {
            DestroyWindow(m_parent);
        }
        if (m_filter) {
            EXPECT_EQ(0u, m_filter->Release());
        }
        if (m_fake) {
            FreeLibrary(m_fake);
        }
        delete m_pageModule;
        delete m_filterModule;
        if (m_oleInitialised) {
            OleUninitialize();
        }
        Quill::Emulation::GetEmulationControl().LoadDefaultProfiles();
    }

    // The page's module copied beside the fake library built as fakeName.
    void LoadPageModule(const wchar_t* fakeName) {
        ASSERT_TRUE(
            m_scratch.CopyIn(BinaryDirectory() + L"KorvelGenICamSource.ax", L"KorvelGenICamSource.ax"));
        ASSERT_TRUE(m_scratch.CopyIn(BinaryDirectory() + fakeName, L"OrelGenICamConfig.dll"));
        m_pageModule = new ModuleClasses(m_scratch.Path() + L"KorvelGenICamSource.ax");
        ASSERT_NE(nullptr, m_pageModule->Module());
        m_filterModule = new ModuleClasses(BinaryDirectory() + L"KorvelGenICamSource.ax");
        ASSERT_NE(nullptr, m_filterModule->Module());
        // Two modules: the page's copy finds the library beside itself.
        ASSERT_NE(m_pageModule->Module(), m_filterModule->Module());

        m_fake = LoadLibraryW((m_scratch.Path() + L"OrelGenICamConfig.dll").c_str());
        ASSERT_NE(nullptr, m_fake);
        m_calls =
            reinterpret_cast<CallsFn>(reinterpret_cast<void*>(GetProcAddress(m_fake, "FakeConfigCalls")));
        m_liveDialogs = reinterpret_cast<LiveDialogsFn>(
            reinterpret_cast<void*>(GetProcAddress(m_fake, "FakeConfigLiveDialogs")));
        m_reset =
            reinterpret_cast<ResetFn>(reinterpret_cast<void*>(GetProcAddress(m_fake, "FakeConfigReset")));
        ASSERT_TRUE(m_calls && m_liveDialogs && m_reset);
    }

    void CreateFilter() {
        ASSERT_EQ(S_OK, m_filterModule->Create(CLSID_CKorvelGenICamSource, IID_IBaseFilter,
                                               reinterpret_cast<void**>(&m_filter)));
    }

    IPropertyPage* CreatePage() {
        IPropertyPage* page = nullptr;
        EXPECT_EQ(S_OK, m_pageModule->Create(CLSID_KorvelCameraSetupPage, IID_IPropertyPage,
                                             reinterpret_cast<void**>(&page)));
        return page;
    }

    HWND Parent() {
        if (!m_parent) {
            m_parent = CreateWindowExW(0, L"STATIC", L"page parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20,
                                       700, 700, nullptr, nullptr, nullptr, nullptr);
        }
        return m_parent;
    }

    // The page's dialog inside the parent.
    HWND PageWindow() {
        const HWND combo = FindDescendant(Parent(), kCameraCombo);
        return combo ? GetParent(combo) : nullptr;
    }

    // The calls recorded since the last read.
    std::string TakeCalls() {
        const std::string calls = m_calls();
        m_reset(m_createResult);
        return calls;
    }

    void FailCreation(int32_t result) {
        m_createResult = result;
        m_reset(result);
    }

    // Activate into the parent and show: the frame's order.
    void ActivateAndShow(IPropertyPage* page) {
        const RECT rect = {10, 10, 610, 610};
        ASSERT_EQ(S_OK, page->Activate(Parent(), &rect, FALSE));
        ASSERT_EQ(S_OK, page->Show(SW_SHOW));
        ASSERT_NE(nullptr, PageWindow());
        EXPECT_TRUE(IsWindowVisible(PageWindow()));
    }

    ScratchDirectory m_scratch;
    ModuleClasses* m_pageModule = nullptr;
    ModuleClasses* m_filterModule = nullptr;
    IBaseFilter* m_filter = nullptr;
    HMODULE m_fake = nullptr;
    CallsFn m_calls = nullptr;
    LiveDialogsFn m_liveDialogs = nullptr;
    ResetFn m_reset = nullptr;
    int32_t m_createResult = 0;
    HWND m_parent = nullptr;
    bool m_oleInitialised = false;
};

const std::vector<std::string> kLevels = {"Beginner", "Expert", "Guru"};
const std::vector<std::string> kCameras = {kColourCamera, kMonoCamera};

}  // namespace

TEST_F(PageObject, AnswersThePropertyPageContract) {
    ASSERT_NO_FATAL_FAILURE(LoadPageModule(L"fake_orel_config.dll"));
    ASSERT_NO_FATAL_FAILURE(CreateFilter());
    IPropertyPage* page = CreatePage();
    ASSERT_NE(nullptr, page);

    // Title from the string table, size of dialog 101 (296 x 277 units).
    PROPPAGEINFO info = {};
    EXPECT_EQ(E_POINTER, page->GetPageInfo(nullptr));
    ASSERT_EQ(S_OK, page->GetPageInfo(&info));
    EXPECT_EQ(sizeof(PROPPAGEINFO), info.cb);
    ASSERT_NE(nullptr, info.pszTitle);
    EXPECT_STREQ(L"Camera Source", info.pszTitle);
    EXPECT_GT(info.size.cx, 296);
    EXPECT_GT(info.size.cy, 277);
    EXPECT_NEAR(296.0 / 277.0, static_cast<double>(info.size.cx) / info.size.cy, 0.1);
    CoTaskMemFree(info.pszTitle);

    // Site: one at a time, and none to let go of twice.
    TestPageSite site;
    EXPECT_EQ(E_UNEXPECTED, page->SetPageSite(nullptr));
    EXPECT_EQ(S_OK, page->SetPageSite(&site));
    EXPECT_EQ(2, site.References());
    EXPECT_EQ(E_UNEXPECTED, page->SetPageSite(&site));

    // Objects: one object that offers IKorvelGenICamSource.
    IUnknown* objects[2] = {m_filter, m_filter};
    EXPECT_EQ(E_UNEXPECTED, page->SetObjects(2, objects));
    EXPECT_EQ(E_POINTER, page->SetObjects(1, nullptr));
    IUnknown* siteObject = &site;
    EXPECT_EQ(E_NOINTERFACE, page->SetObjects(1, &siteObject));
    EXPECT_EQ(S_OK, page->SetObjects(0, nullptr));

    // Nothing to show, move or deactivate before Activate.
    const RECT rect = {0, 0, 500, 500};
    EXPECT_EQ(E_UNEXPECTED, page->Show(SW_SHOW));
    EXPECT_EQ(E_UNEXPECTED, page->Move(&rect));
    EXPECT_EQ(E_UNEXPECTED, page->Deactivate());
    EXPECT_EQ(E_POINTER, page->Activate(Parent(), nullptr, FALSE));
    EXPECT_EQ(E_UNEXPECTED, page->Apply());  // no object
    EXPECT_EQ(S_FALSE, page->IsPageDirty());
    EXPECT_EQ(E_NOTIMPL, page->Help(nullptr));
    EXPECT_EQ(E_NOTIMPL, page->TranslateAccelerator(nullptr));

    ASSERT_EQ(S_OK, page->SetObjects(1, objects));
    ASSERT_EQ(S_OK, page->Activate(Parent(), &rect, FALSE));
    EXPECT_EQ(E_UNEXPECTED, page->Activate(Parent(), &rect, FALSE));
    EXPECT_EQ(E_INVALIDARG, page->Show(SW_MINIMIZE));
    EXPECT_EQ(S_OK, page->Show(SW_SHOW));
    EXPECT_EQ(E_POINTER, page->Move(nullptr));
    const RECT moved = {30, 40, 530, 540};
    EXPECT_EQ(S_OK, page->Move(&moved));
    RECT placed = {};
    GetWindowRect(PageWindow(), &placed);
    MapWindowPoints(nullptr, Parent(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(30, placed.left);
    EXPECT_EQ(40, placed.top);
    EXPECT_EQ(S_FALSE, page->IsPageDirty());
    EXPECT_EQ(S_OK, page->Apply());
    EXPECT_EQ(S_OK, page->Deactivate());
    EXPECT_EQ(nullptr, PageWindow());
    EXPECT_EQ(S_OK, page->SetObjects(0, nullptr));
    EXPECT_EQ(S_OK, page->SetPageSite(nullptr));
    EXPECT_EQ(1, site.References());
    EXPECT_EQ(0, m_liveDialogs());
    EXPECT_EQ(0u, page->Release());
}

TEST_F(PageObject, HidingAndShowingRebuildsCombosAndRecreatesTheDialogObject) {
    ASSERT_NO_FATAL_FAILURE(LoadPageModule(L"fake_orel_config.dll"));
    ASSERT_NO_FATAL_FAILURE(CreateFilter());
    IPropertyPage* page = CreatePage();
    ASSERT_NE(nullptr, page);
    TestPageSite site;
    ASSERT_EQ(S_OK, page->SetPageSite(&site));
    IUnknown* object = m_filter;
    ASSERT_EQ(S_OK, page->SetObjects(1, &object));
    TakeCalls();

    // Activation creates the dialog object, puts it in the frame of control
    // 1002 and gives it the filter; the user-level combo shows its level.
    ASSERT_NO_FATAL_FAILURE(ActivateAndShow(page));
    const HWND window = PageWindow();
    EXPECT_EQ("create;attach(1002);source(set);getlevel;getlevel;", TakeCalls());
    EXPECT_EQ(1, m_liveDialogs());
    EXPECT_EQ(kCameras, ComboItems(GetDlgItem(window, kCameraCombo)));
    EXPECT_EQ(kColourCamera, ComboSelection(GetDlgItem(window, kCameraCombo)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, kCameraCombo)));
    EXPECT_EQ(kLevels, ComboItems(GetDlgItem(window, kUserLevelCombo)));
    EXPECT_EQ("Expert", ComboSelection(GetDlgItem(window, kUserLevelCombo)));

    // A user level goes to the dialog object.
    SendMessageA(GetDlgItem(window, kUserLevelCombo), CB_SETCURSEL, 2, 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(kUserLevelCombo, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, kUserLevelCombo)));
    EXPECT_EQ("setlevel(2);", TakeCalls());

    // Hidden: the object lets go of the filter, leaves the frame and is destroyed.
    ASSERT_EQ(S_OK, page->Show(SW_HIDE));
    EXPECT_EQ("source(null);attach(null);destroy;", TakeCalls());
    EXPECT_EQ(0, m_liveDialogs());
    EXPECT_EQ(S_FALSE, page->IsPageDirty());

    // Spoil both combos while hidden: showing fills them afresh, with a new object.
    SendMessageA(GetDlgItem(window, kCameraCombo), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("stale"));
    SendMessageA(GetDlgItem(window, kUserLevelCombo), CB_RESETCONTENT, 0, 0);
    ASSERT_EQ(S_OK, page->Show(SW_SHOW));
    EXPECT_EQ("create;attach(1002);source(set);getlevel;", TakeCalls());
    EXPECT_EQ(kCameras, ComboItems(GetDlgItem(window, kCameraCombo)));
    EXPECT_EQ(kLevels, ComboItems(GetDlgItem(window, kUserLevelCombo)));
    EXPECT_EQ("Expert", ComboSelection(GetDlgItem(window, kUserLevelCombo)));

    // Deactivation while shown takes the object down once.
    ASSERT_EQ(S_OK, page->Deactivate());
    EXPECT_EQ("source(null);attach(null);destroy;", TakeCalls());
    EXPECT_EQ(0, m_liveDialogs());
    EXPECT_EQ(S_OK, page->SetObjects(0, nullptr));
    EXPECT_EQ(S_OK, page->SetPageSite(nullptr));
    EXPECT_EQ(0u, page->Release());
    EXPECT_EQ(1, site.References());
    EXPECT_EQ("", TakeCalls());
}

TEST_F(PageObject, ReleasedWhileActiveTakesTheDialogObjectDown) {
    ASSERT_NO_FATAL_FAILURE(LoadPageModule(L"fake_orel_config.dll"));
    ASSERT_NO_FATAL_FAILURE(CreateFilter());
    IPropertyPage* page = CreatePage();
    ASSERT_NE(nullptr, page);
    IUnknown* object = m_filter;
    ASSERT_EQ(S_OK, page->SetObjects(1, &object));
    ASSERT_NO_FATAL_FAILURE(ActivateAndShow(page));
    TakeCalls();
    // A frame that forgets Deactivate and SetObjects(0): the filter's
    // reference and the dialog object still go with the page.
    EXPECT_EQ(0u, page->Release());
    EXPECT_EQ("source(null);attach(null);destroy;", TakeCalls());
    EXPECT_EQ(0, m_liveDialogs());
    EXPECT_EQ(nullptr, PageWindow());
}

TEST_F(PageObject, LibraryFailingAtOrdinalOneLeavesTheFrameEmpty) {
    ASSERT_NO_FATAL_FAILURE(LoadPageModule(L"fake_orel_config.dll"));
    ASSERT_NO_FATAL_FAILURE(CreateFilter());
    FailCreation(7);
    IPropertyPage* page = CreatePage();
    ASSERT_NE(nullptr, page);
    IUnknown* object = m_filter;
    ASSERT_EQ(S_OK, page->SetObjects(1, &object));
    ASSERT_NO_FATAL_FAILURE(ActivateAndShow(page));
    const HWND window = PageWindow();
    EXPECT_EQ("create;create;", TakeCalls());
    EXPECT_EQ(nullptr, GetWindow(GetDlgItem(window, kConfigFrame), GW_CHILD));
    // The cameras are there; the user level has no effect.
    EXPECT_EQ(kCameras, ComboItems(GetDlgItem(window, kCameraCombo)));
    EXPECT_EQ(kLevels, ComboItems(GetDlgItem(window, kUserLevelCombo)));
    EXPECT_EQ("", ComboSelection(GetDlgItem(window, kUserLevelCombo)));
    SendMessageA(GetDlgItem(window, kUserLevelCombo), CB_SETCURSEL, 0, 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(kUserLevelCombo, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, kUserLevelCombo)));
    ASSERT_EQ(S_OK, page->Show(SW_HIDE));
    EXPECT_EQ("", TakeCalls());
    ASSERT_EQ(S_OK, page->Deactivate());
    EXPECT_EQ(S_OK, page->SetObjects(0, nullptr));
    EXPECT_EQ(0u, page->Release());
}

TEST_F(PageObject, LibraryWithoutOrdinalOneLeavesTheFrameEmpty) {
    ASSERT_NO_FATAL_FAILURE(LoadPageModule(L"fake_orel_config_no_create.dll"));
    ASSERT_NO_FATAL_FAILURE(CreateFilter());
    IPropertyPage* page = CreatePage();
    ASSERT_NE(nullptr, page);
    IUnknown* object = m_filter;
    ASSERT_EQ(S_OK, page->SetObjects(1, &object));
    ASSERT_NO_FATAL_FAILURE(ActivateAndShow(page));
    const HWND window = PageWindow();
    EXPECT_EQ("", TakeCalls());
    EXPECT_EQ(nullptr, GetWindow(GetDlgItem(window, kConfigFrame), GW_CHILD));
    EXPECT_EQ(kCameras, ComboItems(GetDlgItem(window, kCameraCombo)));
    ASSERT_EQ(S_OK, page->Deactivate());
    EXPECT_EQ(S_OK, page->SetObjects(0, nullptr));
    EXPECT_EQ(0u, page->Release());
}

TEST_F(PageObject, IdentifiersDifferingOnlyInCaseAreDistinctItems) {
    const std::string profile =
        "[transport]\nname = Bench\ndevice_class = Bench\n"
        "[camera]\ntransport = Bench\nserial = cam1\nmodel = KV-M640\nmax_width = 640\nmax_height = 480\n"
        "pixel_formats = Mono8\n"
        "[camera]\ntransport = Bench\nserial = CAM1\nmodel = KV-M640\nmax_width = 640\nmax_height = 480\n"
        "pixel_formats = Mono8\n";
    GenICam::gcstring error;
    ASSERT_TRUE(Quill::Emulation::GetEmulationControl().LoadProfiles(profile.c_str(), &error))
        << error.c_str();
    ASSERT_NO_FATAL_FAILURE(LoadPageModule(L"fake_orel_config.dll"));
    ASSERT_NO_FATAL_FAILURE(CreateFilter());
    IKorvelGenICamSource* source = nullptr;
    ASSERT_EQ(S_OK, m_filter->QueryInterface(IID_IKorvelGenICamSource, reinterpret_cast<void**>(&source)));

    IPropertyPage* page = CreatePage();
    ASSERT_NE(nullptr, page);
    IUnknown* object = m_filter;
    ASSERT_EQ(S_OK, page->SetObjects(1, &object));
    ASSERT_NO_FATAL_FAILURE(ActivateAndShow(page));
    const HWND combo = GetDlgItem(PageWindow(), kCameraCombo);
    EXPECT_EQ(2u, ComboItems(combo).size());

    // Each camera in turn, chosen elsewhere: the combo follows to the item
    // with exactly that text.
    for (const wchar_t* cameraId : {L"Korvel KV-M640 (CAM1)", L"Korvel KV-M640 (cam1)"}) {
        BSTR text = SysAllocString(cameraId);
        EXPECT_EQ(S_OK, source->SelectCamera(text));
        SysFreeString(text);
        const std::wstring wide(cameraId);
        const std::string expected(wide.begin(), wide.end());
        EXPECT_TRUE(WaitUntil([&] { return ComboSelection(combo) == expected; }, 3000, true))
            << "the combo shows " << ComboSelection(combo) << ", not " << expected;
    }
    ASSERT_EQ(S_OK, page->Deactivate());
    EXPECT_EQ(S_OK, page->SetObjects(0, nullptr));
    EXPECT_EQ(0u, page->Release());
    source->Release();
}
