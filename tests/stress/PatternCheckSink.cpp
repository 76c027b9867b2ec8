#include "PatternCheckSink.h"

#include <amvideo.h>
#include <dvdmedia.h>
#include <uuids.h>
#include <vfwmsgs.h>

#include <new>

#include "StressSupport.h"
#include "quill/TestPattern.h"

namespace {

// {6B1E5C10-3A5F-4C1B-9C7E-2D1F0A000030}
const CLSID kPatternCheckSinkClass = {
    0x6b1e5c10, 0x3a5f, 0x4c1b, {0x9c, 0x7e, 0x2d, 0x1f, 0x0a, 0x00, 0x00, 0x30}};

bool IsReadSubtype(const GUID& subtype) {
    return subtype == MEDIASUBTYPE_RGB24 || subtype == MEDIASUBTYPE_RGB32 || subtype == MEDIASUBTYPE_YUY2 ||
           subtype == MEDIASUBTYPE_UYVY || subtype == kSubtypeY800 || subtype == kSubtypeI420 ||
           subtype == MEDIASUBTYPE_IYUV;
}

// Luma at (x, y from the top) of a picture; empty when the buffer is too small.
Quill::Pattern::LumaSampler SamplerOf(const GUID& subtype, const BYTE* data, long size, LONG width,
                                      LONG height) {
    const bool bottomUp = height > 0;
    const size_t rows = static_cast<size_t>(height < 0 ? -int64_t(height) : int64_t(height));
    if (width <= 0 || rows == 0) {
        return {};
    }
    if (subtype == MEDIASUBTYPE_RGB24 || subtype == MEDIASUBTYPE_RGB32) {
        const size_t pixelBytes = subtype == MEDIASUBTYPE_RGB24 ? 3 : 4;
        const size_t stride = (size_t(width) * pixelBytes + 3) / 4 * 4;
        if (size_t(size) < stride * rows) {
            return {};
        }
        return [=](int x, int y) {
            const BYTE* pixel =
                data + (bottomUp ? rows - 1 - size_t(y) : size_t(y)) * stride + x * pixelBytes;
            return (299 * pixel[2] + 587 * pixel[1] + 114 * pixel[0] + 500) / 1000;
        };
    }
    // YUV and grey are top-down whatever the height's sign.
    if (subtype == MEDIASUBTYPE_YUY2 || subtype == MEDIASUBTYPE_UYVY) {
        const size_t stride = size_t(width) * 2;
        const size_t offset = subtype == MEDIASUBTYPE_UYVY ? 1 : 0;
        if (size_t(size) < stride * rows) {
            return {};
        }
        return [=](int x, int y) { return int(data[size_t(y) * stride + size_t(x) * 2 + offset]); };
    }
    const size_t stride = subtype == kSubtypeY800 ? (size_t(width) + 3) / 4 * 4 : size_t(width);
    if (size_t(size) < stride * rows) {
        return {};
    }
    return [=](int x, int y) { return int(data[size_t(y) * stride + x]); };
}

}  // namespace

CPatternCheckPin::CPatternCheckPin(CBaseFilter* filter, CCritSec* lock, HRESULT* result)
    : CBasePin(NAME("Pattern check pin"), filter, lock, result, L"Input", PINDIR_INPUT),
      m_subtype(GUID_NULL),
      m_arrived(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

CPatternCheckPin::~CPatternCheckPin() {
    if (m_arrived) {
        CloseHandle(m_arrived);
    }
}

STDMETHODIMP CPatternCheckPin::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (riid == IID_IMemInputPin) {
        return GetInterface(static_cast<IMemInputPin*>(this), ppv);
    }
    return CBasePin::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CPatternCheckPin::CheckMediaType(const CMediaType* mediaType) {
    if (!mediaType || *mediaType->Type() != MEDIATYPE_Video || !IsReadSubtype(*mediaType->Subtype())) {
        return S_FALSE;
    }
    return VideoHeaderOf(*mediaType) ? S_OK : S_FALSE;
}

HRESULT CPatternCheckPin::SetMediaType(const CMediaType* mediaType) {
    const HRESULT hr = CBasePin::SetMediaType(mediaType);
    if (SUCCEEDED(hr)) {
        CAutoLock lock(&m_countLock);
        m_subtype = *mediaType->Subtype();
        const BITMAPINFOHEADER* header = VideoHeaderOf(*mediaType);
        m_counts.width = header ? header->biWidth : 0;
        m_counts.height = header ? header->biHeight : 0;
    }
    return hr;
}

STDMETHODIMP CPatternCheckPin::GetAllocator(IMemAllocator** allocator) {
    if (!allocator) {
        return E_POINTER;
    }
    *allocator = nullptr;
    return VFW_E_NO_ALLOCATOR;
}

STDMETHODIMP CPatternCheckPin::NotifyAllocator(IMemAllocator* allocator, BOOL /*readOnly*/) {
    return allocator ? S_OK : E_POINTER;
}

STDMETHODIMP CPatternCheckPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) {
    if (!properties) {
        return E_POINTER;
    }
    *properties = {};
    properties->cbPrefix = 8;
    properties->cbAlign = 16;
    return S_OK;
}

STDMETHODIMP CPatternCheckPin::Receive(IMediaSample* sample) {
    if (!sample) {
        return E_POINTER;
    }
    GUID subtype;
    LONG width = 0;
    LONG height = 0;
    {
        CAutoLock lock(&m_countLock);
        subtype = m_subtype;
        width = m_counts.width;
        height = m_counts.height;
    }
    Quill::Pattern::FrameNumberReading reading;
    BYTE* data = nullptr;
    if (SUCCEEDED(sample->GetPointer(&data)) && data) {
        const auto sampler = SamplerOf(subtype, data, sample->GetSize(), width, height);
        if (sampler) {
            reading = Quill::Pattern::ReadFrameNumber(width, height < 0 ? -height : height, sampler);
        }
    }
    CAutoLock lock(&m_countLock);
    ++m_counts.received;
    if (!reading.Valid()) {
        ++m_counts.unreadable;
    } else if (reading.top != reading.bottom) {
        ++m_counts.torn;
    } else {
        ++m_counts.checked;
        m_counts.lastFrameNumber = reading.top;
    }
    SetEvent(m_arrived);
    return S_OK;
}

STDMETHODIMP CPatternCheckPin::ReceiveMultiple(IMediaSample** samples, long count, long* processed) {
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

PatternCounts CPatternCheckPin::Counts() {
    CAutoLock lock(&m_countLock);
    return m_counts;
}

bool CPatternCheckPin::WaitForReceived(uint64_t count, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (Counts().received >= count) {
            return true;
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) {
            return false;
        }
        WaitForSingleObject(m_arrived, timeoutMs - elapsed);
    }
}

CPatternCheckFilter::CPatternCheckFilter()
    : CBaseFilter(NAME("Pattern check sink"), nullptr, &m_stateLock, kPatternCheckSinkClass),
      m_pin(nullptr) {}

CPatternCheckFilter::~CPatternCheckFilter() {
    delete m_pin;
}

CPatternCheckFilter* CPatternCheckFilter::Create() {
    auto* filter = new (std::nothrow) CPatternCheckFilter;
    if (!filter) {
        return nullptr;
    }
    HRESULT hr = S_OK;
    filter->m_pin = new (std::nothrow) CPatternCheckPin(filter, &filter->m_stateLock, &hr);
    if (!filter->m_pin || FAILED(hr)) {
        delete filter;
        return nullptr;
    }
    filter->AddRef();
    return filter;
}
