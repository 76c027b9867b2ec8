// CPropPage: the "Camera Setup" page. It lists the filter's cameras in combo
// 1001 and switches the filter's camera when the user picks another, follows
// a camera change made elsewhere on a 500 ms timer, and embeds the GenICam
// feature dialog of OrelGenICamConfig.dll in the frame of control 1002 with a
// user level chosen in combo 103. It talks to the filter only through
// IKorvelGenICamSource; everything runs on the property frame's thread.
#pragma once

#include <windows.h>

#include "proppage/ConfigDialogLibrary.h"
#include "proppage/OrelBasePropertyPage.h"

struct IKorvelGenICamSource;

class CPropPage : public COrelBasePropertyPage {
  public:
    // The factory's creation function: E_OUTOFMEMORY in *result and null when
    // the page cannot be allocated.
    static CUnknown* WINAPI CreateInstance(LPUNKNOWN outer, HRESULT* result);
    ~CPropPage() override;

    HRESULT OnConnect(IUnknown* pUnknown) override;
    HRESULT OnDisconnect() override;
    HRESULT OnActivate() override;
    HRESULT OnDeactivate() override;
    HRESULT OnApplyChanges() override;

    BOOL OnInitDialog() override;
    void OnShowWindow(BOOL show, UINT status) override;
    void OnTimer(UINT_PTR id) override;
    BOOL OnCommand(int id, HWND control, UINT notification) override;
    void OnSelChange(HWND control, int id) override;

  private:
    explicit CPropPage(LPUNKNOWN outer);

    void FillCameraList();
    void SelectCameraItem(const char* cameraId);
    void CameraSelected();
    void UserLevelSelected();
    void DestroyConfigDialog();

    // The filter, held between OnConnect and OnDisconnect.
    IKorvelGenICamSource* source;
    // The dialog object of the configuration library, while the page shows it.
    IOrelGenICamConfigDialog* configDialog;
    // The running follow-the-camera timer, 0 when none.
    UINT_PTR timerId;
    ConfigDialogLibrary configLibrary;
};
