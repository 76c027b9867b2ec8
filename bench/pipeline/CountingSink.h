// A null sink of the benchmark's own: one input pin that accepts one video
// subtype, counts the samples it receives, reads the emulated camera's frame
// number from each picture to count frames missing between samples, and
// remembers the thread that delivers them so that its CPU time can be read.
#pragma once

#include <windows.h>

#include <cstdint>

#include "baseclasses/BaseClasses.h"

struct SinkCounts {
    int64_t samples = 0;
    int64_t missing = 0;     // frame numbers skipped between consecutive samples
    int64_t unreadable = 0;  // pictures whose frame number could not be read
    int64_t threads = 0;     // distinct delivery threads seen (changes of thread)
};

class CCountingSinkPin : public CBasePin, public IMemInputPin {
  public:
    CCountingSinkPin(CBaseFilter* filter, CCritSec* lock, HRESULT* result, const GUID& subtype);
    ~CCountingSinkPin() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    HRESULT CheckMediaType(const CMediaType* mediaType) override;
    STDMETHODIMP BeginFlush() override { return S_OK; }
    STDMETHODIMP EndFlush() override { return S_OK; }

    // IMemInputPin
    STDMETHODIMP GetAllocator(IMemAllocator** allocator) override;
    STDMETHODIMP NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) override;
    STDMETHODIMP Receive(IMediaSample* sample) override;
    STDMETHODIMP ReceiveMultiple(IMediaSample** samples, long count, long* processed) override;
    STDMETHODIMP ReceiveCanBlock() override { return S_FALSE; }

    SinkCounts Counts();
    // True once count samples have arrived (waits at most timeoutMs).
    bool WaitForSamples(int64_t count, DWORD timeoutMs);
    // A new handle, for the caller to close, on the thread of the last
    // delivery; null before the first.
    HANDLE DeliveryThread();

  private:
    const GUID m_subtype;
    CCritSec m_countLock;
    SinkCounts m_counts;
    bool m_haveLastNumber = false;
    uint32_t m_lastNumber = 0;
    DWORD m_threadId = 0;
    HANDLE m_thread = nullptr;
    HANDLE m_arrived;
};

class CCountingSinkFilter : public CBaseFilter {
  public:
    // A new sink accepting video of that subtype, with one reference for the
    // caller; null when it cannot be made.
    static CCountingSinkFilter* Create(const GUID& subtype);

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? m_pin : nullptr; }
    CCountingSinkPin* Pin() { return m_pin; }
    IBaseFilter* Filter() { return static_cast<IBaseFilter*>(this); }

  private:
    CCountingSinkFilter();
    ~CCountingSinkFilter() override;

    CCritSec m_stateLock;
    CCountingSinkPin* m_pin;
};
