// CAMVideoProcAmp: the filter's IAMVideoProcAmp. Brightness and gain are
// both mapped onto the GenICam feature GainRaw, unconverted; the 64-bit
// feature value travels in the 32-bit long.
//
// The object is its own COM identity (never aggregated with the filter) and
// a configuration callback of the filter, through which it learns the active
// device. Its lifetime is its own count: the filter holds one reference from
// creation and, when it is destroyed, detaches the object and drops that
// reference. A client that still holds the interface then gets E_FAIL and frees the object with its last
// Release.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "KorvelGenICamSource_h.h"
#include "baseclasses/Unknown.h"
#include "controls/ControlDeviceLink.h"

class CAMVideoProcAmp : public CUnknown, public IAMVideoProcAmp, public IKorvelGenICamConfigCallback {
  public:
    // filterOwner: the filter's owning IUnknown. The new object holds one
    // reference, the filter's, and is registered as a configuration callback.
    explicit CAMVideoProcAmp(IUnknown* filterOwner);

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

    // IAMVideoProcAmp
    STDMETHODIMP GetRange(long Property, long* pMin, long* pMax, long* pSteppingDelta, long* pDefault,
                          long* pCapsFlags) override;
    STDMETHODIMP Set(long Property, long lValue, long Flags) override;
    STDMETHODIMP Get(long Property, long* lValue, long* Flags) override;

    // IKorvelGenICamConfigCallback
    STDMETHODIMP DeviceValid(LONG Device) override;
    STDMETHODIMP DeviceInvalid() override;

  private:
    ~CAMVideoProcAmp() override;

    // Steps of GetRange for the gain, with the link's lock held.
    HRESULT SelectAllGainsLocked(GenApi::INodeMap* nodeMap);
    HRESULT GetGainLimitsLocked(GenApi::INodeMap* nodeMap, long* minimum, long* maximum);
    HRESULT GetGainLocked(long* value);

    CControlDeviceLink m_link;
};
