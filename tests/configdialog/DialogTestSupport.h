// Helpers of the feature dialog tests. The dialog library is loaded from
// beside the tests and driven through its two ordinals; its window is hosted
// in a plain top-level window of the test, on the test's thread, so every
// wait pumps that thread's messages (the dialog's timer and the device
// notifications arrive as messages). The filter comes from the built module
// as in the pin tests, with two emulated cameras.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <functional>
#include <string>
#include <vector>

#include "KorvelGenICamSource_h.h"
#include "PinTestSupport.h"
#include "configdialog/ConfigDialogControls.h"
#include "configdialog/OrelGenICamConfig.h"

namespace Quill {
class IQuillDevice;
}  // namespace Quill

// Camera P1, "Korvel KV-C640 (P1)": 640 x 480, Mono8 and BayerRG8, exposure
// 20 .. 1000000 us (10000), gain 0 .. 1000, limited to 30 frames per second.
// Camera P2, "Korvel KV-M320 (P2)": 320 x 240, Mono8, exposure 50 .. 500000
// us (2000).
std::string DialogCameraProfile();
std::wstring DialogCameraId(const char* serial);

// The reference count an object reports, without changing it.
ULONG RefCount(IUnknown* object);

// Pumps the thread's messages for at least the given time.
void Pump(DWORD milliseconds);
// Pumps until the condition holds or the time is up; true when it held.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

// A row of the dialog's feature list.
struct ListRow {
    std::string name;
    std::string value;
    LPARAM param = 0;
};

// The dialog window and its controls, read and driven as a user would.
class DialogView {
  public:
    explicit DialogView(HWND window) : m_window(window) {}

    HWND Control(int id) const { return GetDlgItem(m_window, id); }
    std::vector<ListRow> Rows() const;
    // The names of the feature rows (not the category rows).
    std::vector<std::string> FeatureNames() const;
    // The list's value of a feature, or "<missing>".
    std::string ValueOf(const std::string& name) const;
    // Selects a feature row; false when it is not listed.
    bool Select(const std::string& name) const;
    std::string Text(int id) const;
    void SetEditText(const std::string& text) const;
    // What a click on the Apply / Execute button tells the dialog; sent
    // whether or not the button is enabled, so that a test can check that the
    // dialog itself refuses what it shows as read-only.
    void ClickApply() const;
    // Picks an entry of the enumeration combo as a user would (the combo's
    // selection change reaches the dialog).
    bool PickEntry(const std::string& entry) const;
    bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
    bool EditReadOnly() const {
        return (GetWindowLongW(Control(kIdValueEdit), GWL_STYLE) & ES_READONLY) != 0;
    }

  private:
    HWND m_window;
};

class DialogTest : public PinTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A new dialog object; fails the case unless ordinal 1 gives one.
    IOrelGenICamConfigDialog* NewDialog();
    // A dialog attached to the host window, given the filter's source.
    IOrelGenICamConfigDialog* OpenDialog(IBaseFilter* filter, int32_t level);
    void DestroyDialog(IOrelGenICamConfigDialog*& dialog);

    // The filter's active SDK device, through the filter module's export; it
    // is valid while the filter keeps that camera open.
    static Quill::IQuillDevice* ActiveDevice(IBaseFilter* filter);
    static IKorvelGenICamSource* SourceOf(IBaseFilter* filter);

    HMODULE m_library = nullptr;
    OrelCreateConfigDialogFn m_create = nullptr;
    OrelDestroyConfigDialogFn m_destroy = nullptr;
    HWND m_host = nullptr;

  private:
    // Dialogs not yet destroyed; TearDown destroys what a failed case left.
    std::vector<IOrelGenICamConfigDialog*> m_dialogs;
};
