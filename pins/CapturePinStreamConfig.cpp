// CKorvelGenICamCapturePin: IAMStreamConfig, the applications' way to list
// the camera's capabilities and to choose its format before connecting (or,
// stopped, to reconnect with another one).
#include "pins/CapturePin.h"

#include <amvideo.h>
#include <dvdmedia.h>
#include <uuids.h>
#include <vfwmsgs.h>

#include <cstring>

#include "conversion/MediaTypeReader.h"
#include "pins/FormatNegotiator.h"

namespace {

constexpr int kPreviewPinIndex = 1;
constexpr DWORD kStateWaitMs = 100;
constexpr LONGLONG kOneSecond = 10000000;

// A zeroed AM_MEDIA_TYPE for the caller to free with DeleteMediaType.
AM_MEDIA_TYPE* AllocateMediaType() {
    auto* mediaType = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (mediaType) {
        std::memset(mediaType, 0, sizeof(AM_MEDIA_TYPE));
    }
    return mediaType;
}

// The capabilities of one (format, size) pair: that size only, any frame
// interval from the one measured there up to a second.
VIDEO_STREAM_CONFIG_CAPS CapabilitiesOf(const BITMAPINFOHEADER& header, REFERENCE_TIME frameTime) {
    VIDEO_STREAM_CONFIG_CAPS caps;
    std::memset(&caps, 0, sizeof(caps));
    const SIZE size = {header.biWidth, header.biHeight};
    caps.guid = FORMAT_VideoInfo;
    caps.VideoStandard = AnalogVideo_None;
    caps.InputSize = size;
    caps.MinCroppingSize = size;
    caps.MaxCroppingSize = size;
    caps.CropGranularityX = size.cx;
    caps.CropGranularityY = size.cy;
    caps.MinOutputSize = size;
    caps.MaxOutputSize = size;
    caps.OutputGranularityX = size.cx;
    caps.OutputGranularityY = size.cy;
    caps.MinFrameInterval = frameTime;
    caps.MaxFrameInterval = kOneSecond;
    return caps;
}

}  // namespace

STDMETHODIMP CKorvelGenICamCapturePin::SetFormat(AM_MEDIA_TYPE* pmt) {
    CBaseFilter* filter = Filter();
    if (!filter || !Negotiator()) {
        return E_FAIL;
    }
    FILTER_STATE state = State_Running;
    const HRESULT hr = filter->GetState(kStateWaitMs, &state);
    if (FAILED(hr) || state != State_Stopped) {
        return VFW_E_WRONG_STATE;
    }
    CBasePin* previewPin = filter->GetPin(kPreviewPinIndex);
    if (!previewPin) {
        return E_FAIL;
    }
    if (!IsCameraConnected() && !previewPin->IsConnected()) {
        return SetCameraFormatUnconnected(pmt);
    }
    if (!pmt) {
        return VFW_E_INVALIDMEDIATYPE;
    }
    return ReconnectWithFormat(pmt, previewPin);
}

HRESULT CKorvelGenICamCapturePin::SetCameraFormatUnconnected(const AM_MEDIA_TYPE* mediaType) {
    // The negotiator only reads the type's video header: an application's
    // block is not copied, so a length it misstates costs no allocation.
    const HRESULT hr = Negotiator()->SetMediaTypeOnCamera(mediaType, true);
    return SUCCEEDED(hr) ? S_OK : VFW_E_INVALIDMEDIATYPE;
}

HRESULT CKorvelGenICamCapturePin::ReconnectWithFormat(const AM_MEDIA_TYPE* mediaType, CBasePin* previewPin) {
    IFilterGraph* graph = Filter()->GetFilterGraph();
    if (!graph) {
        return VFW_E_INVALIDMEDIATYPE;
    }
    IFilterGraph2* graph2 = nullptr;
    if (FAILED(graph->QueryInterface(IID_IFilterGraph2, reinterpret_cast<void**>(&graph2))) || !graph2) {
        return VFW_E_INVALIDMEDIATYPE;
    }
    if (FAILED(Negotiator()->TestMediaType(mediaType, true))) {
        graph2->Release();
        return VFW_E_INVALIDMEDIATYPE;
    }
    // Capture first, then preview, both with the same type; a pin whose
    // downstream pin would not take the type keeps its connection.
    HRESULT result = S_OK;
    CBasePin* const pins[] = {this, previewPin};
    for (CBasePin* pin : pins) {
        IPin* peer = nullptr;
        if (pin->ConnectedTo(&peer) != S_OK || !peer) {
            continue;
        }
        const bool accepted = peer->QueryAccept(mediaType) == S_OK;
        peer->Release();
        if (accepted && FAILED(graph2->ReconnectEx(static_cast<IPin*>(pin), mediaType))) {
            result = VFW_E_INVALIDMEDIATYPE;
        }
    }
    graph2->Release();
    return result;
}

STDMETHODIMP CKorvelGenICamCapturePin::GetFormat(AM_MEDIA_TYPE** ppmt) {
    if (!ppmt) {
        return E_INVALIDARG;
    }
    *ppmt = nullptr;
    if (!Negotiator()) {
        return E_FAIL;
    }
    AM_MEDIA_TYPE* mediaType = AllocateMediaType();
    if (!mediaType) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = Negotiator()->GetCameraMediaType(mediaType);
    if (FAILED(hr)) {
        DeleteMediaType(mediaType);
        return hr;
    }
    *ppmt = mediaType;
    return hr;
}

STDMETHODIMP CKorvelGenICamCapturePin::GetNumberOfCapabilities(int* piCount, int* piSize) {
    if (!piCount || !piSize) {
        return E_POINTER;
    }
    *piCount = Negotiator() ? Negotiator()->GetCapabilityCount() : 0;
    *piSize = sizeof(VIDEO_STREAM_CONFIG_CAPS);
    return S_OK;
}

STDMETHODIMP CKorvelGenICamCapturePin::GetStreamCaps(int iIndex, AM_MEDIA_TYPE** ppmt, BYTE* pSCC) {
    if (!ppmt || !pSCC || !Negotiator()) {
        return E_INVALIDARG;
    }
    *ppmt = nullptr;
    if (iIndex < 0 || iIndex >= Negotiator()->GetCapabilityCount()) {
        return E_INVALIDARG;
    }
    AM_MEDIA_TYPE* mediaType = AllocateMediaType();
    if (!mediaType) {
        return E_OUTOFMEMORY;
    }
    HRESULT hr = Negotiator()->GetCapabilityMediaType(iIndex, mediaType);
    const BITMAPINFOHEADER* header = SUCCEEDED(hr) ? BitmapHeaderOf(mediaType) : nullptr;
    if (!header) {
        DeleteMediaType(mediaType);
        return FAILED(hr) ? hr : E_FAIL;
    }
    const REFERENCE_TIME frameTime =
        reinterpret_cast<const VIDEOINFOHEADER*>(mediaType->pbFormat)->AvgTimePerFrame;
    // The caller's buffer need not be aligned for the structure.
    const VIDEO_STREAM_CONFIG_CAPS caps = CapabilitiesOf(*header, frameTime);
    std::memcpy(pSCC, &caps, sizeof(caps));
    *ppmt = mediaType;
    return S_OK;
}
