#include "baseclasses/BasePin.h"

#include <cstring>
#include <cwchar>
#include <new>

#include <vfwmsgs.h>

#include "baseclasses/BaseFilter.h"
#include "baseclasses/EnumMediaTypes.h"

namespace {

// Failures that only say "not this type": another type may still connect.
// Anything else (no transport, no memory, ...) is worth reporting instead of
// the generic VFW_E_NO_ACCEPTABLE_TYPES.
bool IsTypeRejection(HRESULT hr) {
    return hr == VFW_E_TYPE_NOT_ACCEPTED || hr == VFW_E_INVALIDMEDIATYPE || hr == VFW_E_NO_ACCEPTABLE_TYPES ||
           hr == E_FAIL || hr == E_INVALIDARG;
}

}  // namespace

CBasePin::CBasePin(const TCHAR* pObjectName, CBaseFilter* pFilter, CCritSec* pLock, HRESULT* phr,
                   LPCWSTR pName, PIN_DIRECTION dir)
    : CUnknown(pObjectName, nullptr),
      m_pName(nullptr),
      m_Connected(nullptr),
      m_dir(dir),
      m_pLock(pLock),
      m_pFilter(pFilter),
      m_pQSink(nullptr),
      m_TypeVersion(1),
      m_tStart(0),
      m_tStop(MAXLONGLONG),
      m_dRate(1.0),
      m_bRunTimeError(false),
      m_bCanReconnectWhenActive(false),
      m_bTryMyTypesFirst(false) {
    if (pName) {
        const size_t length = std::wcslen(pName);
        m_pName = new (std::nothrow) WCHAR[length + 1];
        if (m_pName) {
            std::wmemcpy(m_pName, pName, length + 1);
        } else if (phr) {
            *phr = E_OUTOFMEMORY;
        }
    }
}

CBasePin::~CBasePin() {
    // The graph disconnects pins before it lets their filter go; a pin that
    // is still connected here must not keep the other pin alive for ever.
    if (m_Connected) {
        m_Connected->Release();
        m_Connected = nullptr;
    }
    delete[] m_pName;
}

STDMETHODIMP CBasePin::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (riid == IID_IPin) {
        return GetInterface(static_cast<IPin*>(this), ppv);
    }
    if (riid == IID_IQualityControl) {
        return GetInterface(static_cast<IQualityControl*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP_(ULONG) CBasePin::NonDelegatingAddRef() {
    return m_pFilter->AddRef();
}

STDMETHODIMP_(ULONG) CBasePin::NonDelegatingRelease() {
    return m_pFilter->Release();
}

BOOL CBasePin::IsStopped() const {
    return m_pFilter->m_State == State_Stopped ? TRUE : FALSE;
}

STDMETHODIMP CBasePin::Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) {
    if (!pReceivePin) {
        return E_POINTER;
    }
    CAutoLock lock(m_pLock);
    if (m_Connected) {
        return VFW_E_ALREADY_CONNECTED;
    }
    if (!IsStopped() && !m_bCanReconnectWhenActive) {
        return VFW_E_NOT_STOPPED;
    }
    if (!pmt) {
        return AgreeMediaType(pReceivePin, nullptr);
    }
    CMediaType wanted;
    const HRESULT hr = wanted.Set(*pmt);
    if (FAILED(hr)) {
        return hr;
    }
    return AgreeMediaType(pReceivePin, &wanted);
}

HRESULT CBasePin::AgreeMediaType(IPin* pReceivePin, const CMediaType* pmt) {
    if (pmt && !pmt->IsPartiallySpecified()) {
        return AttemptConnection(pReceivePin, pmt);
    }
    HRESULT result = VFW_E_NO_ACCEPTABLE_TYPES;
    for (int pass = 0; pass < 2; ++pass) {
        const bool ours = (pass == 0) == m_bTryMyTypesFirst;
        IEnumMediaTypes* types = nullptr;
        HRESULT hr = ours ? EnumMediaTypes(&types) : pReceivePin->EnumMediaTypes(&types);
        if (FAILED(hr) || !types) {
            continue;
        }
        hr = TryMediaTypes(pReceivePin, pmt, types);
        types->Release();
        if (SUCCEEDED(hr)) {
            return S_OK;
        }
        if (result == VFW_E_NO_ACCEPTABLE_TYPES && !IsTypeRejection(hr)) {
            result = hr;
        }
    }
    return result;
}

HRESULT CBasePin::TryMediaTypes(IPin* pReceivePin, const CMediaType* pmt, IEnumMediaTypes* pEnum) {
    HRESULT hr = pEnum->Reset();
    if (FAILED(hr)) {
        return hr;
    }
    HRESULT result = VFW_E_NO_ACCEPTABLE_TYPES;
    for (;;) {
        AM_MEDIA_TYPE* offered = nullptr;
        ULONG fetched = 0;
        hr = pEnum->Next(1, &offered, &fetched);
        if (hr != S_OK || fetched != 1 || !offered) {
            if (offered) {
                DeleteMediaType(offered);
            }
            return result;
        }
        CMediaType candidate;
        hr = candidate.Set(*offered);
        DeleteMediaType(offered);
        if (FAILED(hr)) {
            return hr;
        }
        if (pmt && !candidate.MatchesPartial(pmt)) {
            continue;
        }
        hr = AttemptConnection(pReceivePin, &candidate);
        if (SUCCEEDED(hr)) {
            return S_OK;
        }
        if (result == VFW_E_NO_ACCEPTABLE_TYPES && !IsTypeRejection(hr)) {
            result = hr;
        }
    }
}

HRESULT CBasePin::AttemptConnection(IPin* pReceivePin, const CMediaType* pmt) {
    HRESULT hr = CheckConnect(pReceivePin);
    if (FAILED(hr)) {
        // CheckConnect may have taken interfaces from the other pin.
        BreakConnect();
        return hr;
    }
    hr = CheckMediaType(pmt);
    if (hr != S_OK) {
        BreakConnect();
        return VFW_E_TYPE_NOT_ACCEPTED;
    }

    m_Connected = pReceivePin;
    m_Connected->AddRef();
    hr = SetMediaType(pmt);
    if (SUCCEEDED(hr)) {
        hr = pReceivePin->ReceiveConnection(static_cast<IPin*>(this), pmt);
        if (SUCCEEDED(hr)) {
            hr = CompleteConnect(pReceivePin);
            if (SUCCEEDED(hr)) {
                return S_OK;
            }
            // The other pin already took the connection: undo its half.
            pReceivePin->Disconnect();
        }
    }

    BreakConnect();
    m_Connected->Release();
    m_Connected = nullptr;
    m_mt.InitMediaType();
    return hr;
}

STDMETHODIMP CBasePin::ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt) {
    if (!pConnector || !pmt) {
        return E_POINTER;
    }
    CAutoLock lock(m_pLock);
    if (m_Connected) {
        return VFW_E_ALREADY_CONNECTED;
    }
    if (!IsStopped() && !m_bCanReconnectWhenActive) {
        return VFW_E_NOT_STOPPED;
    }
    HRESULT hr = CheckConnect(pConnector);
    if (FAILED(hr)) {
        BreakConnect();
        return hr;
    }
    CMediaType type;
    hr = type.Set(*pmt);
    if (FAILED(hr)) {
        BreakConnect();
        return hr;
    }
    if (CheckMediaType(&type) != S_OK) {
        BreakConnect();
        return VFW_E_TYPE_NOT_ACCEPTED;
    }

    m_Connected = pConnector;
    m_Connected->AddRef();
    hr = SetMediaType(&type);
    if (SUCCEEDED(hr)) {
        hr = CompleteConnect(pConnector);
        if (SUCCEEDED(hr)) {
            return S_OK;
        }
    }
    BreakConnect();
    m_Connected->Release();
    m_Connected = nullptr;
    m_mt.InitMediaType();
    return hr;
}

STDMETHODIMP CBasePin::Disconnect() {
    CAutoLock lock(m_pLock);
    if (!IsStopped()) {
        return VFW_E_NOT_STOPPED;
    }
    return DisconnectInternal();
}

HRESULT CBasePin::DisconnectInternal() {
    if (!m_Connected) {
        return S_FALSE;
    }
    const HRESULT hr = BreakConnect();
    if (FAILED(hr)) {
        // The derived pin could not let go; it stays connected.
        return hr;
    }
    m_Connected->Release();
    m_Connected = nullptr;
    m_mt.InitMediaType();
    return S_OK;
}

STDMETHODIMP CBasePin::ConnectedTo(IPin** pPin) {
    if (!pPin) {
        return E_POINTER;
    }
    CAutoLock lock(m_pLock);
    *pPin = m_Connected;
    if (!m_Connected) {
        return VFW_E_NOT_CONNECTED;
    }
    m_Connected->AddRef();
    return S_OK;
}

STDMETHODIMP CBasePin::ConnectionMediaType(AM_MEDIA_TYPE* pmt) {
    if (!pmt) {
        return E_POINTER;
    }
    CAutoLock lock(m_pLock);
    if (!m_Connected) {
        std::memset(pmt, 0, sizeof(*pmt));
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaType(pmt, &m_mt);
}

STDMETHODIMP CBasePin::QueryPinInfo(PIN_INFO* pInfo) {
    if (!pInfo) {
        return E_POINTER;
    }
    pInfo->pFilter = m_pFilter;
    if (m_pFilter) {
        m_pFilter->AddRef();
    }
    pInfo->achName[0] = L'\0';
    if (m_pName) {
        std::wcsncpy(pInfo->achName, m_pName, MAX_PIN_NAME - 1);
        pInfo->achName[MAX_PIN_NAME - 1] = L'\0';
    }
    pInfo->dir = m_dir;
    return S_OK;
}

STDMETHODIMP CBasePin::QueryDirection(PIN_DIRECTION* pPinDir) {
    if (!pPinDir) {
        return E_POINTER;
    }
    *pPinDir = m_dir;
    return S_OK;
}

STDMETHODIMP CBasePin::QueryId(LPWSTR* Id) {
    if (!Id) {
        return E_POINTER;
    }
    const WCHAR* name = m_pName ? m_pName : L"";
    const size_t bytes = (std::wcslen(name) + 1) * sizeof(WCHAR);
    *Id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (!*Id) {
        return E_OUTOFMEMORY;
    }
    std::memcpy(*Id, name, bytes);
    return S_OK;
}

STDMETHODIMP CBasePin::QueryAccept(const AM_MEDIA_TYPE* pmt) {
    if (!pmt) {
        return E_POINTER;
    }
    CMediaType type;
    const HRESULT hr = type.Set(*pmt);
    if (FAILED(hr)) {
        return hr;
    }
    return CheckMediaType(&type) == S_OK ? S_OK : S_FALSE;
}

STDMETHODIMP CBasePin::EnumMediaTypes(IEnumMediaTypes** ppEnum) {
    if (!ppEnum) {
        return E_POINTER;
    }
    *ppEnum = nullptr;
    auto* types = new (std::nothrow) CEnumMediaTypes(this, nullptr);
    if (!types) {
        return E_OUTOFMEMORY;
    }
    return types->NonDelegatingQueryInterface(IID_IEnumMediaTypes, reinterpret_cast<void**>(ppEnum));
}

STDMETHODIMP CBasePin::QueryInternalConnections(IPin** /*apPin*/, ULONG* /*nPin*/) {
    return E_NOTIMPL;
}

STDMETHODIMP CBasePin::EndOfStream() {
    return S_OK;
}

STDMETHODIMP CBasePin::NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) {
    m_tStart = tStart;
    m_tStop = tStop;
    m_dRate = dRate;
    return S_OK;
}

STDMETHODIMP CBasePin::Notify(IBaseFilter* /*pSender*/, Quality /*q*/) {
    return E_NOTIMPL;
}

STDMETHODIMP CBasePin::SetSink(IQualityControl* piqc) {
    CAutoLock lock(m_pLock);
    m_pQSink = piqc;
    return S_OK;
}

HRESULT CBasePin::GetMediaType(int /*iPosition*/, CMediaType* /*pMediaType*/) {
    return E_UNEXPECTED;
}

HRESULT CBasePin::SetMediaType(const CMediaType* pmt) {
    if (!pmt) {
        return E_POINTER;
    }
    return m_mt.Set(*pmt);
}

HRESULT CBasePin::CheckConnect(IPin* pPin) {
    if (!pPin) {
        return E_POINTER;
    }
    PIN_DIRECTION direction;
    const HRESULT hr = pPin->QueryDirection(&direction);
    if (FAILED(hr)) {
        return hr;
    }
    return direction == m_dir ? VFW_E_INVALID_DIRECTION : S_OK;
}

HRESULT CBasePin::CompleteConnect(IPin* /*pReceivePin*/) {
    return S_OK;
}

HRESULT CBasePin::BreakConnect() {
    return S_OK;
}

HRESULT CBasePin::Active() {
    return S_OK;
}

HRESULT CBasePin::Inactive() {
    m_bRunTimeError = false;
    return S_OK;
}

HRESULT CBasePin::Run(REFERENCE_TIME /*tStart*/) {
    return S_OK;
}

LONG CBasePin::GetMediaTypeVersion() {
    return InterlockedCompareExchange(&m_TypeVersion, 0, 0);
}

void CBasePin::IncrementTypeVersion() {
    InterlockedIncrement(&m_TypeVersion);
}
