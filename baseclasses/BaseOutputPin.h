// CBaseOutputPin: an output pin that delivers IMediaSamples to a downstream
// IMemInputPin through a negotiated allocator.
//
// On connection it takes the downstream pin's IMemInputPin, then decides the
// allocator: the downstream pin's own when it offers one, else a new
// CLSID_MemoryAllocator; either way sized by the derived DecideBufferSize
// with the downstream pin's requirements (alignment, prefix) filled in.
// Active commits the allocator, Inactive decommits it.
#pragma once

#include <windows.h>
#include <strmif.h>

#include "baseclasses/BasePin.h"

class CBaseOutputPin : public CBasePin {
  public:
    CBaseOutputPin(const TCHAR* pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr,
                   LPCWSTR pName);
    ~CBaseOutputPin() override;

    // Takes the downstream pin's IMemInputPin (VFW_E_NO_TRANSPORT without).
    HRESULT CheckConnect(IPin* pPin) override;
    // Decides the allocator.
    HRESULT CompleteConnect(IPin* pReceivePin) override;
    // Releases the allocator (decommitted) and the IMemInputPin.
    HRESULT BreakConnect() override;
    // Commit and decommit the allocator (VFW_E_NO_ALLOCATOR without one).
    HRESULT Active() override;
    HRESULT Inactive() override;

    // Sets the allocator's properties from ppropInputRequest, which holds
    // what the downstream pin asked for (cbAlign at least 1).
    virtual HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* ppropInputRequest) = 0;
    virtual HRESULT DecideAllocator(IMemInputPin* pPin, IMemAllocator** ppAlloc);
    // Creates a CLSID_MemoryAllocator.
    virtual HRESULT InitAllocator(IMemAllocator** ppAlloc);

    // A buffer from the allocator (VFW_E_NO_ALLOCATOR when not connected);
    // the caller owns the sample's reference.
    virtual HRESULT GetDeliveryBuffer(IMediaSample** ppSample, REFERENCE_TIME* pStartTime,
                                      REFERENCE_TIME* pEndTime, DWORD dwFlags);
    // Hands the sample to the downstream pin (VFW_E_NOT_CONNECTED when not
    // connected); the caller keeps its reference and releases it.
    virtual HRESULT Deliver(IMediaSample* pSample);
    virtual HRESULT DeliverEndOfStream();
    virtual HRESULT DeliverBeginFlush();
    virtual HRESULT DeliverEndFlush();
    virtual HRESULT DeliverNewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate);

    // An output pin is never sent these: E_UNEXPECTED.
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;

    IMemAllocator* Allocator() const { return m_pAllocator; }  // no reference added
    IMemInputPin* InputPin() const { return m_pInputPin; }     // no reference added

  protected:
    IMemAllocator* m_pAllocator;
    IMemInputPin* m_pInputPin;
};
