#include "PinTestSupport.h"

#include "RecordingSink.h"

#include <amvideo.h>
#include <dvdmedia.h>
#include <uuids.h>
#include <vfwmsgs.h>

#include <new>

#include "quill/TestPattern.h"

namespace {

// {6B1E5C10-3A5F-4C1B-9C7E-2D1F0A000020}
const CLSID kRecordingSinkClass = {
    0x6b1e5c10, 0x3a5f, 0x4c1b, {0x9c, 0x7e, 0x2d, 0x1f, 0x0a, 0x00, 0x00, 0x20}};

int Luma(int red, int green, int blue) {
    return (299 * red + 587 * green + 114 * blue + 500) / 1000;
}

// Luma at (x, y from the top) of a delivered picture; empty for a format the
// tests do not read.
Quill::Pattern::LumaSampler PictureSampler(const GUID& subtype, const BYTE* data, long size, LONG width,
                                           LONG height) {
    const bool bottomUp = height > 0;
    const LONG rows = height < 0 ? -height : height;
    const auto rowOf = [rows, bottomUp](int y) { return size_t(bottomUp ? rows - 1 - y : y); };
    if (subtype == MEDIASUBTYPE_RGB24 || subtype == MEDIASUBTYPE_RGB32) {
        const int pixelBytes = subtype == MEDIASUBTYPE_RGB24 ? 3 : 4;
        const size_t stride = (size_t(width) * pixelBytes + 3) / 4 * 4;
        if (size_t(size) < stride * rows) {
            return {};
        }
        return [=](int x, int y) {
            const BYTE* pixel = data + rowOf(y) * stride + size_t(x) * pixelBytes;
            return Luma(pixel[2], pixel[1], pixel[0]);
        };
    }
    // The YUV and grey formats are top-down whatever the height's sign.
    if (subtype == MEDIASUBTYPE_YUY2 || subtype == MEDIASUBTYPE_UYVY) {
        const size_t stride = size_t(width) * 2;
        const int offset = subtype == MEDIASUBTYPE_UYVY ? 1 : 0;
        if (size_t(size) < stride * rows) {
            return {};
        }
        return [=](int x, int y) { return int(data[size_t(y) * stride + size_t(x) * 2 + offset]); };
    }
    if (subtype == kSubtypeY800 || subtype == MEDIASUBTYPE_IYUV || subtype == kSubtypeI420) {
        // Grey rows, or the luma plane of a planar picture.
        const size_t stride = subtype == kSubtypeY800 ? (size_t(width) + 3) / 4 * 4 : size_t(width);
        if (size_t(size) < stride * rows) {
            return {};
        }
        return [=](int x, int y) { return int(data[size_t(y) * stride + x]); };
    }
    return {};
}

int MeanRowLuma(const Quill::Pattern::LumaSampler& sampler, LONG width, LONG y) {
    int64_t sum = 0;
    for (LONG x = 0; x < width; ++x) {
        sum += sampler(x, y);
    }
    return width > 0 ? static_cast<int>(sum / width) : -1;
}

}  // namespace

CRecordingSinkPin::CRecordingSinkPin(CBaseFilter* filter, CCritSec* lock, HRESULT* result,
                                     const RecordingSinkOptions& options)
    : CBasePin(NAME("Recording sink pin"), filter, lock, result, L"Input", PINDIR_INPUT),
      m_options(options),
      m_notified(),
      m_arrived(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

STDMETHODIMP CRecordingSinkPin::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (riid == IID_IMemInputPin) {
        return GetInterface(static_cast<IMemInputPin*>(this), ppv);
    }
    return CBasePin::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CRecordingSinkPin::CheckMediaType(const CMediaType* mediaType) {
    if (!mediaType || *mediaType->Type() != MEDIATYPE_Video) {
        return S_FALSE;
    }
    return m_options.onlySubtype == GUID_NULL || *mediaType->Subtype() == m_options.onlySubtype ? S_OK
                                                                                                : S_FALSE;
}

STDMETHODIMP CRecordingSinkPin::GetAllocator(IMemAllocator** allocator) {
    if (!allocator) {
        return E_POINTER;
    }
    *allocator = nullptr;
    return VFW_E_NO_ALLOCATOR;
}

STDMETHODIMP CRecordingSinkPin::NotifyAllocator(IMemAllocator* allocator, BOOL /*readOnly*/) {
    if (!allocator) {
        return E_POINTER;
    }
    CAutoLock lock(&m_recordLock);
    return allocator->GetProperties(&m_notified);
}

STDMETHODIMP CRecordingSinkPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) {
    if (!properties) {
        return E_POINTER;
    }
    *properties = {};
    properties->cbPrefix = m_options.prefix;
    properties->cbAlign = m_options.alignment;
    return S_OK;
}

STDMETHODIMP CRecordingSinkPin::Receive(IMediaSample* sample) {
    if (!sample) {
        return E_POINTER;
    }
    RecordedSample record;
    record.timeResult = sample->GetTime(&record.start, &record.stop);
    record.mediaTimeResult = sample->GetMediaTime(&record.mediaStart, &record.mediaStop);
    {
        CAutoLock stateLock(m_pLock);
        record.subtype = *m_mt.Subtype();
        if (const BITMAPINFOHEADER* header = BitmapHeader(m_mt)) {
            record.width = header->biWidth;
            record.height = header->biHeight;
        }
    }
    BYTE* data = nullptr;
    if (SUCCEEDED(sample->GetPointer(&data)) && data) {
        const LONG rows = record.height < 0 ? -record.height : record.height;
        const auto sampler =
            PictureSampler(record.subtype, data, sample->GetSize(), record.width, record.height);
        if (sampler) {
            const auto reading = Quill::Pattern::ReadFrameNumber(record.width, rows, sampler);
            record.frameNumberRead = reading.Agree();
            record.frameNumber = reading.top;
            record.topLuma = MeanRowLuma(sampler, record.width, rows / 16);
            record.bottomLuma = MeanRowLuma(sampler, record.width, rows - 1 - rows / 16);
        }
    }
    CAutoLock lock(&m_recordLock);
    m_samples.push_back(record);
    SetEvent(m_arrived);
    return S_OK;
}

STDMETHODIMP CRecordingSinkPin::ReceiveMultiple(IMediaSample** samples, long count, long* processed) {
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

std::vector<RecordedSample> CRecordingSinkPin::Samples() {
    CAutoLock lock(&m_recordLock);
    return m_samples;
}

void CRecordingSinkPin::Clear() {
    CAutoLock lock(&m_recordLock);
    m_samples.clear();
}

bool CRecordingSinkPin::WaitForSamples(size_t count, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        {
            CAutoLock lock(&m_recordLock);
            if (m_samples.size() >= count) {
                return true;
            }
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) {
            return false;
        }
        WaitForSingleObject(m_arrived, timeoutMs - elapsed);
    }
}

ALLOCATOR_PROPERTIES CRecordingSinkPin::Notified() {
    CAutoLock lock(&m_recordLock);
    return m_notified;
}

CRecordingSinkFilter::CRecordingSinkFilter()
    : CBaseFilter(NAME("Recording sink"), nullptr, &m_stateLock, kRecordingSinkClass), m_pin(nullptr) {}

CRecordingSinkFilter::~CRecordingSinkFilter() {
    delete m_pin;
}

CRecordingSinkFilter* CRecordingSinkFilter::Create(const RecordingSinkOptions& options) {
    auto* filter = new (std::nothrow) CRecordingSinkFilter;
    if (!filter) {
        return nullptr;
    }
    HRESULT hr = S_OK;
    filter->m_pin = new (std::nothrow) CRecordingSinkPin(filter, &filter->m_stateLock, &hr, options);
    if (!filter->m_pin || FAILED(hr)) {
        delete filter;
        return nullptr;
    }
    filter->AddRef();
    return filter;
}
