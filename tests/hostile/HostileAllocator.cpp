#include "HostileAllocator.h"

#include <vfwmsgs.h>

#include <cstring>
#include <new>

namespace {

constexpr BYTE kGuardValue = 0xA5;

// One sample with its own buffer and guard; it tells the allocator when it
// goes, and holds a reference to it meanwhile.
class CHostileSample final : public IMediaSample {
  public:
    CHostileSample(CHostileAllocator* allocator, long size, const AM_MEDIA_TYPE* type)
        : m_allocator(allocator), m_size(size), m_buffer(new (std::nothrow) BYTE[size_t(size) + kGuard]) {
        m_allocator->AddRef();
        if (m_buffer) {
            std::memset(m_buffer, 0, size_t(size));
            std::memset(m_buffer + size, kGuardValue, kGuard);
        }
        if (type) {
            m_type = CreateMediaType(type);
        }
    }

    bool Valid() const { return m_buffer != nullptr; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) {
            return E_POINTER;
        }
        if (riid == IID_IUnknown || riid == IID_IMediaSample) {
            *ppv = static_cast<IMediaSample*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --m_refs;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    STDMETHODIMP GetPointer(BYTE** buffer) override {
        if (!buffer) {
            return E_POINTER;
        }
        *buffer = m_buffer;
        return S_OK;
    }
    STDMETHODIMP_(long) GetSize() override { return m_size; }
    STDMETHODIMP GetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) override {
        if (!start || !stop) {
            return E_POINTER;
        }
        *start = m_start;
        *stop = m_stop;
        return m_timed ? S_OK : VFW_E_SAMPLE_TIME_NOT_SET;
    }
    STDMETHODIMP SetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) override {
        m_timed = start && stop;
        if (m_timed) {
            m_start = *start;
            m_stop = *stop;
        }
        return S_OK;
    }
    STDMETHODIMP IsSyncPoint() override { return S_OK; }
    STDMETHODIMP SetSyncPoint(BOOL) override { return S_OK; }
    STDMETHODIMP IsPreroll() override { return S_FALSE; }
    STDMETHODIMP SetPreroll(BOOL) override { return S_OK; }
    STDMETHODIMP_(long) GetActualDataLength() override { return m_length; }
    STDMETHODIMP SetActualDataLength(long length) override {
        if (length < 0 || length > m_size) {
            return VFW_E_BUFFER_OVERFLOW;
        }
        m_length = length;
        return S_OK;
    }
    STDMETHODIMP GetMediaType(AM_MEDIA_TYPE** type) override {
        if (!type) {
            return E_POINTER;
        }
        *type = nullptr;
        if (!m_type) {
            return S_FALSE;
        }
        *type = CreateMediaType(m_type);
        return *type ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP SetMediaType(AM_MEDIA_TYPE*) override { return S_OK; }
    STDMETHODIMP IsDiscontinuity() override { return S_FALSE; }
    STDMETHODIMP SetDiscontinuity(BOOL) override { return S_OK; }
    STDMETHODIMP GetMediaTime(LONGLONG* start, LONGLONG* stop) override {
        if (!start || !stop) {
            return E_POINTER;
        }
        *start = m_mediaStart;
        *stop = m_mediaStop;
        return S_OK;
    }
    STDMETHODIMP SetMediaTime(LONGLONG* start, LONGLONG* stop) override {
        if (start && stop) {
            m_mediaStart = *start;
            m_mediaStop = *stop;
        }
        return S_OK;
    }

  private:
    static constexpr long kGuard = CHostileAllocator::kGuardBytes;

    ~CHostileSample() {
        bool intact = true;
        if (m_buffer) {
            for (long index = 0; index < kGuard; ++index) {
                intact = intact && m_buffer[m_size + index] == kGuardValue;
            }
        }
        delete[] m_buffer;
        if (m_type) {
            DeleteMediaType(m_type);
        }
        m_allocator->SampleReturned(intact);
        m_allocator->Release();
    }

    CHostileAllocator* const m_allocator;
    const long m_size;
    BYTE* const m_buffer;
    AM_MEDIA_TYPE* m_type = nullptr;
    std::atomic<ULONG> m_refs{1};
    bool m_timed = false;
    REFERENCE_TIME m_start = 0;
    REFERENCE_TIME m_stop = 0;
    LONGLONG m_mediaStart = 0;
    LONGLONG m_mediaStop = 0;
    long m_length = 0;
};

}  // namespace

CHostileAllocator::CHostileAllocator(const AllocatorBehaviour& behaviour)
    : m_behaviour(behaviour),
      m_properties(),
      m_committed(false),
      m_decommitted(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {
    if (behaviour.attachType) {
        m_attachType.Set(*behaviour.attachType);
    }
}

CHostileAllocator::~CHostileAllocator() {
    CloseHandle(m_decommitted);
}

STDMETHODIMP CHostileAllocator::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (riid == IID_IUnknown || riid == IID_IMemAllocator) {
        *ppv = static_cast<IMemAllocator*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CHostileAllocator::Release() {
    const ULONG left = --m_refs;
    if (left == 0) {
        delete this;
    }
    return left;
}

STDMETHODIMP CHostileAllocator::SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) {
    if (!request || !actual) {
        return E_POINTER;
    }
    CAutoLock lock(&m_lock);
    if (m_committed) {
        return VFW_E_ALREADY_COMMITTED;
    }
    if (request->cbBuffer < 1 || request->cbBuffer > (64 << 20)) {
        return E_INVALIDARG;
    }
    m_properties = *request;
    *actual = *request;
    actual->cbBuffer -= m_behaviour.lieActualBy;
    return S_OK;
}

STDMETHODIMP CHostileAllocator::GetProperties(ALLOCATOR_PROPERTIES* properties) {
    if (!properties) {
        return E_POINTER;
    }
    CAutoLock lock(&m_lock);
    *properties = m_properties;
    return S_OK;
}

STDMETHODIMP CHostileAllocator::Commit() {
    CAutoLock lock(&m_lock);
    m_committed = true;
    ResetEvent(m_decommitted);
    return S_OK;
}

STDMETHODIMP CHostileAllocator::Decommit() {
    CAutoLock lock(&m_lock);
    m_committed = false;
    SetEvent(m_decommitted);
    return S_OK;
}

STDMETHODIMP CHostileAllocator::GetBuffer(IMediaSample** sample, REFERENCE_TIME* /*start*/,
                                          REFERENCE_TIME* /*stop*/, DWORD /*flags*/) {
    if (!sample) {
        return E_POINTER;
    }
    *sample = nullptr;
    const bool waits = !m_behaviour.blockEveryOther || (m_calls++ % 2) == 0;
    if (m_behaviour.blockMs != 0 && waits) {
        if (m_behaviour.wakeOnDecommit) {
            WaitForSingleObject(m_decommitted, m_behaviour.blockMs);
        } else {
            Sleep(m_behaviour.blockMs);
        }
    }
    long size = 0;
    {
        CAutoLock lock(&m_lock);
        if (!m_committed) {
            return VFW_E_NOT_COMMITTED;
        }
        size = m_properties.cbBuffer - m_behaviour.shortBy;
    }
    if (FAILED(m_behaviour.getBufferResult)) {
        return m_behaviour.getBufferResult;
    }
    if (size < 1) {
        size = 1;
    }
    ++m_outstanding;  // given back by the sample's destructor
    auto* made = new (std::nothrow) CHostileSample(
        this, size, m_behaviour.attachType ? static_cast<const AM_MEDIA_TYPE*>(&m_attachType) : nullptr);
    if (!made || !made->Valid()) {
        if (made) {
            made->Release();
        } else {
            --m_outstanding;
        }
        return E_OUTOFMEMORY;
    }
    ++m_handed;
    *sample = made;
    return S_OK;
}

STDMETHODIMP CHostileAllocator::ReleaseBuffer(IMediaSample* /*sample*/) {
    return S_OK;
}

void CHostileAllocator::SampleReturned(bool guardIntact) {
    --m_outstanding;
    if (!guardIntact) {
        ++m_damaged;
    }
}
