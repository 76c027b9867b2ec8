// CAMCameraControl: the filter's IAMCameraControl. Only the exposure is
// mapped, onto the GenICam feature ExposureTimeAbs (microseconds), in whole
// base-2 logarithms of seconds: -3 is 125000 microseconds, 0 one second.
//
// The object is its own COM identity (never aggregated with the filter) and
// a configuration callback of the filter, through which it learns the active
// device. Its lifetime is its own count: the filter holds one reference from
// creation and, when it is destroyed, detaches the object and drops that
// reference. A client that still holds the interface then gets E_FAIL (or
// E_NOTIMPL from GetRange) and frees the object with its last Release.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "KorvelGenICamSource_h.h"
#include "baseclasses/Unknown.h"
#include "controls/ControlDeviceLink.h"

class CAMCameraControl : public CUnknown, public IAMCameraControl, public IKorvelGenICamConfigCallback {
  public:
    // filterOwner: the filter's owning IUnknown. The new object holds one
    // reference, the filter's, and is registered as a configuration callback.
    explicit CAMCameraControl(IUnknown* filterOwner);

    // For the filter's destructor: unregisters, forgets the filter and the
    // device. The filter then drops its reference with NonDelegatingRelease.
    void Detach();

    // IUnknown of both interfaces: always the object's own.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        return NonDelegatingQueryInterface(riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return NonDelegatingAddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return NonDelegatingRelease(); }

    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) NonDelegatingAddRef() override;
    // 0 without change when the count is already below 1; frees the object
    // when the last reference goes.
    STDMETHODIMP_(ULONG) NonDelegatingRelease() override;

    // IAMCameraControl
    STDMETHODIMP GetRange(long Property, long* pMin, long* pMax, long* pSteppingDelta, long* pDefault,
                          long* pCapsFlags) override;
    STDMETHODIMP Set(long Property, long lValue, long Flags) override;
    STDMETHODIMP Get(long Property, long* lValue, long* Flags) override;

    // IKorvelGenICamConfigCallback
    STDMETHODIMP DeviceValid(LONG Device) override;
    STDMETHODIMP DeviceInvalid() override;

  private:
    ~CAMCameraControl() override;

    // Steps of GetRange for the exposure, with the link's lock held.
    HRESULT SelectTimedExposureLocked(GenApi::INodeMap* nodeMap);
    HRESULT ClampExposureLocked(GenApi::INodeMap* nodeMap, long* minimum, long* maximum);
    HRESULT GetExposureLocked(long* value);

    CControlDeviceLink m_link;
};
