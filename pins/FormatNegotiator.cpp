#include "pins/FormatNegotiator.h"

#include <climits>

#include "Camera/KorvelCamera.h"
#include "baseclasses/MediaType.h"

namespace {

// Holds the negotiator's lock for a scope.
class NegotiatorLock {
  public:
    explicit NegotiatorLock(FormatNegotiator* negotiator) : m_negotiator(negotiator) { m_negotiator->Lock(); }
    ~NegotiatorLock() { m_negotiator->Unlock(); }

    NegotiatorLock(const NegotiatorLock&) = delete;
    NegotiatorLock& operator=(const NegotiatorLock&) = delete;

  private:
    FormatNegotiator* const m_negotiator;
};

// The camera layer names formats as unsigned ids; -1 becomes a value it refuses.
uint32_t CameraFormatOf(VideoFormatId format) {
    return static_cast<uint32_t>(format);
}

// The size count of a listed format: that of the first entry with its id, the
// entry GetFormatSize reads.
uint32_t SizeCountOf(const CameraFormatList& formats, uint32_t format) {
    for (const CameraFormat& entry : formats) {
        if (entry.format == format) {
            return entry.sizeCount;
        }
    }
    return 0;
}

}  // namespace

FormatNegotiator::FormatNegotiator(CKorvelCamera* camera)
    : m_camera(camera), m_capturePinConnected(0), m_previewPinConnected(0) {
    InitializeCriticalSection(&m_lock);
}

FormatNegotiator::~FormatNegotiator() {
    // The engine gives its scratch buffers back as it goes.
    DeleteCriticalSection(&m_lock);
}

void FormatNegotiator::SetCapturePinConnected(bool connected) {
    NegotiatorLock lock(this);
    m_capturePinConnected = connected ? 1 : 0;
}

void FormatNegotiator::SetPreviewPinConnected(bool connected) {
    NegotiatorLock lock(this);
    m_previewPinConnected = connected ? 1 : 0;
}

bool FormatNegotiator::IsCapturePinConnected() {
    NegotiatorLock lock(this);
    return m_capturePinConnected != 0;
}

bool FormatNegotiator::IsPreviewPinConnected() {
    NegotiatorLock lock(this);
    return m_previewPinConnected != 0;
}

HRESULT FormatNegotiator::ReadCameraState(CameraState* state) {
    if (!m_camera) {
        return E_FAIL;
    }
    uint32_t format = 0;
    int32_t width = 0;
    int32_t height = 0;
    double frameRate = 0.0;
    const HRESULT hr = m_camera->GetCurrentFormat(&format, &width, &height, &frameRate);
    if (FAILED(hr)) {
        return hr;
    }
    state->format = static_cast<VideoFormatId>(format);
    state->width = width;
    state->height = height;
    state->frameRate = frameRate;
    return S_OK;
}

HRESULT FormatNegotiator::SetCameraState(const CameraState& state) {
    return m_camera->SetCameraFormat(CameraFormatOf(state.format), state.width, state.height,
                                     state.frameRate);
}

int32_t FormatNegotiator::GetOfferedTypeCount() {
    NegotiatorLock lock(this);
    CameraState current = {};
    if (FAILED(ReadCameraState(&current))) {
        return 0;
    }
    return 2 * (1 + m_engine.DestinationCount(current.format));
}

HRESULT FormatNegotiator::GetOfferedMediaType(int32_t position, AM_MEDIA_TYPE* mediaType) {
    if (!mediaType) {
        return E_POINTER;
    }
    NegotiatorLock lock(this);
    CameraState current = {};
    HRESULT hr = ReadCameraState(&current);
    if (FAILED(hr)) {
        return hr;
    }
    if (position < 0) {
        return E_INVALIDARG;
    }
    const int32_t entry = position / 2;
    VideoFormatId format = current.format;
    if (entry > 0) {
        hr = m_engine.DestinationAt(current.format, entry - 1, &format);
        if (FAILED(hr)) {
            return E_INVALIDARG;
        }
    }
    // Even positions in VIDEOINFOHEADER form: clients that know only that
    // one (the AVI mux) find it first.
    const bool useVideoInfo2 = (position % 2) != 0;
    return m_engine.BuildOutputMediaTypeFromSize(format, current.width, current.height, current.frameRate,
                                                 mediaType, useVideoInfo2);
}

HRESULT FormatNegotiator::CheckDeliveredSize(const ProposedMediaType& proposal) {
    CameraState now = {};
    const HRESULT hr = ReadCameraState(&now);
    if (FAILED(hr)) {
        return hr;
    }
    // The type may be wider than the camera's rows by the format's row
    // padding, and planar formats raise an odd height by one; anything
    // beyond that describes a picture the camera does not deliver.
    const int64_t widest = VideoFormatCatalogue::PaddedWidth(proposal.format, now.width);
    const int64_t highest = VideoFormatCatalogue::EvenHeight(proposal.format, now.height);
    if (proposal.width < now.width || proposal.width > widest || proposal.height < now.height ||
        proposal.height > highest) {
        return E_INVALIDARG;
    }
    return S_OK;
}

HRESULT FormatNegotiator::ApplyMediaType(const AM_MEDIA_TYPE* mediaType, const CameraState& current,
                                         bool allowed) {
    ProposedMediaType proposal = {};
    HRESULT hr = ParseProposedMediaType(mediaType, &proposal);
    if (FAILED(hr)) {
        return hr;
    }
    const double frameRate = proposal.frameRate > 0.0 ? proposal.frameRate : current.frameRate;
    const VideoFormatId cameraFormat = current.format;
    const VideoFormatId wanted = proposal.format;

    if (allowed && m_capturePinConnected == 0 && m_previewPinConnected == 0) {
        // First the camera's own pixel format of that name, if it has one.
        hr = m_camera->SetCameraFormat(CameraFormatOf(wanted), proposal.width, proposal.height, frameRate);
        if (SUCCEEDED(hr)) {
            return CheckDeliveredSize(proposal);
        }
        if (!VideoFormatCatalogue::Row(cameraFormat) || !VideoFormatCatalogue::Row(wanted)) {
            return hr;
        }
        if (!m_engine.HasRoutine(cameraFormat, wanted)) {
            return hr;
        }
        // Else the current format, converted.
        hr = m_camera->SetCameraFormat(CameraFormatOf(cameraFormat), proposal.width, proposal.height,
                                       frameRate);
        return SUCCEEDED(hr) ? CheckDeliveredSize(proposal) : hr;
    }

    // The camera's pixel format stays: the type must be it or convertible from it.
    if (wanted != cameraFormat &&
        (wanted == VideoFormat::Unknown || !m_engine.HasRoutine(cameraFormat, wanted))) {
        return E_INVALIDARG;
    }
    hr = m_camera->SetCameraFormat(CameraFormatOf(cameraFormat), proposal.width, proposal.height, frameRate);
    return SUCCEEDED(hr) ? CheckDeliveredSize(proposal) : hr;
}

HRESULT FormatNegotiator::TestMediaType(const AM_MEDIA_TYPE* mediaType, bool allowed) {
    NegotiatorLock lock(this);
    if (!m_camera) {
        return E_FAIL;
    }
    CameraState current = {};
    if (FAILED(ReadCameraState(&current)) || !(current.frameRate > 0.0)) {
        return E_FAIL;
    }
    const HRESULT hr = ApplyMediaType(mediaType, current, allowed);
    // A test leaves no trace on the camera, whatever its outcome.
    SetCameraState(current);
    return hr;
}

HRESULT FormatNegotiator::SetMediaTypeOnCamera(const AM_MEDIA_TYPE* mediaType, bool allowed) {
    NegotiatorLock lock(this);
    if (!m_camera) {
        return E_FAIL;
    }
    CameraState current = {};
    if (FAILED(ReadCameraState(&current)) || !(current.frameRate > 0.0)) {
        return E_FAIL;
    }
    if (!mediaType) {
        if (!allowed) {
            return E_INVALIDARG;
        }
        return ResetCameraToDefault();
    }
    const HRESULT hr = ApplyMediaType(mediaType, current, allowed);
    if (FAILED(hr)) {
        SetCameraState(current);
    }
    return hr;
}

HRESULT FormatNegotiator::ResetCameraToDefault() {
    uint32_t format = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    double frameRate = 0.0;
    {
        CCameraAutoLock objectLock(m_camera->ObjectLock());
        const CameraFormatList& formats = m_camera->FormatList();
        if (formats.empty()) {
            return E_INVALIDARG;
        }
        // The lowest format id at its first size, the camera's largest.
        format = formats.front().format;
        if (FAILED(m_camera->GetFormatSize(format, 0, &width, &height, &frameRate))) {
            return E_INVALIDARG;
        }
    }
    if (width > INT32_MAX || height > INT32_MAX) {
        return E_INVALIDARG;
    }
    CMediaType check;
    if (FAILED(m_engine.BuildOutputMediaTypeFromSize(
            static_cast<VideoFormatId>(format), static_cast<int32_t>(width), static_cast<int32_t>(height),
            frameRate, &check, false))) {
        return E_INVALIDARG;
    }
    return m_camera->SetCameraFormat(format, static_cast<int32_t>(width), static_cast<int32_t>(height),
                                     frameRate);
}

HRESULT FormatNegotiator::GetCameraMediaType(AM_MEDIA_TYPE* mediaType) {
    if (!mediaType) {
        return E_POINTER;
    }
    NegotiatorLock lock(this);
    if (!m_camera) {
        return E_FAIL;
    }
    CameraState current = {};
    const HRESULT hr = ReadCameraState(&current);
    if (FAILED(hr)) {
        return hr;
    }
    return m_engine.BuildOutputMediaTypeFromSize(current.format, current.width, current.height,
                                                 current.frameRate, mediaType, false);
}

int32_t FormatNegotiator::GetCapabilityCount() {
    NegotiatorLock lock(this);
    if (!m_camera) {
        return 0;
    }
    CCameraAutoLock objectLock(m_camera->ObjectLock());
    const CameraFormatList& formats = m_camera->FormatList();
    int64_t count = 0;
    for (const CameraFormat& entry : formats) {
        count += SizeCountOf(formats, entry.format);
    }
    return count > INT32_MAX ? INT32_MAX : static_cast<int32_t>(count);
}

HRESULT FormatNegotiator::GetCapabilityMediaType(int32_t index, AM_MEDIA_TYPE* mediaType) {
    if (!mediaType) {
        return E_POINTER;
    }
    NegotiatorLock lock(this);
    if (!m_camera) {
        return E_FAIL;
    }
    uint32_t format = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    double frameRate = 0.0;
    {
        CCameraAutoLock objectLock(m_camera->ObjectLock());
        const CameraFormatList& formats = m_camera->FormatList();
        if (formats.empty() || index < 0) {
            return E_INVALIDARG;
        }
        bool found = false;
        int64_t remaining = index;
        for (const CameraFormat& entry : formats) {
            const uint32_t sizes = SizeCountOf(formats, entry.format);
            if (remaining < sizes) {
                format = entry.format;
                found = true;
                break;
            }
            remaining -= sizes;
        }
        if (!found || FAILED(m_camera->GetFormatSize(format, static_cast<int32_t>(remaining), &width, &height,
                                                     &frameRate))) {
            return E_INVALIDARG;
        }
    }
    if (width > INT32_MAX || height > INT32_MAX) {
        return E_INVALIDARG;
    }
    return m_engine.BuildOutputMediaTypeFromSize(static_cast<VideoFormatId>(format),
                                                 static_cast<int32_t>(width), static_cast<int32_t>(height),
                                                 frameRate, mediaType, false);
}
