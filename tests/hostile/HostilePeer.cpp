#include "HostilePeer.h"

#include <uuids.h>
#include <vfwmsgs.h>

#include <new>

namespace {

// FNV-1a over the sample's bytes.
uint64_t DigestOf(IMediaSample* sample) {
    BYTE* data = nullptr;
    const long size = sample->GetSize();
    if (FAILED(sample->GetPointer(&data)) || !data || size < 1) {
        return 0;
    }
    uint64_t digest = 14695981039346656037ull;
    for (long index = 0; index < size; ++index) {
        digest = (digest ^ data[index]) * 1099511628211ull;
    }
    return digest;
}

// {6B1E5C10-3A5F-4C1B-9C7E-2D1F0A000040}
const CLSID kHostilePeerClass = {
    0x6b1e5c10, 0x3a5f, 0x4c1b, {0x9c, 0x7e, 0x2d, 0x1f, 0x0a, 0x00, 0x00, 0x40}};

}  // namespace

CHostilePeerPin::CHostilePeerPin(CBaseFilter* filter, CCritSec* lock, HRESULT* result,
                                 const PeerBehaviour& behaviour)
    : CBasePin(NAME("Hostile peer pin"), filter, lock, result, L"Input", PINDIR_INPUT),
      m_behaviour(behaviour),
      m_allocator(behaviour.ownAllocator ? new (std::nothrow) CHostileAllocator(behaviour.allocator)
                                         : nullptr),
      m_wake(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CHostilePeerPin::~CHostilePeerPin() {
    if (m_allocator) {
        m_allocator->Release();
    }
    CloseHandle(m_wake);
}

STDMETHODIMP CHostilePeerPin::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (riid == IID_IMemInputPin) {
        return GetInterface(static_cast<IMemInputPin*>(this), ppv);
    }
    return CBasePin::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CHostilePeerPin::CheckMediaType(const CMediaType* mediaType) {
    if (!mediaType) {
        return E_POINTER;
    }
    if (!m_behaviour.acceptOnlyProposals) {
        return *mediaType->Type() == MEDIATYPE_Video ? S_OK : S_FALSE;
    }
    for (const CMediaType& proposal : m_behaviour.proposals) {
        if (proposal == *mediaType) {
            return S_OK;
        }
    }
    return S_FALSE;
}

HRESULT CHostilePeerPin::GetMediaType(int position, CMediaType* mediaType) {
    if (!mediaType) {
        return E_POINTER;
    }
    if (position < 0) {
        return E_INVALIDARG;
    }
    if (size_t(position) >= m_behaviour.proposals.size()) {
        return VFW_S_NO_MORE_ITEMS;
    }
    return mediaType->Set(m_behaviour.proposals[size_t(position)]);
}

STDMETHODIMP CHostilePeerPin::GetAllocator(IMemAllocator** allocator) {
    if (!allocator) {
        return E_POINTER;
    }
    *allocator = m_allocator;
    if (!m_allocator) {
        return VFW_E_NO_ALLOCATOR;
    }
    m_allocator->AddRef();
    return S_OK;
}

STDMETHODIMP CHostilePeerPin::NotifyAllocator(IMemAllocator* allocator, BOOL /*readOnly*/) {
    return allocator ? S_OK : E_POINTER;
}

STDMETHODIMP CHostilePeerPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) {
    if (!properties) {
        return E_POINTER;
    }
    *properties = m_behaviour.requirements;
    return m_behaviour.requirementsResult;
}

STDMETHODIMP CHostilePeerPin::Receive(IMediaSample* sample) {
    if (!sample) {
        return E_POINTER;
    }
    const uint64_t digest = DigestOf(sample);
    if (m_received++ > 0 && digest == m_lastDigest) {
        ++m_repeats;
    }
    m_lastDigest = digest;
    if (m_behaviour.receiveBlockMs != 0) {
        WaitForSingleObject(m_wake, m_behaviour.receiveBlockMs);
    }
    return m_behaviour.receiveResult;
}

STDMETHODIMP CHostilePeerPin::ReceiveMultiple(IMediaSample** samples, long count, long* processed) {
    if (!samples || !processed) {
        return E_POINTER;
    }
    *processed = 0;
    for (long i = 0; i < count; ++i) {
        const HRESULT hr = Receive(samples[i]);
        if (hr != S_OK) {
            return hr;
        }
        ++*processed;
    }
    return S_OK;
}

void CHostilePeerPin::WakeReceivers() {
    SetEvent(m_wake);
}

CHostilePeerFilter::CHostilePeerFilter()
    : CBaseFilter(NAME("Hostile peer"), nullptr, &m_stateLock, kHostilePeerClass), m_pin(nullptr) {}

CHostilePeerFilter::~CHostilePeerFilter() {
    delete m_pin;
}

CHostilePeerFilter* CHostilePeerFilter::Create(const PeerBehaviour& behaviour) {
    auto* filter = new (std::nothrow) CHostilePeerFilter;
    if (!filter) {
        return nullptr;
    }
    HRESULT hr = S_OK;
    filter->m_pin = new (std::nothrow) CHostilePeerPin(filter, &filter->m_stateLock, &hr, behaviour);
    if (!filter->m_pin || FAILED(hr) || (behaviour.ownAllocator && !filter->m_pin->Allocator())) {
        delete filter;
        return nullptr;
    }
    filter->AddRef();
    return filter;
}
