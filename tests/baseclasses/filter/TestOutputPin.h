// An output pin built on CBaseOutputPin that offers two small RGB video
// types and counts what the base classes call on it.
#pragma once

#include "baseclasses/BaseClasses.h"

#include "TestFilterInterface.h"

class CTestOutputPin : public CBaseOutputPin {
  public:
    CTestOutputPin(CBaseFilter* filter, CCritSec* lock, HRESULT* phr, LPCWSTR name);

    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT GetMediaType(int iPosition, CMediaType* pMediaType) override;
    HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* ppropInputRequest) override;
    HRESULT CompleteConnect(IPin* pReceivePin) override;
    HRESULT BreakConnect() override;
    HRESULT Active() override;
    HRESULT Inactive() override;
    HRESULT Run(REFERENCE_TIME tStart) override;

    void FailNextActive(HRESULT hr) { m_nextActiveFailure = hr; }
    HRESULT DeliverOneSample();
    const TestPinCounters& Counters() const { return m_counters; }

  private:
    void CountLockHeld();

    TestPinCounters m_counters;
    HRESULT m_nextActiveFailure;
};
