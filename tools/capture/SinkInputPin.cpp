#include "tools/capture/SinkInputPin.h"

#include <uuids.h>
#include <vfwmsgs.h>

SinkInputPin::SinkInputPin(CBaseFilter* filter, CCritSec* lock, HRESULT* result, LPCWSTR name,
                           bool acceptVideoInfo2)
    : CBasePin(TEXT("capture sink input pin"), filter, lock, result, name, PINDIR_INPUT),
      m_acceptVideoInfo2(acceptVideoInfo2) {}

SinkInputPin::~SinkInputPin() {
    if (m_allocator) {
        m_allocator->Release();
        m_allocator = nullptr;
    }
}

STDMETHODIMP SinkInputPin::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (riid == IID_IMemInputPin) {
        return GetInterface(static_cast<IMemInputPin*>(this), ppv);
    }
    return CBasePin::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT SinkInputPin::CheckMediaType(const CMediaType* mediaType) {
    if (!mediaType) {
        return E_POINTER;
    }
    if (!IsEqualGUID(mediaType->majortype, MEDIATYPE_Video)) {
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    const bool videoInfo = IsEqualGUID(mediaType->formattype, FORMAT_VideoInfo);
    const bool videoInfo2 = IsEqualGUID(mediaType->formattype, FORMAT_VideoInfo2);
    if (!videoInfo && !(videoInfo2 && m_acceptVideoInfo2)) {
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    const VideoTypeSummary summary = SummarizeVideoType(*mediaType);
    return summary.valid ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT SinkInputPin::CompleteConnect(IPin* receivePin) {
    HRESULT hr = CBasePin::CompleteConnect(receivePin);
    if (SUCCEEDED(hr) && m_handler) {
        m_handler->OnMediaType(m_mt);
    }
    return hr;
}

HRESULT SinkInputPin::BreakConnect() {
    if (m_allocator) {
        m_allocator->Release();
        m_allocator = nullptr;
    }
    return CBasePin::BreakConnect();
}

STDMETHODIMP SinkInputPin::BeginFlush() {
    InterlockedExchange(&m_flushing, 1);
    return S_OK;
}

STDMETHODIMP SinkInputPin::EndFlush() {
    InterlockedExchange(&m_flushing, 0);
    return S_OK;
}

STDMETHODIMP SinkInputPin::GetAllocator(IMemAllocator** allocator) {
    if (!allocator) {
        return E_POINTER;
    }
    *allocator = nullptr;
    CAutoLock lock(m_pLock);
    if (!m_allocator) {
        HRESULT hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                      reinterpret_cast<void**>(&m_allocator));
        if (FAILED(hr)) {
            m_allocator = nullptr;
            return hr;
        }
    }
    m_allocator->AddRef();
    *allocator = m_allocator;
    return S_OK;
}

STDMETHODIMP SinkInputPin::NotifyAllocator(IMemAllocator* allocator, BOOL /*readOnly*/) {
    if (!allocator) {
        return E_POINTER;
    }
    CAutoLock lock(m_pLock);
    allocator->AddRef();
    if (m_allocator) {
        m_allocator->Release();
    }
    m_allocator = allocator;
    return S_OK;
}

STDMETHODIMP SinkInputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES* /*properties*/) {
    return E_NOTIMPL;
}

STDMETHODIMP SinkInputPin::Receive(IMediaSample* sample) {
    if (!sample) {
        return E_POINTER;
    }
    if (m_flushing != 0) {
        return S_FALSE;
    }
    if (IsStopped()) {
        return VFW_E_WRONG_STATE;
    }
    AM_MEDIA_TYPE* changed = nullptr;
    if (sample->GetMediaType(&changed) == S_OK && changed) {
        CMediaType proposed;
        const HRESULT copied = proposed.Set(*changed);
        DeleteSystemMediaType(changed);
        if (FAILED(copied)) {
            return copied;
        }
        if (CheckMediaType(&proposed) != S_OK) {
            return VFW_E_INVALIDMEDIATYPE;
        }
        m_mt = proposed;
        if (m_handler) {
            m_handler->OnMediaType(m_mt);
        }
    }
    BYTE* data = nullptr;
    HRESULT hr = sample->GetPointer(&data);
    if (FAILED(hr)) {
        return hr;
    }
    const long length = sample->GetActualDataLength();
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    const bool hasTime = SUCCEEDED(sample->GetTime(&start, &stop));
    if (m_handler && data && length > 0) {
        m_handler->OnFrame(data, static_cast<size_t>(length), hasTime, start);
    }
    return S_OK;
}

STDMETHODIMP SinkInputPin::ReceiveMultiple(IMediaSample** samples, long count, long* processed) {
    if (!samples || !processed) {
        return E_POINTER;
    }
    *processed = 0;
    HRESULT hr = S_OK;
    while (*processed < count) {
        hr = Receive(samples[*processed]);
        if (hr != S_OK) {
            break;
        }
        ++*processed;
    }
    return hr;
}

STDMETHODIMP SinkInputPin::ReceiveCanBlock() {
    return S_OK;
}
