// CSourceLink: the dialog's tie to the filter whose active device it edits.
//
// The link holds one reference on the filter while the dialog has it as its
// source (and only that one: the configuration control is asked for
// whenever it is needed). While the dialog has a window the link is also
// registered: it has found the filter module's KorvelResolveDeviceValue (in
// the module that holds the filter's interface table), registered the
// dialog's callback with the filter and taken the device active then.
// Registering and unregistering call the filter, so they run only while no
// lease of the callback is held.
#pragma once

#include <windows.h>

#include "KorvelGenICamSource_h.h"
#include "configdialog/DialogDeviceCallback.h"

class CSourceLink {
  public:
    explicit CSourceLink(CDialogDeviceCallback* callback) : m_callback(callback) {}
    ~CSourceLink() { Hold(nullptr); }
    CSourceLink(const CSourceLink&) = delete;
    CSourceLink& operator=(const CSourceLink&) = delete;

    // Unregisters, then holds source (null: none) instead of the one before.
    void Hold(IKorvelGenICamSource* source);
    IKorvelGenICamSource* Source() const { return m_source; }

    // Registers the callback with the held source. S_OK when registered (the
    // device may still be none) or already registered; S_FALSE without a
    // source; E_NOINTERFACE when the source offers no
    // IKorvelGenICamConfigControl or its module no resolver; the result of
    // SetConfigCallback when that fails.
    HRESULT Register();
    // Removes the callback from the source and forgets the device.
    void Unregister();
    // S_OK when the held source could be registered, else as Register.
    HRESULT CheckSource() const;

    // The resolver exported by the module that implements object, or null.
    static KorvelDeviceResolver FindResolver(IUnknown* object);

  private:
    // The source's configuration control, with a reference; null when none.
    IKorvelGenICamConfigControl* ControlOf() const;

    CDialogDeviceCallback* m_callback;  // not counted: the dialog holds it
    IKorvelGenICamSource* m_source = nullptr;
    LONG m_cookie = -1;  // -1: not registered
};
