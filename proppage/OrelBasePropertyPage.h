// COrelBasePropertyPage: the in-house base of our property pages. It turns the
// dialog's messages into one virtual handler each (WM_COMMAND further by
// notification code), keeps the page's dirty flag in step with its site, and
// reads and writes numbers and check marks of dialog items.
#pragma once

#include <windows.h>

#include "baseclasses/BasePropertyPage.h"

class COrelBasePropertyPage : public CBasePropertyPage {
  public:
    COrelBasePropertyPage(const TCHAR* pName, LPUNKNOWN pUnk, int dialogId, int titleId);

    INT_PTR OnReceiveMessage(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    // Message handlers; the defaults do nothing.
    virtual BOOL OnInitDialog();
    virtual void OnShowWindow(BOOL show, UINT status);
    virtual void OnTimer(UINT_PTR timerId);
    // Dispatches by notification code; TRUE when a handler was called.
    virtual BOOL OnCommand(int id, HWND control, UINT notification);
    virtual void OnDestroy();
    virtual void OnPaint();
    virtual void OnHScroll(HWND control, UINT code, int position);
    virtual void OnVScroll(HWND control, UINT code, int position);
    virtual void OnButtonClicked(HWND control, int id);
    virtual void OnEditChange(HWND control, int id);
    virtual void OnSelChange(HWND control, int id);
    virtual void OnKillFocus(HWND control, int id);
    // Marks the page dirty and tells the frame, which enables its Apply button.
    virtual void SetDirty();

    // Value accessors of dialog items: with write FALSE they read the item's
    // text (at most 260 characters) into *value, with write TRUE they show
    // *value in it. FALSE when the item is missing, the value pointer is null
    // or the text is not a whole number (or a number, for the floating-point
    // accessors) in range; *value is then left as it was.
    virtual BOOL DialogItemValue(BOOL write, int id, SHORT* value);
    virtual BOOL DialogItemValue(BOOL write, int id, LONG* value);
    virtual BOOL DialogItemValue(BOOL write, int id, LONGLONG* value);
    // A check box's state through BM_GETCHECK and BM_SETCHECK.
    virtual BOOL DialogItemCheck(BOOL write, int id, BOOL* checked);
    virtual BOOL DialogItemValue(BOOL write, int id, double* value);
    virtual BOOL DialogItemValue(BOOL write, int id, float* value);

  protected:
    // How a floating-point value is shown in an edit field.
    const char* m_doubleFormat;

  private:
    BOOL ReadItemText(int id, char* text, int size) const;
    BOOL ReadInteger(int id, LONGLONG minimum, LONGLONG maximum, LONGLONG* value) const;
};
