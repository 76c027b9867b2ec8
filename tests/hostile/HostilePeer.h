// A downstream filter of the hostile tests' own, made from the base classes.
// Its one input pin misbehaves as told: it proposes short, lying or absurd
// media types, accepts every type (or only its proposals), states allocator
// requirements that cannot be met, brings a hostile allocator of its own, and
// blocks in or fails Receive.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "HostileAllocator.h"
#include "baseclasses/BaseClasses.h"

struct PeerBehaviour {
    std::vector<CMediaType> proposals;  // the input pin's media types, in order
    bool acceptOnlyProposals = false;   // else every video type is accepted
    HRESULT requirementsResult = E_NOTIMPL;
    ALLOCATOR_PROPERTIES requirements = {};
    bool ownAllocator = false;  // hand out a CHostileAllocator
    AllocatorBehaviour allocator;
    DWORD receiveBlockMs = 0;
    HRESULT receiveResult = S_OK;
};

class CHostilePeerPin : public CBasePin, public IMemInputPin {
  public:
    CHostilePeerPin(CBaseFilter* filter, CCritSec* lock, HRESULT* result, const PeerBehaviour& behaviour);
    ~CHostilePeerPin() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    HRESULT CheckMediaType(const CMediaType* mediaType) override;
    HRESULT GetMediaType(int position, CMediaType* mediaType) override;
    STDMETHODIMP BeginFlush() override { return S_OK; }
    STDMETHODIMP EndFlush() override { return S_OK; }

    STDMETHODIMP GetAllocator(IMemAllocator** allocator) override;
    STDMETHODIMP NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) override;
    STDMETHODIMP Receive(IMediaSample* sample) override;
    STDMETHODIMP ReceiveMultiple(IMediaSample** samples, long count, long* processed) override;
    STDMETHODIMP ReceiveCanBlock() override { return S_OK; }

    long Received() const { return m_received; }
    // Samples whose bytes equal those of the sample before them: the same
    // camera frame delivered twice (the emulated pattern numbers each frame).
    long Repeats() const { return m_repeats; }
    // The allocator the pin handed out (null when it has none).
    CHostileAllocator* Allocator() const { return m_allocator; }
    // Ends every blocked Receive at once.
    void WakeReceivers();

  private:
    const PeerBehaviour m_behaviour;
    CHostileAllocator* m_allocator;
    HANDLE m_wake;  // manual-reset: set to end blocking Receives
    std::atomic<long> m_received{0};
    std::atomic<long> m_repeats{0};
    uint64_t m_lastDigest = 0;  // of the last sample's bytes; Receive calls are serialised
};

class CHostilePeerFilter : public CBaseFilter {
  public:
    static CHostilePeerFilter* Create(const PeerBehaviour& behaviour);

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? m_pin : nullptr; }
    CHostilePeerPin* Pin() { return m_pin; }
    IBaseFilter* Filter() { return static_cast<IBaseFilter*>(this); }

  private:
    CHostilePeerFilter();
    ~CHostilePeerFilter() override;

    CCritSec m_stateLock;
    CHostilePeerPin* m_pin;
};
