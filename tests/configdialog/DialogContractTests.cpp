// The library's binary contract: ordinals 1 and 2 and the dialog object's
// operations, as the "Camera Setup" page calls them.
#include "DialogTestSupport.h"

namespace {

// An IKorvelGenICamSource that is not the filter: no configuration control,
// so the dialog cannot reach a device through it.
class LoneSource : public IKorvelGenICamSource {
  public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) {
            return E_POINTER;
        }
        if (riid == IID_IUnknown || riid == IID_IKorvelGenICamSource) {
            *ppv = static_cast<IKorvelGenICamSource*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_references; }
    STDMETHODIMP_(ULONG) Release() override { return --m_references; }
    STDMETHODIMP GetCameraCount(LONG* count) override { return count ? (*count = 0, S_OK) : E_POINTER; }
    STDMETHODIMP GetCameraID(LONG, BSTR*) override { return E_INVALIDARG; }
    STDMETHODIMP GetSelectedCamera(BSTR*) override { return E_FAIL; }
    STDMETHODIMP SelectCamera(BSTR) override { return E_INVALIDARG; }
    ULONG References() const { return m_references; }

  private:
    ULONG m_references = 1;
};

}  // namespace

TEST_F(DialogTest, OrdinalsAndOperationsKeepTheirContract) {
    EXPECT_NE(0, m_create(nullptr));
    m_destroy(nullptr);  // ignored

    IOrelGenICamConfigDialog* dialog = NewDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(kOrelGenICamConfigVersion, dialog->GetInterfaceVersion());
    EXPECT_EQ(nullptr, dialog->GetWindow());
    EXPECT_EQ(0, dialog->Refresh());

    // User levels 0 to 2; anything else is refused and changes nothing.
    EXPECT_EQ(0, dialog->GetUserLevel());
    for (int32_t level : {0, 1, 2}) {
        EXPECT_EQ(0, dialog->SetUserLevel(level));
        EXPECT_EQ(level, dialog->GetUserLevel());
    }
    EXPECT_NE(0, dialog->SetUserLevel(3));
    EXPECT_NE(0, dialog->SetUserLevel(-1));
    EXPECT_EQ(2, dialog->GetUserLevel());

    // A parent that is no window is refused.
    EXPECT_NE(0, dialog->AttachWindow(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7ff0))));
    EXPECT_EQ(nullptr, dialog->GetWindow());

    // Attached: a child of the host with every control of the editor.
    ASSERT_EQ(0, dialog->AttachWindow(m_host));
    HWND window = dialog->GetWindow();
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(m_host, GetParent(window));
    EXPECT_TRUE(IsWindowVisible(window));
    for (int id : {kIdFeatureList, kIdValueEdit, kIdEnumCombo, kIdBoolCheck, kIdApplyButton, kIdInfoText,
                   kIdStatusText}) {
        EXPECT_NE(nullptr, GetDlgItem(window, id)) << "control " << id;
    }
    RECT host = {}, own = {};
    GetClientRect(m_host, &host);
    GetClientRect(window, &own);
    EXPECT_EQ(host.right - host.left, own.right - own.left);
    EXPECT_EQ(host.bottom - host.top, own.bottom - own.top);
    // Without a source the list is empty.
    EXPECT_TRUE(DialogView(window).Rows().empty());
    EXPECT_EQ(0, dialog->Refresh());

    // Detaching destroys the window; attaching again makes a new one.
    EXPECT_EQ(0, dialog->AttachWindow(nullptr));
    EXPECT_EQ(nullptr, dialog->GetWindow());
    EXPECT_FALSE(IsWindow(window));
    ASSERT_EQ(0, dialog->AttachWindow(m_host));
    window = dialog->GetWindow();
    ASSERT_NE(nullptr, window);

    // Destroyed while attached: the window goes with it. A second destruction
    // of the same pointer is ignored.
    IOrelGenICamConfigDialog* destroyed = dialog;
    DestroyDialog(dialog);
    EXPECT_FALSE(IsWindow(window));
    m_destroy(destroyed);
    Pump(50);
}

TEST_F(DialogTest, SurvivesItsHostWindowGoingFirst) {
    IBaseFilter* filter = CreateSource();
    ASSERT_NE(nullptr, filter);
    IOrelGenICamConfigDialog* dialog = OpenDialog(filter, 1);
    ASSERT_NE(nullptr, dialog);
    HWND frame = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_BLACKFRAME, 10, 10, 423, 362,
                                 m_host, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, frame);
    // Moved into a frame like the property page's, then the frame is
    // destroyed under it without a detach.
    ASSERT_EQ(0, dialog->AttachWindow(frame));
    HWND window = dialog->GetWindow();
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(frame, GetParent(window));
    EXPECT_FALSE(DialogView(window).Rows().empty());
    DestroyWindow(frame);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(nullptr, dialog->GetWindow());
    Pump(600);  // a refresh tick and any device notification find no window
    EXPECT_EQ(0, dialog->Refresh());
    // It can be attached again and still shows the camera.
    ASSERT_EQ(0, dialog->AttachWindow(m_host));
    EXPECT_EQ("P1", DialogView(dialog->GetWindow()).ValueOf("DeviceSerialNumber"));
    DestroyDialog(dialog);
    EXPECT_EQ(0u, filter->Release());
}

TEST_F(DialogTest, HoldsOneReferenceOnItsSourceAndGivesItBack) {
    IBaseFilter* filter = CreateSource();
    ASSERT_NE(nullptr, filter);
    IKorvelGenICamSource* source = SourceOf(filter);
    ASSERT_NE(nullptr, source);
    const ULONG before = RefCount(source);

    IOrelGenICamConfigDialog* dialog = NewDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(0, dialog->SetSource(source));
    EXPECT_EQ(before + 1, RefCount(source));
    EXPECT_EQ(0, dialog->SetSource(source));  // the same source again takes no second reference
    EXPECT_EQ(before + 1, RefCount(source));
    ASSERT_EQ(0, dialog->AttachWindow(m_host));
    EXPECT_FALSE(DialogView(dialog->GetWindow()).Rows().empty());
    EXPECT_EQ(0, dialog->SetSource(nullptr));
    EXPECT_EQ(before, RefCount(source));
    EXPECT_TRUE(DialogView(dialog->GetWindow()).Rows().empty());

    // An object without the configuration control is held but shows nothing.
    LoneSource lone;
    EXPECT_NE(0, dialog->SetSource(&lone));
    EXPECT_EQ(2u, lone.References());
    EXPECT_TRUE(DialogView(dialog->GetWindow()).Rows().empty());
    EXPECT_FALSE(DialogView(dialog->GetWindow()).Text(kIdStatusText).empty());

    // Destroyed with a source and a window: both are let go.
    EXPECT_EQ(0, dialog->SetSource(source));
    DestroyDialog(dialog);
    EXPECT_EQ(1u, lone.References());
    EXPECT_EQ(before, RefCount(source));
    source->Release();
    EXPECT_EQ(0u, filter->Release());
}
