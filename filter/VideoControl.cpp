// IAMVideoControl: the external-trigger and software-trigger flags onto the
// camera's trigger mode, the frame rate each pin delivers, and the frame rates
// listed for each capability of IAMStreamConfig. Frame rates cross the
// interface as frame durations in 100-ns units.
#include <vfwmsgs.h>

#include <cstddef>

#include <cmath>

#include "Camera/DeviceHandleTable.h"
#include "Camera/FeatureHelpers.h"
#include "baseclasses/MediaType.h"
#include "filter/SourceFilter.h"

#include <dvdmedia.h>  // after dshow.h, which it relies on

#include "pins/CapturePin.h"
#include "pins/FormatNegotiator.h"
#include "pins/PreviewPin.h"

namespace {

constexpr LONG kTriggerFlags = VideoControlFlag_ExternalTriggerEnable | VideoControlFlag_Trigger;

// Frames per second, ascending.
const double kStandardFrameRates[] = {1.875, 3.75, 7.5, 15, 24, 25, 29.97, 30, 50, 59.94, 60, 100, 200, 500};
constexpr int kStandardFrameRateCount = sizeof(kStandardFrameRates) / sizeof(kStandardFrameRates[0]);

// Reported by a pin that has delivered nothing since it was activated: 100 s.
constexpr LONGLONG kNoFrameRateDuration = 1000000000;

// 1000 / rate x 10000, truncated toward zero; an infinite rate gives 0.
LONGLONG DurationOf(double framesPerSecond) {
    return static_cast<LONGLONG>(1000.0 / framesPerSecond * 10000.0);
}

// The media type of a capability, or E_INVALIDARG.
HRESULT CapabilityFrameDuration(FormatNegotiator* negotiator, LONG index, REFERENCE_TIME* duration) {
    if (!negotiator) {
        return E_INVALIDARG;
    }
    AM_MEDIA_TYPE mediaType = {};
    if (FAILED(negotiator->GetCapabilityMediaType(index, &mediaType))) {
        FreeMediaType(mediaType);
        return E_INVALIDARG;
    }
    // AvgTimePerFrame lies at one offset in VIDEOINFOHEADER and VIDEOINFOHEADER2.
    static_assert(offsetof(VIDEOINFOHEADER, AvgTimePerFrame) == offsetof(VIDEOINFOHEADER2, AvgTimePerFrame),
                  "both video headers keep the frame duration at one place");
    HRESULT hr = E_INVALIDARG;
    if ((mediaType.formattype == FORMAT_VideoInfo || mediaType.formattype == FORMAT_VideoInfo2) &&
        mediaType.pbFormat && mediaType.cbFormat >= sizeof(VIDEOINFOHEADER)) {
        *duration = reinterpret_cast<const VIDEOINFOHEADER*>(mediaType.pbFormat)->AvgTimePerFrame;
        hr = S_OK;
    }
    FreeMediaType(mediaType);
    return hr;
}

}  // namespace

FILTER_STATE CKorvelGenICamSourceFilter::StateWithoutLock() const {
    // The graph changes the state under the state lock, which must never be
    // taken while the camera lock is held; one aligned read of it is whole.
    return *static_cast<const volatile FILTER_STATE*>(&m_State);
}

bool CKorvelGenICamSourceFilter::IsTriggerModeOn() {
    // The camera object's lock keeps the device open while its feature is read.
    CCameraAutoLock objectLock(m_camera.ObjectLock());
    long deviceValue = 0;
    if (m_camera.GetDeviceValue(&deviceValue) != S_OK) {
        return false;
    }
    Quill::IQuillDevice* device = nullptr;
    if (FAILED(ResolveDeviceValue(deviceValue, &device)) || !device) {
        return false;
    }
    try {
        GenICam::gcstring mode;
        return SUCCEEDED(GetEnumerationString(device->GetNodeMap(), "TriggerMode", &mode)) && mode == "On";
    } catch (const GenICam::GenericException&) {
        return false;
    }
}

STDMETHODIMP CKorvelGenICamSourceFilter::GetCaps(IPin* pPin, LONG* pCapsFlags) {
    if (!pPin || !pCapsFlags) {
        return E_POINTER;
    }
    *pCapsFlags = kTriggerFlags;
    return S_OK;
}

STDMETHODIMP CKorvelGenICamSourceFilter::SetMode(IPin* pPin, LONG Mode) {
    if (!pPin) {
        return E_POINTER;
    }
    CAutoLock cameraLock(&m_cameraLock);
    const bool triggerOn = IsTriggerModeOn();
    const FILTER_STATE state = StateWithoutLock();
    const bool streaming = state == State_Paused || state == State_Running;
    const bool external = (Mode & VideoControlFlag_ExternalTriggerEnable) != 0;

    if (streaming && external != triggerOn && m_capturePin) {
        // The camera takes a new trigger mode only while it is not acquiring:
        // the capture pin stops acquisition with its delivery, and starts both
        // again in the new mode, so that triggers (or the free run) reach it.
        m_capturePin->Inactive();
        m_camera.SetTriggerMode(external ? 1 : 0);
        m_capturePin->Active();
    } else {
        m_camera.SetTriggerMode(external ? 1 : 0);
    }

    if (Mode & VideoControlFlag_Trigger) {
        if (!IsTriggerModeOn()) {
            return E_UNEXPECTED;
        }
        m_camera.ExecuteSoftwareTrigger();
    }
    return S_OK;
}

STDMETHODIMP CKorvelGenICamSourceFilter::GetMode(IPin* pPin, LONG* Mode) {
    if (!pPin || !Mode) {
        return E_POINTER;
    }
    CAutoLock cameraLock(&m_cameraLock);
    *Mode = IsTriggerModeOn() ? VideoControlFlag_ExternalTriggerEnable : 0;
    return S_OK;
}

STDMETHODIMP CKorvelGenICamSourceFilter::GetCurrentActualFrameRate(IPin* pPin, LONGLONG* ActualFrameRate) {
    if (!pPin || !ActualFrameRate) {
        return E_POINTER;
    }
    CKorvelGenICamStreamPin* pin = nullptr;
    if (m_capturePin && pPin == static_cast<IPin*>(m_capturePin)) {
        pin = m_capturePin;
    } else if (m_previewPin && pPin == static_cast<IPin*>(m_previewPin)) {
        pin = m_previewPin;
    } else {
        return E_INVALIDARG;
    }
    const double rate = pin->AverageFrameRate();
    *ActualFrameRate = rate > 0.0 ? DurationOf(rate) : kNoFrameRateDuration;
    return S_OK;
}

STDMETHODIMP CKorvelGenICamSourceFilter::GetMaxAvailableFrameRate(IPin* pPin, LONG iIndex, SIZE,
                                                                  LONGLONG* MaxAvailableFrameRate) {
    if (!pPin || !MaxAvailableFrameRate) {
        return E_POINTER;
    }
    REFERENCE_TIME duration = 0;
    const HRESULT hr = CapabilityFrameDuration(m_negotiator, iIndex, &duration);
    if (FAILED(hr)) {
        return hr;
    }
    *MaxAvailableFrameRate = duration;
    return S_OK;
}

STDMETHODIMP CKorvelGenICamSourceFilter::GetFrameRateList(IPin* pPin, LONG iIndex, SIZE, LONG* ListSize,
                                                          LONGLONG** FrameRates) {
    if (!pPin || !ListSize || !FrameRates) {
        return E_POINTER;
    }
    *ListSize = 0;
    *FrameRates = nullptr;
    REFERENCE_TIME duration = 0;
    const HRESULT hr = CapabilityFrameDuration(m_negotiator, iIndex, &duration);
    if (FAILED(hr)) {
        return hr;
    }
    // A duration of 0 (no limit) gives an infinite rate: every table entry.
    const double maximum = 1000.0 / (static_cast<double>(duration) / 10000.0);
    int below = 0;
    while (below < kStandardFrameRateCount && maximum >= kStandardFrameRates[below]) {
        ++below;
    }
    const int count = below + 1;
    LONGLONG* list = static_cast<LONGLONG*>(CoTaskMemAlloc(count * sizeof(LONGLONG)));
    if (!list) {
        return E_OUTOFMEMORY;
    }
    for (int index = 0; index < below; ++index) {
        list[index] = DurationOf(kStandardFrameRates[index]);
    }
    list[below] = std::isinf(maximum) ? 0 : DurationOf(maximum);
    *ListSize = count;
    *FrameRates = list;
    return S_OK;
}
