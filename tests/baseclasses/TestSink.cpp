#include "TestSink.h"

#include <cstdint>
#include <new>

// {6B1E5C10-3A5F-4C1B-9C7E-2D1F0A000010}
static const CLSID kTestSinkClass = {
    0x6b1e5c10, 0x3a5f, 0x4c1b, {0x9c, 0x7e, 0x2d, 0x1f, 0x0a, 0x00, 0x00, 0x10}};

CTestSinkPin::CTestSinkPin(CBaseFilter* filter, CCritSec* lock, HRESULT* phr)
    : CBasePin(NAME("Test sink pin"), filter, lock, phr, L"Input", PINDIR_INPUT), m_record() {}

STDMETHODIMP CTestSinkPin::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (riid == IID_IMemInputPin) {
        return GetInterface(static_cast<IMemInputPin*>(this), ppv);
    }
    return CBasePin::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CTestSinkPin::CheckMediaType(const CMediaType* pmt) {
    return pmt && IsEqualGUID(*pmt->Type(), MEDIATYPE_Video) ? S_OK : S_FALSE;
}

STDMETHODIMP CTestSinkPin::GetAllocator(IMemAllocator** ppAllocator) {
    if (ppAllocator) {
        *ppAllocator = nullptr;
    }
    return VFW_E_NO_ALLOCATOR;
}

STDMETHODIMP CTestSinkPin::NotifyAllocator(IMemAllocator* pAllocator, BOOL /*bReadOnly*/) {
    if (!pAllocator) {
        return E_POINTER;
    }
    CAutoLock lock(&m_recordLock);
    return pAllocator->GetProperties(&m_record.notified);
}

STDMETHODIMP CTestSinkPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES* pProps) {
    if (!pProps) {
        return E_POINTER;
    }
    *pProps = {};
    pProps->cbPrefix = kPrefix;
    pProps->cbAlign = kAlign;
    return S_OK;
}

STDMETHODIMP CTestSinkPin::Receive(IMediaSample* pSample) {
    if (!pSample) {
        return E_POINTER;
    }
    BYTE* data = nullptr;
    const HRESULT hr = pSample->GetPointer(&data);
    if (FAILED(hr)) {
        return hr;
    }
    CAutoLock lock(&m_recordLock);
    ++m_record.samples;
    // The alignment applies to the start of the prefix, which precedes the
    // pointer GetPointer gives.
    if ((reinterpret_cast<std::uintptr_t>(data) - kPrefix) % kAlign != 0) {
        ++m_record.misalignedSamples;
    }
    m_record.bytesReceived += pSample->GetActualDataLength();
    return S_OK;
}

STDMETHODIMP CTestSinkPin::ReceiveMultiple(IMediaSample** pSamples, long nSamples, long* nSamplesProcessed) {
    if (!pSamples || !nSamplesProcessed) {
        return E_POINTER;
    }
    *nSamplesProcessed = 0;
    for (long i = 0; i < nSamples; ++i) {
        const HRESULT hr = Receive(pSamples[i]);
        if (hr != S_OK) {
            return hr;
        }
        ++*nSamplesProcessed;
    }
    return S_OK;
}

SinkRecord CTestSinkPin::Record() {
    CAutoLock lock(&m_recordLock);
    return m_record;
}

CTestSinkFilter::CTestSinkFilter()
    : CBaseFilter(NAME("Test sink"), nullptr, &m_stateLock, kTestSinkClass), m_pin(nullptr) {}

CTestSinkFilter::~CTestSinkFilter() {
    delete m_pin;
}

IBaseFilter* CTestSinkFilter::Create() {
    auto* filter = new (std::nothrow) CTestSinkFilter;
    if (!filter) {
        return nullptr;
    }
    HRESULT hr = S_OK;
    filter->m_pin = new (std::nothrow) CTestSinkPin(filter, &filter->m_stateLock, &hr);
    if (!filter->m_pin || FAILED(hr)) {
        delete filter;
        return nullptr;
    }
    IBaseFilter* result = static_cast<IBaseFilter*>(filter);
    result->AddRef();
    return result;
}
