#include "controls/AMCameraControl.h"

#include <vector>

#include "Camera/FeatureHelpers.h"
#include "controls/ExposureUnits.h"

namespace {

const char kExposureTime[] = "ExposureTimeAbs";
const char kExposureMode[] = "ExposureMode";

// Properties of IAMCameraControl that this camera does not map.
bool IsUnmappedStandardProperty(long property) {
    return property >= CameraControl_Pan && property <= CameraControl_Focus &&
           property != CameraControl_Exposure;
}

}  // namespace

CAMCameraControl::CAMCameraControl(IUnknown* filterOwner)
    : CUnknown(NAME("CAMCameraControl"), nullptr), m_link(filterOwner) {
    // The filter's reference, taken before registration hands out others, so
    // that a registration that fails half-way cannot free the object.
    m_cRef = 1;
    m_link.Register(reinterpret_cast<IUnknown*>(static_cast<INonDelegatingUnknown*>(this)));
}

CAMCameraControl::~CAMCameraControl() = default;

void CAMCameraControl::Detach() {
    m_link.Detach();
}

STDMETHODIMP CAMCameraControl::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (riid == IID_IAMCameraControl) {
        return GetInterface(static_cast<IAMCameraControl*>(this), ppv);
    }
    if (riid == __uuidof(IKorvelGenICamConfigCallback)) {
        return GetInterface(static_cast<IKorvelGenICamConfigCallback*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP_(ULONG) CAMCameraControl::NonDelegatingAddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_cRef));
}

STDMETHODIMP_(ULONG) CAMCameraControl::NonDelegatingRelease() {
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

STDMETHODIMP CAMCameraControl::GetRange(long Property, long* pMin, long* pMax, long* pSteppingDelta,
                                        long* pDefault, long* pCapsFlags) {
    if (!pMin || !pMax || !pSteppingDelta || !pDefault || !pCapsFlags) {
        return E_POINTER;
    }
    if (Property != CameraControl_Exposure) {
        return E_NOTIMPL;
    }
    CAutoLock lock(m_link.Lock());
    GenApi::INodeMap* nodeMap = m_link.NodeMapLocked();
    if (!nodeMap || FAILED(SelectTimedExposureLocked(nodeMap)) ||
        FAILED(ClampExposureLocked(nodeMap, pMin, pMax)) || FAILED(GetExposureLocked(pDefault))) {
        return E_NOTIMPL;
    }
    *pSteppingDelta = 1;
    *pCapsFlags = 0;
    return S_OK;
}

HRESULT CAMCameraControl::SelectTimedExposureLocked(GenApi::INodeMap* nodeMap) {
    // The entries are not needed; the call only proves ExposureMode is an
    // enumeration.
    std::vector<int64_t> modes;
    HRESULT hr = GetEnumerationValues(nodeMap, kExposureMode, &modes);
    if (SUCCEEDED(hr)) {
        hr = SetEnumerationString(nodeMap, kExposureMode, "Timed");
    }
    return hr;
}

HRESULT CAMCameraControl::ClampExposureLocked(GenApi::INodeMap* nodeMap, long* minimum, long* maximum) {
    *minimum = 0;
    *maximum = 0;
    double current = 0.0;
    double lowest = 0.0;
    double highest = 0.0;
    HRESULT hr = GetFloatFeature(nodeMap, kExposureTime, &current, &lowest, &highest);
    if (FAILED(hr)) {
        return hr;
    }
    long low = 0;
    long high = 0;
    if (!ExposureUnits::MicrosecondsToValue(lowest, &low) ||
        !ExposureUnits::MicrosecondsToValue(highest, &high)) {
        return E_FAIL;
    }
    // Truncation moves a value toward zero, which for a positive minimum or a
    // negative maximum leaves the camera's limits: step back inside.
    if (low > 0) {
        ++low;
    }
    if (high < 0) {
        --high;
    }
    double value = current > 0.0 ? ExposureUnits::Log2(current / 1000000.0) : static_cast<double>(low);
    if (static_cast<double>(low) > value) {
        value = static_cast<double>(low);
    }
    if (value > static_cast<double>(high)) {
        value = static_cast<double>(high);
    }
    hr = SetFloatFeature(nodeMap, kExposureTime,
                         ExposureUnits::ValueToMicroseconds(static_cast<long>(std::trunc(value))));
    if (FAILED(hr)) {
        return hr;
    }
    *minimum = low;
    *maximum = high;
    return S_OK;
}

HRESULT CAMCameraControl::GetExposureLocked(long* value) {
    GenApi::INodeMap* nodeMap = m_link.NodeMapLocked();
    if (!nodeMap) {
        return E_FAIL;
    }
    double microseconds = 0.0;
    long exposure = 0;
    if (FAILED(GetFloatFeature(nodeMap, kExposureTime, &microseconds)) ||
        !ExposureUnits::MicrosecondsToValue(microseconds, &exposure)) {
        return E_FAIL;
    }
    *value = exposure;
    return S_OK;
}

STDMETHODIMP CAMCameraControl::Set(long Property, long lValue, long /*Flags*/) {
    if (IsUnmappedStandardProperty(Property)) {
        return E_NOTIMPL;
    }
    if (Property != CameraControl_Exposure) {
        return S_OK;
    }
    CAutoLock lock(m_link.Lock());
    GenApi::INodeMap* nodeMap = m_link.NodeMapLocked();
    if (!nodeMap) {
        return E_FAIL;
    }
    return SUCCEEDED(SetFloatFeature(nodeMap, kExposureTime, ExposureUnits::ValueToMicroseconds(lValue)))
               ? S_OK
               : E_FAIL;
}

STDMETHODIMP CAMCameraControl::Get(long Property, long* lValue, long* Flags) {
    if (!lValue || !Flags) {
        return E_POINTER;
    }
    if (IsUnmappedStandardProperty(Property)) {
        return E_NOTIMPL;
    }
    if (Property != CameraControl_Exposure) {
        return S_OK;
    }
    CAutoLock lock(m_link.Lock());
    return GetExposureLocked(lValue);
}

STDMETHODIMP CAMCameraControl::DeviceValid(LONG Device) {
    return m_link.DeviceValid(Device);
}

STDMETHODIMP CAMCameraControl::DeviceInvalid() {
    return m_link.DeviceInvalid();
}
