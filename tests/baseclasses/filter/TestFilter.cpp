#include "TestFilter.h"

#include <cstdio>
#include <new>

CUnknown* CTestFilter::Create(LPUNKNOWN outer, HRESULT* phr, REFCLSID clsid, int pinCount,
                              const AMOVIESETUP_FILTER* setup) {
    auto* filter = new (std::nothrow) CTestFilter(outer, phr, clsid, pinCount, setup);
    if (filter && phr && *phr != S_OK) {
        delete filter;
        return nullptr;
    }
    return filter;
}

CUnknown* WINAPI CTestFilter::CreateSource(LPUNKNOWN outer, HRESULT* phr) {
    return Create(outer, phr, CLSID_KorvelTestSource, 1, &sudTestSource);
}

CUnknown* WINAPI CTestFilter::CreatePinless(LPUNKNOWN outer, HRESULT* phr) {
    return Create(outer, phr, CLSID_KorvelTestPinless, 0, nullptr);
}

CUnknown* WINAPI CTestFilter::CreateFailing(LPUNKNOWN outer, HRESULT* phr) {
    CUnknown* filter = Create(outer, phr, CLSID_KorvelTestFailing, 1, nullptr);
    if (filter && phr) {
        // Construction went wrong after the object existed: the creation
        // function must destroy it, and the factory must report the code.
        *phr = E_FAIL;
        delete filter;
        return nullptr;
    }
    return filter;
}

CUnknown* WINAPI CTestFilter::CreateNoMemory(LPUNKNOWN /*outer*/, HRESULT* /*phr*/) {
    return nullptr;
}

CTestFilter::CTestFilter(LPUNKNOWN outer, HRESULT* phr, REFCLSID clsid, int pinCount,
                         const AMOVIESETUP_FILTER* setup)
    : CBaseFilter(NAME("Korvel test filter"), outer, &m_stateLock, clsid), m_setup(setup) {
    const HRESULT hr = CreatePins(pinCount);
    if (FAILED(hr) && phr) {
        *phr = hr;
    }
}

HRESULT CTestFilter::CreatePins(int count) {
    std::vector<std::unique_ptr<CTestOutputPin>> pins;
    try {
        for (int i = 0; i < count; ++i) {
            WCHAR name[32];
            if (i == 0) {
                std::swprintf(name, 32, L"%ls", kTestOutputPinName);
            } else {
                std::swprintf(name, 32, L"%ls %d", kTestOutputPinName, i + 1);
            }
            HRESULT hr = S_OK;
            pins.push_back(std::make_unique<CTestOutputPin>(this, &m_stateLock, &hr, name));
            if (FAILED(hr)) {
                return hr;
            }
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    m_pins.swap(pins);
    return S_OK;
}

STDMETHODIMP CTestFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (riid == IID_ITestFilterProbe) {
        return GetInterface(static_cast<ITestFilterProbe*>(this), ppv);
    }
    return CBaseFilter::NonDelegatingQueryInterface(riid, ppv);
}

int CTestFilter::GetPinCount() {
    return static_cast<int>(m_pins.size());
}

CBasePin* CTestFilter::GetPin(int n) {
    return PinAt(n);
}

CTestOutputPin* CTestFilter::PinAt(int pin) {
    if (pin < 0 || pin >= static_cast<int>(m_pins.size())) {
        return nullptr;
    }
    return m_pins[static_cast<size_t>(pin)].get();
}

LPAMOVIESETUP_FILTER CTestFilter::GetSetupData() {
    return const_cast<LPAMOVIESETUP_FILTER>(m_setup);
}

STDMETHODIMP CTestFilter::GetPinCounters(int pin, TestPinCounters* counters) {
    if (!counters) {
        return E_POINTER;
    }
    CAutoLock lock(&m_stateLock);
    CTestOutputPin* outputPin = PinAt(pin);
    if (!outputPin) {
        return E_INVALIDARG;
    }
    *counters = outputPin->Counters();
    return S_OK;
}

STDMETHODIMP CTestFilter::SetPinCount(int count) {
    if (count < 0) {
        return E_INVALIDARG;
    }
    CAutoLock lock(&m_stateLock);
    if (!IsStopped()) {
        return VFW_E_NOT_STOPPED;
    }
    for (const auto& pin : m_pins) {
        if (pin->IsConnected()) {
            return VFW_E_ALREADY_CONNECTED;
        }
    }
    const HRESULT hr = CreatePins(count);
    if (SUCCEEDED(hr)) {
        IncrementPinVersion();
    }
    return hr;
}

STDMETHODIMP CTestFilter::FailNextActive(int pin, HRESULT hr) {
    CAutoLock lock(&m_stateLock);
    CTestOutputPin* outputPin = PinAt(pin);
    if (!outputPin) {
        return E_INVALIDARG;
    }
    outputPin->FailNextActive(hr);
    return S_OK;
}

STDMETHODIMP CTestFilter::DeliverSample(int pin) {
    // Not under the state lock: delivery runs like a streaming thread would.
    CTestOutputPin* outputPin = PinAt(pin);
    if (!outputPin) {
        return E_INVALIDARG;
    }
    return outputPin->DeliverOneSample();
}

STDMETHODIMP CTestFilter::SendEvent(long code, LONG_PTR param1, LONG_PTR param2) {
    return NotifyEvent(code, param1, param2);
}

STDMETHODIMP CTestFilter::GetStreamTime(REFERENCE_TIME* streamTime) {
    if (!streamTime) {
        return E_POINTER;
    }
    CAutoLock lock(&m_stateLock);
    return StreamTime(*streamTime);
}

STDMETHODIMP CTestFilter::BumpMediaTypeVersion(int pin) {
    CTestOutputPin* outputPin = PinAt(pin);
    if (!outputPin) {
        return E_INVALIDARG;
    }
    outputPin->IncrementTypeVersion();
    return S_OK;
}
