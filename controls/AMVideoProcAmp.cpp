#include "controls/AMVideoProcAmp.h"

#include <cstdint>
#include <vector>

#include "Camera/FeatureHelpers.h"

namespace {

const char kGain[] = "GainRaw";
const char kGainSelector[] = "GainSelector";

bool IsGainProperty(long property) {
    return property == VideoProcAmp_Brightness || property == VideoProcAmp_Gain;
}

// Properties of IAMVideoProcAmp that this camera does not map.
bool IsUnmappedStandardProperty(long property) {
    return property > VideoProcAmp_Brightness && property < VideoProcAmp_Gain;
}

}  // namespace

CAMVideoProcAmp::CAMVideoProcAmp(IUnknown* filterOwner)
    : CUnknown(NAME("CAMVideoProcAmp"), nullptr), m_link(filterOwner) {
    // The filter's reference, taken before registration hands out others, so
    // that a registration that fails half-way cannot free the object.
    m_cRef = 1;
    m_link.Register(reinterpret_cast<IUnknown*>(static_cast<INonDelegatingUnknown*>(this)));
}

CAMVideoProcAmp::~CAMVideoProcAmp() = default;

void CAMVideoProcAmp::Detach() {
    m_link.Detach();
}

STDMETHODIMP CAMVideoProcAmp::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (riid == IID_IAMVideoProcAmp) {
        return GetInterface(static_cast<IAMVideoProcAmp*>(this), ppv);
    }
    if (riid == __uuidof(IKorvelGenICamConfigCallback)) {
        return GetInterface(static_cast<IKorvelGenICamConfigCallback*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP_(ULONG) CAMVideoProcAmp::NonDelegatingAddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_cRef));
}

STDMETHODIMP_(ULONG) CAMVideoProcAmp::NonDelegatingRelease() {
    LONG count = m_cRef;
    for (;;) {
        if (count < 1) {
            return 0;
        }
        const LONG seen = InterlockedCompareExchange(&m_cRef, count - 1, count);
        if (seen == count) {
            break;
        }
        count = seen;
    }
    if (count == 1) {
        delete this;
        return 0;
    }
    return static_cast<ULONG>(count - 1);
}

STDMETHODIMP CAMVideoProcAmp::GetRange(long Property, long* pMin, long* pMax, long* pSteppingDelta,
                                       long* pDefault, long* pCapsFlags) {
    if (!pMin || !pMax || !pSteppingDelta || !pDefault || !pCapsFlags) {
        return E_POINTER;
    }
    if (IsUnmappedStandardProperty(Property)) {
        return E_NOTIMPL;
    }
    if (!IsGainProperty(Property)) {
        return S_OK;
    }
    CAutoLock lock(m_link.Lock());
    GenApi::INodeMap* nodeMap = m_link.NodeMapLocked();
    if (!nodeMap || FAILED(SelectAllGainsLocked(nodeMap))) {
        return E_FAIL;
    }
    if (FAILED(GetGainLimitsLocked(nodeMap, pMin, pMax))) {
        return E_FAIL;
    }
    if (FAILED(GetGainLocked(pDefault))) {
        *pDefault = 0;
        return E_FAIL;
    }
    *pSteppingDelta = 1;
    *pCapsFlags = 0;
    return S_OK;
}

HRESULT CAMVideoProcAmp::SelectAllGainsLocked(GenApi::INodeMap* nodeMap) {
    // The entries are not needed; the call only proves GainSelector is an
    // enumeration.
    std::vector<int64_t> selectors;
    HRESULT hr = GetEnumerationValues(nodeMap, kGainSelector, &selectors);
    if (SUCCEEDED(hr)) {
        hr = SetEnumerationString(nodeMap, kGainSelector, "All");
    }
    return hr;
}

HRESULT CAMVideoProcAmp::GetGainLimitsLocked(GenApi::INodeMap* nodeMap, long* minimum, long* maximum) {
    int64_t value = 0;
    int64_t lowest = 0;
    int64_t highest = 0;
    int64_t increment = 0;
    const HRESULT hr = GetIntegerFeature(nodeMap, kGain, &value, &lowest, &highest, &increment);
    if (FAILED(hr)) {
        *minimum = 0;
        *maximum = 0;
        return hr;
    }
    *minimum = static_cast<long>(lowest);
    *maximum = static_cast<long>(highest);
    return S_OK;
}

HRESULT CAMVideoProcAmp::GetGainLocked(long* value) {
    GenApi::INodeMap* nodeMap = m_link.NodeMapLocked();
    if (!nodeMap) {
        return E_FAIL;
    }
    int64_t gain = 0;
    if (FAILED(GetIntegerFeature(nodeMap, kGain, &gain))) {
        *value = 0;
        return E_FAIL;
    }
    *value = static_cast<long>(gain);
    return S_OK;
}

STDMETHODIMP CAMVideoProcAmp::Set(long Property, long lValue, long /*Flags*/) {
    if (IsUnmappedStandardProperty(Property)) {
        return E_NOTIMPL;
    }
    if (!IsGainProperty(Property)) {
        return S_OK;
    }
    CAutoLock lock(m_link.Lock());
    GenApi::INodeMap* nodeMap = m_link.NodeMapLocked();
    if (!nodeMap) {
        return E_FAIL;
    }
    return SUCCEEDED(SetIntegerFeature(nodeMap, kGain, static_cast<int64_t>(lValue))) ? S_OK : E_FAIL;
}

STDMETHODIMP CAMVideoProcAmp::Get(long Property, long* lValue, long* Flags) {
    if (!lValue || !Flags) {
        return E_POINTER;
    }
    if (IsUnmappedStandardProperty(Property)) {
        return E_NOTIMPL;
    }
    if (!IsGainProperty(Property)) {
        return S_OK;
    }
    CAutoLock lock(m_link.Lock());
    return GetGainLocked(lValue);
}

STDMETHODIMP CAMVideoProcAmp::DeviceValid(LONG Device) {
    return m_link.DeviceValid(Device);
}

STDMETHODIMP CAMVideoProcAmp::DeviceInvalid() {
    return m_link.DeviceInvalid();
}
