#include "CountingSink.h"

#include <amvideo.h>
#include <dvdmedia.h>
#include <uuids.h>
#include <vfwmsgs.h>

#include <new>

#include "bench/pipeline/VideoTypes.h"
#include "quill/TestPattern.h"

namespace {

// {6B1E5C10-3A5F-4C1B-9C7E-2D1F0A000031}
const CLSID kCountingSinkClass = {
    0x6b1e5c10, 0x3a5f, 0x4c1b, {0x9c, 0x7e, 0x2d, 0x1f, 0x0a, 0x00, 0x00, 0x31}};

// Luma at (x, y from the top) of an RGB24 (bottom-up for a positive height)
// or Y800 (top-down) picture; empty when the buffer is too small.
Quill::Pattern::LumaSampler PictureSampler(const GUID& subtype, const BYTE* data, long size, LONG width,
                                           LONG height) {
    const LONG rows = height < 0 ? -height : height;
    if (subtype == MEDIASUBTYPE_RGB24) {
        const size_t stride = (size_t(width) * 3 + 3) / 4 * 4;
        if (size_t(size) < stride * rows) {
            return {};
        }
        const bool bottomUp = height > 0;
        return [=](int x, int y) {
            const BYTE* pixel = data + size_t(bottomUp ? rows - 1 - y : y) * stride + size_t(x) * 3;
            return (299 * pixel[2] + 587 * pixel[1] + 114 * pixel[0] + 500) / 1000;
        };
    }
    if (subtype == kSubtypeY800) {
        const size_t stride = (size_t(width) + 3) / 4 * 4;
        if (size_t(size) < stride * rows) {
            return {};
        }
        return [=](int x, int y) { return int(data[size_t(y) * stride + x]); };
    }
    return {};
}

}  // namespace

CCountingSinkPin::CCountingSinkPin(CBaseFilter* filter, CCritSec* lock, HRESULT* result, const GUID& subtype)
    : CBasePin(NAME("Counting sink pin"), filter, lock, result, L"Input", PINDIR_INPUT),
      m_subtype(subtype),
      m_arrived(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    if (!m_arrived && result) {
        *result = HRESULT_FROM_WIN32(GetLastError());
    }
}

CCountingSinkPin::~CCountingSinkPin() {
    if (m_thread) {
        CloseHandle(m_thread);
    }
    if (m_arrived) {
        CloseHandle(m_arrived);
    }
}

STDMETHODIMP CCountingSinkPin::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (riid == IID_IMemInputPin) {
        return GetInterface(static_cast<IMemInputPin*>(this), ppv);
    }
    return CBasePin::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CCountingSinkPin::CheckMediaType(const CMediaType* mediaType) {
    if (!mediaType || *mediaType->Type() != MEDIATYPE_Video) {
        return S_FALSE;
    }
    return *mediaType->Subtype() == m_subtype ? S_OK : S_FALSE;
}

STDMETHODIMP CCountingSinkPin::GetAllocator(IMemAllocator** allocator) {
    if (!allocator) {
        return E_POINTER;
    }
    *allocator = nullptr;
    return VFW_E_NO_ALLOCATOR;
}

STDMETHODIMP CCountingSinkPin::NotifyAllocator(IMemAllocator* allocator, BOOL /*readOnly*/) {
    return allocator ? S_OK : E_POINTER;
}

STDMETHODIMP CCountingSinkPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) {
    if (!properties) {
        return E_POINTER;
    }
    *properties = {};
    return S_OK;
}

STDMETHODIMP CCountingSinkPin::Receive(IMediaSample* sample) {
    if (!sample) {
        return E_POINTER;
    }
    LONG width = 0;
    LONG height = 0;
    {
        CAutoLock stateLock(m_pLock);
        if (const BITMAPINFOHEADER* header = BitmapHeaderOf(m_mt)) {
            width = header->biWidth;
            height = header->biHeight;
        }
    }
    Quill::Pattern::FrameNumberReading reading;
    BYTE* data = nullptr;
    if (SUCCEEDED(sample->GetPointer(&data)) && data) {
        const auto sampler = PictureSampler(m_subtype, data, sample->GetActualDataLength(), width, height);
        if (sampler) {
            reading = Quill::Pattern::ReadFrameNumber(width, height < 0 ? -height : height, sampler);
        }
    }
    const DWORD threadId = GetCurrentThreadId();
    CAutoLock lock(&m_countLock);
    ++m_counts.samples;
    if (!reading.Agree()) {
        ++m_counts.unreadable;
    } else {
        if (m_haveLastNumber) {
            // Frame numbers are 16 bits wide and wrap.
            const uint32_t step = (reading.top - m_lastNumber) & 0xFFFFu;
            if (step > 1) {
                m_counts.missing += step - 1;
            }
        }
        m_haveLastNumber = true;
        m_lastNumber = reading.top;
    }
    if (threadId != m_threadId) {
        ++m_counts.threads;
        m_threadId = threadId;
        if (m_thread) {
            CloseHandle(m_thread);
        }
        m_thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId);
    }
    SetEvent(m_arrived);
    return S_OK;
}

STDMETHODIMP CCountingSinkPin::ReceiveMultiple(IMediaSample** samples, long count, long* processed) {
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

SinkCounts CCountingSinkPin::Counts() {
    CAutoLock lock(&m_countLock);
    return m_counts;
}

bool CCountingSinkPin::WaitForSamples(int64_t count, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (Counts().samples >= count) {
            return true;
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) {
            return false;
        }
        WaitForSingleObject(m_arrived, timeoutMs - elapsed);
    }
}

HANDLE CCountingSinkPin::DeliveryThread() {
    CAutoLock lock(&m_countLock);
    HANDLE copy = nullptr;
    if (!m_thread || !DuplicateHandle(GetCurrentProcess(), m_thread, GetCurrentProcess(), &copy, 0, FALSE,
                                      DUPLICATE_SAME_ACCESS)) {
        return nullptr;
    }
    return copy;
}

CCountingSinkFilter::CCountingSinkFilter()
    : CBaseFilter(NAME("Counting sink"), nullptr, &m_stateLock, kCountingSinkClass), m_pin(nullptr) {}

CCountingSinkFilter::~CCountingSinkFilter() {
    delete m_pin;
}

CCountingSinkFilter* CCountingSinkFilter::Create(const GUID& subtype) {
    auto* filter = new (std::nothrow) CCountingSinkFilter;
    if (!filter) {
        return nullptr;
    }
    HRESULT hr = S_OK;
    filter->m_pin = new (std::nothrow) CCountingSinkPin(filter, &filter->m_stateLock, &hr, subtype);
    if (!filter->m_pin || FAILED(hr)) {
        delete filter;
        return nullptr;
    }
    filter->AddRef();
    return filter;
}
