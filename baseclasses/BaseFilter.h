// CBaseFilter: IBaseFilter (with IMediaFilter and IPersist) and IAMovieSetup
// for a filter whose pins derive from CBasePin.
//
// The derived filter provides its pins (GetPinCount, GetPin) and the state
// lock (a CCritSec it owns). Stop, Pause and Run change state under that
// lock and activate or deactivate every connected pin on the way.
#pragma once

#include <windows.h>
#include <strmif.h>

#include "baseclasses/CritSec.h"
#include "baseclasses/SetupTypes.h"
#include "baseclasses/Unknown.h"

class CBasePin;

class CBaseFilter : public CUnknown, public IBaseFilter, public IAMovieSetup {
    friend class CBasePin;

  public:
    CBaseFilter(const TCHAR* pName, LPUNKNOWN pUnk, CCritSec* pLock, REFCLSID clsid);
    // phr is not written: nothing here can fail.
    CBaseFilter(const TCHAR* pName, LPUNKNOWN pUnk, CCritSec* pLock, REFCLSID clsid, HRESULT* phr);
    ~CBaseFilter() override;

    DECLARE_IUNKNOWN
    // IBaseFilter, IMediaFilter, IPersist, IAMovieSetup, IUnknown
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IPersist: the clsid given at construction.
    STDMETHODIMP GetClassID(CLSID* pClsID) override;

    // IMediaFilter
    // S_OK with the current state (E_POINTER for a null State).
    STDMETHODIMP GetState(DWORD dwMSecs, FILTER_STATE* State) override;
    // Keeps a reference on the clock (NULL drops it).
    STDMETHODIMP SetSyncSource(IReferenceClock* pClock) override;
    STDMETHODIMP GetSyncSource(IReferenceClock** pClock) override;
    // Inactive on every connected pin, then stopped; the first failure is
    // returned but the filter is stopped regardless.
    STDMETHODIMP Stop() override;
    // From stopped: Active on every connected pin; when one fails, the pins
    // already activated are deactivated again and the state stays stopped.
    STDMETHODIMP Pause() override;
    // Pauses first when stopped, then Run(tStart) on every connected pin.
    STDMETHODIMP Run(REFERENCE_TIME tStart) override;

    // IBaseFilter
    STDMETHODIMP EnumPins(IEnumPins** ppEnum) override;
    // The pin whose name equals Id, with a reference; VFW_E_NOT_FOUND.
    STDMETHODIMP FindPin(LPCWSTR Id, IPin** ppPin) override;
    // The name given by JoinFilterGraph and the graph, with a reference.
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* pInfo) override;
    // Keeps the graph and its IMediaEventSink without references (the graph
    // holds the filter; a reference back would keep both alive for ever).
    STDMETHODIMP JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pName) override;
    STDMETHODIMP QueryVendorInfo(LPWSTR* pVendorInfo) override;  // E_NOTIMPL

    // IAMovieSetup: registers or removes the server and the filter described
    // by GetSetupData in the "DirectShow Filters" category; S_FALSE when
    // there is no setup data.
    STDMETHODIMP Register() override;
    STDMETHODIMP Unregister() override;

    // The derived filter's pins: GetPin(n) for 0 <= n < GetPinCount(), no
    // reference added; NULL for any other n.
    virtual int GetPinCount() = 0;
    virtual CBasePin* GetPin(int n) = 0;

    // A filter whose set of pins changes bumps the version so that its pin
    // enumerators report VFW_E_ENUM_OUT_OF_SYNC.
    virtual LONG GetPinVersion();
    void IncrementPinVersion();

    virtual LPAMOVIESETUP_FILTER GetSetupData() { return nullptr; }

    // The clock's time minus the start time given to Run: S_OK, or
    // VFW_E_NO_CLOCK without a clock.
    virtual HRESULT StreamTime(REFERENCE_TIME& rtStream);

    BOOL IsActive() const { return m_State != State_Stopped ? TRUE : FALSE; }
    BOOL IsStopped() const { return m_State == State_Stopped ? TRUE : FALSE; }

    // Sends an event to the graph's IMediaEventSink; EC_COMPLETE carries
    // this filter as its second parameter. E_NOTIMPL outside a graph.
    HRESULT NotifyEvent(long EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2);

    IFilterGraph* GetFilterGraph() const { return m_pGraph; }  // no reference added
    // Asks the graph to reconnect pPin, with pmt when IFilterGraph2 is there.
    HRESULT ReconnectPin(IPin* pPin, const AM_MEDIA_TYPE* pmt);

  protected:
    FILTER_STATE m_State;
    IReferenceClock* m_pClock;
    REFERENCE_TIME m_tStart;
    CLSID m_clsid;
    CCritSec* const m_pLock;
    WCHAR* m_pName;
    IFilterGraph* m_pGraph;
    IMediaEventSink* m_pSink;
    volatile LONG m_PinVersion;
};
