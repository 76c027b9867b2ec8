// A sink filter of the stress program's own, made from the base classes. Its
// one input pin reads the test pattern's frame number from the top and the
// bottom strip of every sample it receives and keeps only counts, so that a
// run of many minutes holds no growing record. A picture whose two strips
// read clearly but carry different numbers was torn between two frames.
#pragma once

#include <cstdint>

#include "baseclasses/BaseClasses.h"

struct PatternCounts {
    uint64_t received = 0;    // samples that arrived
    uint64_t checked = 0;     // both strips read clearly and agree
    uint64_t torn = 0;        // both strips read clearly and disagree
    uint64_t unreadable = 0;  // a strip did not read (no pattern, or a format not read)
    uint32_t lastFrameNumber = 0;
    LONG width = 0;  // of the connection
    LONG height = 0;
};

class CPatternCheckPin : public CBasePin, public IMemInputPin {
  public:
    CPatternCheckPin(CBaseFilter* filter, CCritSec* lock, HRESULT* result);
    ~CPatternCheckPin() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // Video in a format whose luma the pin reads: RGB24, RGB32, YUY2, UYVY,
    // Y800, I420, IYUV, VIDEOINFOHEADER or VIDEOINFOHEADER2.
    HRESULT CheckMediaType(const CMediaType* mediaType) override;
    HRESULT SetMediaType(const CMediaType* mediaType) override;
    STDMETHODIMP BeginFlush() override { return S_OK; }
    STDMETHODIMP EndFlush() override { return S_OK; }

    // IMemInputPin: no allocator of its own.
    STDMETHODIMP GetAllocator(IMemAllocator** allocator) override;
    STDMETHODIMP NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) override;
    STDMETHODIMP Receive(IMediaSample* sample) override;
    STDMETHODIMP ReceiveMultiple(IMediaSample** samples, long count, long* processed) override;
    STDMETHODIMP ReceiveCanBlock() override { return S_FALSE; }

    PatternCounts Counts();
    // True once the received count has reached count (waits at most timeoutMs).
    bool WaitForReceived(uint64_t count, DWORD timeoutMs);

  private:
    CCritSec m_countLock;  // alone; never held while calling out
    PatternCounts m_counts;
    GUID m_subtype;  // of the connection, under m_countLock
    HANDLE m_arrived;
};

class CPatternCheckFilter : public CBaseFilter {
  public:
    // A new sink with one reference for the caller; null when it cannot be made.
    static CPatternCheckFilter* Create();

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? m_pin : nullptr; }
    CPatternCheckPin* Pin() { return m_pin; }
    IBaseFilter* Filter() { return static_cast<IBaseFilter*>(this); }

  private:
    CPatternCheckFilter();
    ~CPatternCheckFilter() override;

    CCritSec m_stateLock;
    CPatternCheckPin* m_pin;
};
