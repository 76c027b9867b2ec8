// An allocator of the hostile tests' own, handed to the filter's output pin
// by the hostile peer. It can refuse every buffer, hand out buffers shorter
// than the size it agreed to, block in GetBuffer (honouring Decommit or not),
// lie about the properties it set, and attach a media type to every sample
// (a dynamic format change). Every buffer is followed by guard bytes that are
// checked when the sample comes back, so a write past a buffer is counted.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <atomic>

#include "baseclasses/BaseClasses.h"

struct AllocatorBehaviour {
    HRESULT getBufferResult = S_OK;             // a failure here is returned from every GetBuffer
    long shortBy = 0;                           // buffers this many bytes shorter than agreed
    long lieActualBy = 0;                       // SetProperties reports cbBuffer this much smaller
    DWORD blockMs = 0;                          // GetBuffer waits this long before answering
    bool blockEveryOther = false;               // only every second GetBuffer waits
    bool wakeOnDecommit = true;                 // a blocked GetBuffer returns once decommitted
    const AM_MEDIA_TYPE* attachType = nullptr;  // copied into every sample
};

class CHostileAllocator final : public IMemAllocator {
  public:
    // Guard bytes after every buffer.
    static constexpr long kGuardBytes = 64;

    explicit CHostileAllocator(const AllocatorBehaviour& behaviour);

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) override;
    STDMETHODIMP GetProperties(ALLOCATOR_PROPERTIES* properties) override;
    STDMETHODIMP Commit() override;
    STDMETHODIMP Decommit() override;
    STDMETHODIMP GetBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* stop,
                           DWORD flags) override;
    STDMETHODIMP ReleaseBuffer(IMediaSample* sample) override;

    long BuffersHanded() const { return m_handed; }
    long GuardsDamaged() const { return m_damaged; }
    long Outstanding() const { return m_outstanding; }
    // Called by a sample when it goes.
    void SampleReturned(bool guardIntact);

  private:
    ~CHostileAllocator();

    const AllocatorBehaviour m_behaviour;
    CMediaType m_attachType;
    std::atomic<ULONG> m_refs{1};
    CCritSec m_lock;
    ALLOCATOR_PROPERTIES m_properties;
    bool m_committed;
    HANDLE m_decommitted;  // manual-reset, set while decommitted
    std::atomic<long> m_calls{0};  // of GetBuffer
    std::atomic<long> m_handed{0};
    std::atomic<long> m_damaged{0};
    std::atomic<long> m_outstanding{0};
};
