#include "baseclasses/BaseOutputPin.h"

#include <uuids.h>
#include <vfwmsgs.h>

CBaseOutputPin::CBaseOutputPin(const TCHAR* pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr,
                               LPCWSTR pName)
    : CBasePin(pObjectName, pFilter, pLock, phr, pName, PINDIR_OUTPUT),
      m_pAllocator(nullptr),
      m_pInputPin(nullptr) {}

CBaseOutputPin::~CBaseOutputPin() {
    if (m_pAllocator) {
        m_pAllocator->Release();
        m_pAllocator = nullptr;
    }
    if (m_pInputPin) {
        m_pInputPin->Release();
        m_pInputPin = nullptr;
    }
}

HRESULT CBaseOutputPin::CheckConnect(IPin* pPin) {
    HRESULT hr = CBasePin::CheckConnect(pPin);
    if (FAILED(hr)) {
        return hr;
    }
    IMemInputPin* input = nullptr;
    hr = pPin->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&input));
    if (FAILED(hr) || !input) {
        return VFW_E_NO_TRANSPORT;
    }
    if (m_pInputPin) {
        m_pInputPin->Release();
    }
    m_pInputPin = input;
    return S_OK;
}

HRESULT CBaseOutputPin::CompleteConnect(IPin* /*pReceivePin*/) {
    if (!m_pInputPin) {
        return VFW_E_NO_TRANSPORT;
    }
    return DecideAllocator(m_pInputPin, &m_pAllocator);
}

HRESULT CBaseOutputPin::BreakConnect() {
    if (m_pAllocator) {
        // A committed allocator would keep its buffers (and any thread
        // blocked in GetBuffer) after the connection is gone.
        m_pAllocator->Decommit();
        m_pAllocator->Release();
        m_pAllocator = nullptr;
    }
    if (m_pInputPin) {
        m_pInputPin->Release();
        m_pInputPin = nullptr;
    }
    return S_OK;
}

HRESULT CBaseOutputPin::InitAllocator(IMemAllocator** ppAlloc) {
    if (!ppAlloc) {
        return E_POINTER;
    }
    *ppAlloc = nullptr;
    return CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                            reinterpret_cast<void**>(ppAlloc));
}

HRESULT CBaseOutputPin::DecideAllocator(IMemInputPin* pPin, IMemAllocator** ppAlloc) {
    if (!pPin || !ppAlloc) {
        return E_POINTER;
    }
    if (*ppAlloc) {
        (*ppAlloc)->Release();
        *ppAlloc = nullptr;
    }

    // What the downstream pin needs (alignment, prefix); many pins have no
    // requirements and say E_NOTIMPL.
    ALLOCATOR_PROPERTIES required = {};
    pPin->GetAllocatorRequirements(&required);
    if (required.cbAlign == 0) {
        required.cbAlign = 1;
    }

    // First the downstream pin's allocator. Some sinks have none and answer
    // VFW_E_NO_ALLOCATOR; then we bring our own.
    IMemAllocator* allocator = nullptr;
    HRESULT hr = pPin->GetAllocator(&allocator);
    if (SUCCEEDED(hr) && allocator) {
        ALLOCATOR_PROPERTIES request = required;
        hr = DecideBufferSize(allocator, &request);
        if (SUCCEEDED(hr)) {
            hr = pPin->NotifyAllocator(allocator, FALSE);
            if (SUCCEEDED(hr)) {
                *ppAlloc = allocator;
                return S_OK;
            }
        }
    }
    if (allocator) {
        allocator->Release();
        allocator = nullptr;
    }

    hr = InitAllocator(&allocator);
    if (FAILED(hr)) {
        return hr;
    }
    ALLOCATOR_PROPERTIES request = required;
    hr = DecideBufferSize(allocator, &request);
    if (SUCCEEDED(hr)) {
        hr = pPin->NotifyAllocator(allocator, FALSE);
        if (SUCCEEDED(hr)) {
            *ppAlloc = allocator;
            return S_OK;
        }
    }
    allocator->Release();
    return hr;
}

HRESULT CBaseOutputPin::GetDeliveryBuffer(IMediaSample** ppSample, REFERENCE_TIME* pStartTime,
                                          REFERENCE_TIME* pEndTime, DWORD dwFlags) {
    if (!ppSample) {
        return E_POINTER;
    }
    *ppSample = nullptr;
    if (!m_pAllocator) {
        return VFW_E_NO_ALLOCATOR;
    }
    return m_pAllocator->GetBuffer(ppSample, pStartTime, pEndTime, dwFlags);
}

HRESULT CBaseOutputPin::Deliver(IMediaSample* pSample) {
    if (!pSample) {
        return E_POINTER;
    }
    if (!m_pInputPin) {
        return VFW_E_NOT_CONNECTED;
    }
    return m_pInputPin->Receive(pSample);
}

HRESULT CBaseOutputPin::DeliverEndOfStream() {
    if (!m_Connected) {
        return VFW_E_NOT_CONNECTED;
    }
    return m_Connected->EndOfStream();
}

HRESULT CBaseOutputPin::DeliverBeginFlush() {
    if (!m_Connected) {
        return VFW_E_NOT_CONNECTED;
    }
    return m_Connected->BeginFlush();
}

HRESULT CBaseOutputPin::DeliverEndFlush() {
    if (!m_Connected) {
        return VFW_E_NOT_CONNECTED;
    }
    return m_Connected->EndFlush();
}

HRESULT CBaseOutputPin::DeliverNewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) {
    if (!m_Connected) {
        return VFW_E_NOT_CONNECTED;
    }
    return m_Connected->NewSegment(tStart, tStop, dRate);
}

HRESULT CBaseOutputPin::Active() {
    if (!m_pAllocator) {
        return VFW_E_NO_ALLOCATOR;
    }
    return m_pAllocator->Commit();
}

HRESULT CBaseOutputPin::Inactive() {
    m_bRunTimeError = false;
    if (!m_pAllocator) {
        return VFW_E_NO_ALLOCATOR;
    }
    return m_pAllocator->Decommit();
}

STDMETHODIMP CBaseOutputPin::EndOfStream() {
    return E_UNEXPECTED;
}

STDMETHODIMP CBaseOutputPin::BeginFlush() {
    return E_UNEXPECTED;
}

STDMETHODIMP CBaseOutputPin::EndFlush() {
    return E_UNEXPECTED;
}
