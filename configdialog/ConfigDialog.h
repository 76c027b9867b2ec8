// CConfigDialog: the GenICam feature dialog behind OrelGenICamConfig.dll's
// dialog object. Its window, a child filling the host's window, lists the
// active camera's features at the user level with their values, edits the
// selected one and re-reads everything every kRefreshIntervalMs.
//
// Threads: the operations and the window run on the host's window thread.
// The device arrives through CDialogDeviceCallback on any thread and reaches
// the window as a posted message; feature accesses happen under a lease of
// that callback and never around a call into the filter.
#pragma once

#include <windows.h>

#include <string>

#include "configdialog/DialogDeviceCallback.h"
#include "configdialog/FeatureCatalog.h"
#include "configdialog/OrelGenICamConfig.h"
#include "configdialog/SourceLink.h"

class CConfigDialog final : public IOrelGenICamConfigDialog {
  public:
    explicit CConfigDialog(HINSTANCE instance);
    ~CConfigDialog();
    CConfigDialog(const CConfigDialog&) = delete;
    CConfigDialog& operator=(const CConfigDialog&) = delete;

    int32_t GetInterfaceVersion() override;
    HWND GetWindow() override;
    int32_t AttachWindow(HWND parent) override;
    int32_t Refresh() override;
    int32_t SetSource(IKorvelGenICamSource* source) override;
    int32_t SetUserLevel(int32_t level) override;
    int32_t GetUserLevel() override;

    // Registers the window class in this module; false when that fails.
    static bool RegisterWindowClass(HINSTANCE instance);

  private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void Layout();
    // The window is gone (destroyed by us or with its host).
    void ForgetWindow();

    // Reads the feature tree afresh and fills the list, keeping the
    // selected feature when it is still shown.
    void Rebuild();
    // Reads values and access modes again; rebuilds when the device changed.
    void RefreshValues();
    void FillList();
    void SetRowText(size_t index);
    // The editors for the selected row; keepTyping leaves a value the user
    // is typing in the edit alone.
    void UpdateEditors(bool keepTyping);
    void OnSelectionChanged();
    void OnApply();
    void SetStatus(const std::string& text);
    // Tells the user why the source gives no device (a failed Register).
    void ShowLinkProblem(HRESULT linked);
    const FeatureRow* SelectedRow() const;

    HINSTANCE m_instance;
    CDialogDeviceCallback* m_callback;  // one reference, ours
    CSourceLink m_link;
    CFeatureCatalog m_catalog;
    int32_t m_level = 0;
    int m_selected = -1;  // catalogue row of the selection
    bool m_filling = false;
    HWND m_window = nullptr;
    HWND m_list = nullptr;
    HWND m_edit = nullptr;
    HWND m_combo = nullptr;
    HWND m_check = nullptr;
    HWND m_apply = nullptr;
    HWND m_info = nullptr;
    HWND m_status = nullptr;
    HFONT m_font = nullptr;      // the host's, not owned
    std::string m_comboFeature;  // whose entries the combo holds
};
