// A sink filter of the tests' own, made from the base classes inside the test
// executable: one input pin (CBasePin receiving the connection) with an
// IMemInputPin that has no allocator of its own but states requirements, the
// way some real sinks behave. It records what it was given.
#pragma once

#include "baseclasses/BaseClasses.h"

struct SinkRecord {
    ALLOCATOR_PROPERTIES notified;  // the allocator's properties at NotifyAllocator
    LONG samples;
    LONG misalignedSamples;  // whose prefix does not start on cbAlign
    LONG bytesReceived;
};

class CTestSinkPin : public CBasePin, public IMemInputPin {
  public:
    CTestSinkPin(CBaseFilter* filter, CCritSec* lock, HRESULT* phr);

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    HRESULT CheckMediaType(const CMediaType* pmt) override;
    STDMETHODIMP BeginFlush() override { return S_OK; }
    STDMETHODIMP EndFlush() override { return S_OK; }

    // IMemInputPin
    STDMETHODIMP GetAllocator(IMemAllocator** ppAllocator) override;
    STDMETHODIMP NotifyAllocator(IMemAllocator* pAllocator, BOOL bReadOnly) override;
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES* pProps) override;
    STDMETHODIMP Receive(IMediaSample* pSample) override;
    STDMETHODIMP ReceiveMultiple(IMediaSample** pSamples, long nSamples, long* nSamplesProcessed) override;
    STDMETHODIMP ReceiveCanBlock() override { return S_FALSE; }

    SinkRecord Record();

    static constexpr long kPrefix = 8;
    static constexpr long kAlign = 16;

  private:
    CCritSec m_recordLock;
    SinkRecord m_record;
};

class CTestSinkFilter : public CBaseFilter {
  public:
    // A new sink with one reference for the caller.
    static IBaseFilter* Create();

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? m_pin : nullptr; }
    CTestSinkPin* Pin() { return m_pin; }

  private:
    CTestSinkFilter();
    ~CTestSinkFilter() override;

    CCritSec m_stateLock;
    CTestSinkPin* m_pin;
};
