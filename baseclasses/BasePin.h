// CBasePin: IPin and IQualityControl for one pin of a CBaseFilter.
//
// A pin lives exactly as long as its filter: its AddRef and Release go to the
// filter, and the filter deletes its pins when it is destroyed. The pin's
// lock is the filter's state lock, so connecting and state changes are
// serialised with each other.
//
// Connection: Connect agrees a media type with the receiving pin (a fully
// specified type is tried alone; otherwise the receiver's types and ours
// are tried, matched against any partial type given), calling CheckConnect,
// CheckMediaType, SetMediaType and, once the receiver accepted,
// CompleteConnect; any failure after CheckConnect ends in BreakConnect.
#pragma once

#include <windows.h>
#include <strmif.h>

#include "baseclasses/CritSec.h"
#include "baseclasses/MediaType.h"
#include "baseclasses/Unknown.h"

class CBaseFilter;

class CBasePin : public CUnknown, public IPin, public IQualityControl {
  public:
    // pName is the pin's name and identifier (copied); phr receives
    // E_OUTOFMEMORY when it cannot be copied.
    CBasePin(const TCHAR* pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr, LPCWSTR pName,
             PIN_DIRECTION dir);
    ~CBasePin() override;

    DECLARE_IUNKNOWN

    // IPin, IQualityControl, IUnknown
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    // The filter's reference count.
    STDMETHODIMP_(ULONG) NonDelegatingAddRef() override;
    STDMETHODIMP_(ULONG) NonDelegatingRelease() override;

    // IPin
    STDMETHODIMP Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** pPin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* pInfo) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* pPinDir) override;
    STDMETHODIMP QueryId(LPWSTR* Id) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** ppEnum) override;
    STDMETHODIMP QueryInternalConnections(IPin** apPin, ULONG* nPin) override;  // E_NOTIMPL
    STDMETHODIMP EndOfStream() override;                                        // S_OK
    STDMETHODIMP BeginFlush() override = 0;
    STDMETHODIMP EndFlush() override = 0;
    STDMETHODIMP NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) override;

    // IQualityControl
    STDMETHODIMP Notify(IBaseFilter* pSender, Quality q) override;  // E_NOTIMPL
    // Kept without a reference: the sink is normally the filter upstream,
    // which outlives the connection.
    STDMETHODIMP SetSink(IQualityControl* piqc) override;

    // Overridables for the derived pin.
    virtual HRESULT CheckMediaType(const CMediaType* pmt) = 0;
    // The type at iPosition (0-based) of the types the pin offers: S_OK,
    // VFW_S_NO_MORE_ITEMS past the end, E_INVALIDARG below 0. The base
    // offers none (E_UNEXPECTED).
    virtual HRESULT GetMediaType(int iPosition, CMediaType* pMediaType);
    // Stores the agreed type in m_mt.
    virtual HRESULT SetMediaType(const CMediaType* pmt);
    // Checks the other pin's direction (VFW_E_INVALID_DIRECTION).
    virtual HRESULT CheckConnect(IPin* pPin);
    virtual HRESULT CompleteConnect(IPin* pReceivePin);
    virtual HRESULT BreakConnect();
    // Called by the filter with its state lock held: Active when it leaves
    // the stopped state, Run when it starts running, Inactive when it stops.
    virtual HRESULT Active();
    virtual HRESULT Inactive();
    virtual HRESULT Run(REFERENCE_TIME tStart);

    // Bumped by a pin whose list of types changes, so that its media-type
    // enumerators report VFW_E_ENUM_OUT_OF_SYNC.
    virtual LONG GetMediaTypeVersion();
    void IncrementTypeVersion();

    BOOL IsConnected() const { return m_Connected != nullptr; }
    IPin* GetConnected() const { return m_Connected; }  // no reference added
    BOOL IsStopped() const;
    CMediaType& CurrentMediaType() { return m_mt; }
    LPCWSTR Name() const { return m_pName; }
    CBaseFilter* Filter() const { return m_pFilter; }
    REFERENCE_TIME CurrentStartTime() const { return m_tStart; }
    REFERENCE_TIME CurrentStopTime() const { return m_tStop; }
    double CurrentRate() const { return m_dRate; }

    // Releases the connection without the state check of Disconnect: S_OK,
    // or S_FALSE when there was none.
    HRESULT DisconnectInternal();

  protected:
    HRESULT AgreeMediaType(IPin* pReceivePin, const CMediaType* pmt);
    HRESULT TryMediaTypes(IPin* pReceivePin, const CMediaType* pmt, IEnumMediaTypes* pEnum);
    HRESULT AttemptConnection(IPin* pReceivePin, const CMediaType* pmt);

    WCHAR* m_pName;
    IPin* m_Connected;
    PIN_DIRECTION m_dir;
    CCritSec* m_pLock;
    CBaseFilter* m_pFilter;
    IQualityControl* m_pQSink;
    volatile LONG m_TypeVersion;
    CMediaType m_mt;
    REFERENCE_TIME m_tStart;
    REFERENCE_TIME m_tStop;
    double m_dRate;
    bool m_bRunTimeError;
    bool m_bCanReconnectWhenActive;
    bool m_bTryMyTypesFirst;
};
