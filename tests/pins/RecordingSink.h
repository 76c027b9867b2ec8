// A sink filter of the tests' own, made from the base classes inside the test
// executable. Its one input pin records every sample it receives: times,
// media times, the picture's size, and the frame number that the emulated
// cameras' test pattern carries, read back from the picture in whatever
// format the connection has. It has no allocator of its own (like ffmpeg's
// sink) and states allocator requirements (like the AVI mux).
#pragma once

#include <cstdint>
#include <vector>

#include "baseclasses/BaseClasses.h"

struct RecordedSample {
    HRESULT timeResult = E_FAIL;  // of GetTime
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    HRESULT mediaTimeResult = E_FAIL;
    LONGLONG mediaStart = 0;
    LONGLONG mediaStop = 0;
    GUID subtype = GUID_NULL;  // of the connection when the sample came
    LONG width = 0;
    LONG height = 0;
    bool frameNumberRead = false;  // both strips of the pattern read and agree
    uint32_t frameNumber = 0;
    // Mean luma of a row near the top and one near the bottom of the picture:
    // the pattern's top band is brighter than its bottom band.
    int topLuma = -1;
    int bottomLuma = -1;
};

struct RecordingSinkOptions {
    long prefix = 8;
    long alignment = 16;
    GUID onlySubtype = GUID_NULL;  // GUID_NULL: any video type
};

class CRecordingSinkPin : public CBasePin, public IMemInputPin {
  public:
    CRecordingSinkPin(CBaseFilter* filter, CCritSec* lock, HRESULT* result,
                      const RecordingSinkOptions& options);
    ~CRecordingSinkPin() override { CloseHandle(m_arrived); }

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

    std::vector<RecordedSample> Samples();
    void Clear();
    // True once count samples have arrived (waits at most timeoutMs).
    bool WaitForSamples(size_t count, DWORD timeoutMs);
    ALLOCATOR_PROPERTIES Notified();

  private:
    const RecordingSinkOptions m_options;
    CCritSec m_recordLock;
    std::vector<RecordedSample> m_samples;
    ALLOCATOR_PROPERTIES m_notified;
    HANDLE m_arrived;
};

class CRecordingSinkFilter : public CBaseFilter {
  public:
    // A new sink with one reference for the caller.
    static CRecordingSinkFilter* Create(const RecordingSinkOptions& options = RecordingSinkOptions());

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? m_pin : nullptr; }
    CRecordingSinkPin* Pin() { return m_pin; }
    IBaseFilter* Filter() { return static_cast<IBaseFilter*>(this); }

  private:
    CRecordingSinkFilter();
    ~CRecordingSinkFilter() override;

    CCritSec m_stateLock;
    CRecordingSinkPin* m_pin;
};
