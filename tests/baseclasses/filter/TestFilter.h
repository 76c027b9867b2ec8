// The test subject: a filter made from the base classes with a configurable
// number of CTestOutputPin pins and the probe interface the tests steer it
// through.
#pragma once

#include <memory>
#include <vector>

#include "baseclasses/BaseClasses.h"

#include "TestFilterInterface.h"
#include "TestOutputPin.h"

// The setup data of CLSID_KorvelTestSource (defined by the module).
extern const AMOVIESETUP_FILTER sudTestSource;

class CTestFilter : public CBaseFilter, public ITestFilterProbe {
  public:
    // Creation functions of the module's templates.
    static CUnknown* WINAPI CreateSource(LPUNKNOWN outer, HRESULT* phr);
    static CUnknown* WINAPI CreatePinless(LPUNKNOWN outer, HRESULT* phr);
    static CUnknown* WINAPI CreateFailing(LPUNKNOWN outer, HRESULT* phr);
    static CUnknown* WINAPI CreateNoMemory(LPUNKNOWN outer, HRESULT* phr);

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    int GetPinCount() override;
    CBasePin* GetPin(int n) override;
    LPAMOVIESETUP_FILTER GetSetupData() override;

    // ITestFilterProbe
    STDMETHODIMP GetPinCounters(int pin, TestPinCounters* counters) override;
    STDMETHODIMP SetPinCount(int count) override;
    STDMETHODIMP FailNextActive(int pin, HRESULT hr) override;
    STDMETHODIMP DeliverSample(int pin) override;
    STDMETHODIMP SendEvent(long code, LONG_PTR param1, LONG_PTR param2) override;
    STDMETHODIMP GetStreamTime(REFERENCE_TIME* streamTime) override;
    STDMETHODIMP BumpMediaTypeVersion(int pin) override;

  private:
    CTestFilter(LPUNKNOWN outer, HRESULT* phr, REFCLSID clsid, int pinCount, const AMOVIESETUP_FILTER* setup);
    static CUnknown* Create(LPUNKNOWN outer, HRESULT* phr, REFCLSID clsid, int pinCount,
                            const AMOVIESETUP_FILTER* setup);
    HRESULT CreatePins(int count);
    CTestOutputPin* PinAt(int pin);

    CCritSec m_stateLock;
    std::vector<std::unique_ptr<CTestOutputPin>> m_pins;
    const AMOVIESETUP_FILTER* const m_setup;
};
