#include "baseclasses/BaseFilter.h"

#include <cstring>
#include <cwchar>
#include <new>

#include <control.h>
#include <evcode.h>
#include <uuids.h>
#include <vfwmsgs.h>

#include "baseclasses/BasePin.h"
#include "baseclasses/EnumPins.h"
#include "baseclasses/ServerRegistration.h"

CBaseFilter::CBaseFilter(const TCHAR* pName, LPUNKNOWN pUnk, CCritSec* pLock, REFCLSID clsid)
    : CUnknown(pName, pUnk),
      m_State(State_Stopped),
      m_pClock(nullptr),
      m_tStart(0),
      m_clsid(clsid),
      m_pLock(pLock),
      m_pName(nullptr),
      m_pGraph(nullptr),
      m_pSink(nullptr),
      m_PinVersion(1) {}

CBaseFilter::CBaseFilter(const TCHAR* pName, LPUNKNOWN pUnk, CCritSec* pLock, REFCLSID clsid,
                         HRESULT* /*phr*/)
    : CBaseFilter(pName, pUnk, pLock, clsid) {}

CBaseFilter::~CBaseFilter() {
    delete[] m_pName;
    if (m_pClock) {
        m_pClock->Release();
        m_pClock = nullptr;
    }
}

STDMETHODIMP CBaseFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (riid == IID_IBaseFilter || riid == IID_IMediaFilter || riid == IID_IPersist) {
        return GetInterface(static_cast<IBaseFilter*>(this), ppv);
    }
    if (riid == IID_IAMovieSetup) {
        return GetInterface(static_cast<IAMovieSetup*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP CBaseFilter::GetClassID(CLSID* pClsID) {
    if (!pClsID) {
        return E_POINTER;
    }
    *pClsID = m_clsid;
    return S_OK;
}

STDMETHODIMP CBaseFilter::GetState(DWORD /*dwMSecs*/, FILTER_STATE* State) {
    if (!State) {
        return E_POINTER;
    }
    *State = m_State;
    return S_OK;
}

STDMETHODIMP CBaseFilter::SetSyncSource(IReferenceClock* pClock) {
    CAutoLock lock(m_pLock);
    if (pClock) {
        pClock->AddRef();
    }
    if (m_pClock) {
        m_pClock->Release();
    }
    m_pClock = pClock;
    return S_OK;
}

STDMETHODIMP CBaseFilter::GetSyncSource(IReferenceClock** pClock) {
    if (!pClock) {
        return E_POINTER;
    }
    CAutoLock lock(m_pLock);
    *pClock = m_pClock;
    if (m_pClock) {
        m_pClock->AddRef();
    }
    return S_OK;
}

STDMETHODIMP CBaseFilter::Stop() {
    CAutoLock lock(m_pLock);
    HRESULT result = S_OK;
    if (m_State != State_Stopped) {
        const int count = GetPinCount();
        for (int i = 0; i < count; ++i) {
            CBasePin* pin = GetPin(i);
            if (!pin || !pin->IsConnected()) {
                continue;
            }
            const HRESULT hr = pin->Inactive();
            if (FAILED(hr) && SUCCEEDED(result)) {
                result = hr;
            }
        }
    }
    m_State = State_Stopped;
    return result;
}

STDMETHODIMP CBaseFilter::Pause() {
    CAutoLock lock(m_pLock);
    if (m_State == State_Stopped) {
        const int count = GetPinCount();
        for (int i = 0; i < count; ++i) {
            CBasePin* pin = GetPin(i);
            if (!pin || !pin->IsConnected()) {
                continue;
            }
            const HRESULT hr = pin->Active();
            if (FAILED(hr)) {
                // Leave nothing running behind a failed start: the graph
                // sees a stopped filter and will not call Stop on it.
                for (int j = 0; j < i; ++j) {
                    CBasePin* started = GetPin(j);
                    if (started && started->IsConnected()) {
                        started->Inactive();
                    }
                }
                return hr;
            }
        }
    }
    m_State = State_Paused;
    return S_OK;
}

STDMETHODIMP CBaseFilter::Run(REFERENCE_TIME tStart) {
    CAutoLock lock(m_pLock);
    m_tStart = tStart;
    if (m_State == State_Stopped) {
        const HRESULT hr = Pause();
        if (FAILED(hr)) {
            return hr;
        }
    }
    if (m_State != State_Running) {
        const int count = GetPinCount();
        for (int i = 0; i < count; ++i) {
            CBasePin* pin = GetPin(i);
            if (!pin || !pin->IsConnected()) {
                continue;
            }
            const HRESULT hr = pin->Run(tStart);
            if (FAILED(hr)) {
                return hr;
            }
        }
    }
    m_State = State_Running;
    return S_OK;
}

HRESULT CBaseFilter::StreamTime(REFERENCE_TIME& rtStream) {
    if (!m_pClock) {
        return VFW_E_NO_CLOCK;
    }
    REFERENCE_TIME now = 0;
    const HRESULT hr = m_pClock->GetTime(&now);
    if (FAILED(hr)) {
        return hr;
    }
    rtStream = now - m_tStart;
    return S_OK;
}

STDMETHODIMP CBaseFilter::EnumPins(IEnumPins** ppEnum) {
    if (!ppEnum) {
        return E_POINTER;
    }
    *ppEnum = nullptr;
    auto* pins = new (std::nothrow) CEnumPins(this, nullptr);
    if (!pins) {
        return E_OUTOFMEMORY;
    }
    return pins->NonDelegatingQueryInterface(IID_IEnumPins, reinterpret_cast<void**>(ppEnum));
}

STDMETHODIMP CBaseFilter::FindPin(LPCWSTR Id, IPin** ppPin) {
    if (!ppPin) {
        return E_POINTER;
    }
    *ppPin = nullptr;
    if (!Id) {
        return E_POINTER;
    }
    CAutoLock lock(m_pLock);
    const int count = GetPinCount();
    for (int i = 0; i < count; ++i) {
        CBasePin* pin = GetPin(i);
        if (pin && pin->Name() && std::wcscmp(pin->Name(), Id) == 0) {
            *ppPin = static_cast<IPin*>(pin);
            (*ppPin)->AddRef();
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}

STDMETHODIMP CBaseFilter::QueryFilterInfo(FILTER_INFO* pInfo) {
    if (!pInfo) {
        return E_POINTER;
    }
    CAutoLock lock(m_pLock);
    pInfo->achName[0] = L'\0';
    if (m_pName) {
        std::wcsncpy(pInfo->achName, m_pName, MAX_FILTER_NAME - 1);
        pInfo->achName[MAX_FILTER_NAME - 1] = L'\0';
    }
    pInfo->pGraph = m_pGraph;
    if (m_pGraph) {
        m_pGraph->AddRef();
    }
    return S_OK;
}

STDMETHODIMP CBaseFilter::JoinFilterGraph(IFilterGraph* pGraph, LPCWSTR pName) {
    CAutoLock lock(m_pLock);

    WCHAR* name = nullptr;
    if (pName) {
        const size_t length = std::wcslen(pName);
        name = new (std::nothrow) WCHAR[length + 1];
        if (!name) {
            return E_OUTOFMEMORY;
        }
        std::wmemcpy(name, pName, length + 1);
    }

    m_pGraph = pGraph;
    m_pSink = nullptr;
    if (pGraph) {
        IMediaEventSink* sink = nullptr;
        if (SUCCEEDED(pGraph->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&sink))) && sink) {
            // Kept without its reference, like the graph itself: it belongs
            // to the graph, which outlives our membership in it.
            m_pSink = sink;
            sink->Release();
        }
    }
    delete[] m_pName;
    m_pName = name;
    return S_OK;
}

STDMETHODIMP CBaseFilter::QueryVendorInfo(LPWSTR* pVendorInfo) {
    if (pVendorInfo) {
        *pVendorInfo = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT CBaseFilter::NotifyEvent(long EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2) {
    IMediaEventSink* sink = m_pSink;
    if (!sink) {
        return E_NOTIMPL;
    }
    if (EventCode == EC_COMPLETE) {
        EventParam2 = reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this));
    }
    return sink->Notify(EventCode, EventParam1, EventParam2);
}

HRESULT CBaseFilter::ReconnectPin(IPin* pPin, const AM_MEDIA_TYPE* pmt) {
    if (!m_pGraph) {
        return E_NOINTERFACE;
    }
    IFilterGraph2* graph2 = nullptr;
    if (SUCCEEDED(m_pGraph->QueryInterface(IID_IFilterGraph2, reinterpret_cast<void**>(&graph2))) && graph2) {
        const HRESULT hr = graph2->ReconnectEx(pPin, pmt);
        graph2->Release();
        return hr;
    }
    return m_pGraph->Reconnect(pPin);
}

LONG CBaseFilter::GetPinVersion() {
    return InterlockedCompareExchange(&m_PinVersion, 0, 0);
}

void CBaseFilter::IncrementPinVersion() {
    InterlockedIncrement(&m_PinVersion);
}

STDMETHODIMP CBaseFilter::Register() {
    const AMOVIESETUP_FILTER* setup = GetSetupData();
    if (!setup) {
        return S_FALSE;
    }
    if (!setup->clsID) {
        return E_POINTER;
    }
    WCHAR path[MAX_PATH];
    HRESULT hr = GetServerModulePath(path, MAX_PATH);
    if (FAILED(hr)) {
        return hr;
    }
    hr = AMovieSetupRegisterServer(*setup->clsID, setup->strName ? setup->strName : L"", path);
    if (FAILED(hr)) {
        return hr;
    }
    IFilterMapper2* mapper = nullptr;
    hr = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                          reinterpret_cast<void**>(&mapper));
    if (FAILED(hr)) {
        return hr;
    }
    hr = AMovieSetupRegisterFilter2(setup, mapper, TRUE);
    mapper->Release();
    return hr;
}

STDMETHODIMP CBaseFilter::Unregister() {
    const AMOVIESETUP_FILTER* setup = GetSetupData();
    if (!setup) {
        return S_FALSE;
    }
    if (!setup->clsID) {
        return E_POINTER;
    }
    IFilterMapper2* mapper = nullptr;
    HRESULT result = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                      reinterpret_cast<void**>(&mapper));
    if (SUCCEEDED(result)) {
        result = AMovieSetupRegisterFilter2(setup, mapper, FALSE);
        mapper->Release();
    }
    const HRESULT hr = AMovieSetupUnregisterServer(*setup->clsID);
    return FAILED(result) ? result : hr;
}
