// CKorvelCamera: the open camera's formats, sizes and frame rates.
#include <algorithm>
#include <climits>
#include <new>

#include "Camera/FeatureHelpers.h"
#include "Camera/KorvelCamera.h"
#include "Camera/PixelFormatTable.h"

namespace {

const char kPixelFormat[] = "PixelFormat";
const char kWidth[] = "Width";
const char kHeight[] = "Height";
const char kFrameRateEnable[] = "AcquisitionFrameRateEnable";
const char kFrameRate[] = "AcquisitionFrameRateAbs";
const char kResultingFrameRate[] = "ResultingFrameRateAbs";
const char kExposureRaw[] = "ExposureTimeRaw";

constexpr uint32_t kUnknownFormat = static_cast<uint32_t>(VideoFormat::Unknown);

const char* NameOfFormat(uint32_t format) {
    return PixelFormatName(static_cast<VideoFormatId>(format));
}

}  // namespace

GenApi::INodeMap* CKorvelCamera::DeviceNodeMap() {
    if (m_device == nullptr) {
        return nullptr;
    }
    try {
        return m_device->GetNodeMap();
    } catch (const GenICam::GenericException&) {
        return nullptr;
    }
}

HRESULT CKorvelCamera::ReadCameraFormats() {
    CCameraAutoLock lock(m_objectLock);
    if (m_device == nullptr) {
        return E_UNEXPECTED;
    }
    GenApi::INodeMap* nodeMap = DeviceNodeMap();
    if (nodeMap == nullptr) {
        return E_FAIL;
    }

    uint32_t format = kUnknownFormat;
    int32_t width = 0;
    int32_t height = 0;
    double frameRate = 0.0;
    HRESULT hr = GetCurrentFormat(&format, &width, &height, &frameRate);
    if (FAILED(hr)) {
        return hr;
    }
    // Without a frame-rate limit now, the state restored at the end has none either.
    bool frameRateLimitOn = false;
    if (FAILED(GetBooleanFeature(nodeMap, kFrameRateEnable, &frameRateLimitOn)) || !frameRateLimitOn) {
        frameRateLimitOn = false;
        frameRate = 0.0;
    }
    SetBooleanFeature(nodeMap, kFrameRateEnable, false);
    // The shortest exposure lets the sensor, not the exposure, limit the probed rates.
    int64_t exposure = 0;
    int64_t exposureMinimum = 0;
    const bool exposureRead =
        SUCCEEDED(GetIntegerFeature(nodeMap, kExposureRaw, &exposure, &exposureMinimum));
    if (exposureRead) {
        SetIntegerFeature(nodeMap, kExposureRaw, exposureMinimum);
    }

    m_formats.clear();
    try {
        GenICam::gcstring_vector entries;
        GetEnumerationEntries(nodeMap, kPixelFormat, &entries);
        for (const GenICam::gcstring& entry : entries) {
            const VideoFormatId id = FormatIdFromPixelFormat(entry.c_str());
            if (id != VideoFormat::Unknown) {
                m_formats.push_back(CameraFormat(static_cast<uint32_t>(id)));
            }
        }
    } catch (const std::bad_alloc&) {
        m_formats.clear();
        RestoreProbeSettings(nodeMap, exposureRead, exposure, frameRateLimitOn);
        return E_OUTOFMEMORY;
    }
    if (m_formats.empty()) {
        RestoreProbeSettings(nodeMap, exposureRead, exposure, frameRateLimitOn);
        return E_FAIL;
    }

    std::stable_sort(
        m_formats.begin(), m_formats.end(),
        [](const CameraFormat& left, const CameraFormat& right) { return left.format < right.format; });
    for (CameraFormat& entry : m_formats) {
        // A failed probe leaves the format listed without sizes.
        CameraFormat probed = entry;
        if (SUCCEEDED(ProbeFormatSizes(&probed))) {
            entry = probed;
        }
    }

    if (exposureRead) {
        SetIntegerFeature(nodeMap, kExposureRaw, exposure);
    }
    if (format != kUnknownFormat && width >= 1 && height >= 1 && frameRate >= 0.0) {
        SetCameraFormat(format, width, height, frameRate);
    }
    return S_OK;
}

void CKorvelCamera::RestoreProbeSettings(GenApi::INodeMap* nodeMap, bool exposureRead, int64_t exposure,
                                         bool frameRateLimitOn) {
    if (exposureRead) {
        SetIntegerFeature(nodeMap, kExposureRaw, exposure);
    }
    if (frameRateLimitOn) {
        SetBooleanFeature(nodeMap, kFrameRateEnable, true);
    }
}

HRESULT CKorvelCamera::ProbeFormatSizes(CameraFormat* format) {
    if (format == nullptr) {
        return E_POINTER;
    }
    CCameraAutoLock lock(m_objectLock);
    format->sizeCount = 0;
    if (m_device == nullptr) {
        return E_UNEXPECTED;
    }
    GenApi::INodeMap* nodeMap = DeviceNodeMap();
    if (nodeMap == nullptr) {
        return E_FAIL;
    }
    HRESULT hr = SetEnumerationString(nodeMap, kPixelFormat, NameOfFormat(format->format));
    if (FAILED(hr)) {
        return hr;
    }
    int64_t maximumWidth = 0;
    int64_t maximumHeight = 0;
    if (FAILED(GetIntegerFeature(nodeMap, kWidth, nullptr, nullptr, &maximumWidth)) ||
        FAILED(GetIntegerFeature(nodeMap, kHeight, nullptr, nullptr, &maximumHeight))) {
        return E_FAIL;
    }

    double frameRate = 0.0;
    hr = ProbeFrameSize(maximumWidth, maximumHeight, &frameRate);
    if (FAILED(hr) || frameRate == 0.0) {
        return hr;
    }
    format->sizes[0] = CameraFrameSize{maximumWidth, maximumHeight, frameRate};
    format->sizeCount = 1;

    for (int row = kStandardFrameSizeCount - 1; row >= 0 && format->sizeCount < CameraFormat::kMaxSizes;
         --row) {
        const StandardFrameSize& size = StandardFrameSizes[row];
        if (size.width > maximumWidth || size.height > maximumHeight) {
            continue;
        }
        if (SUCCEEDED(ProbeFrameSize(size.width, size.height, &frameRate)) && frameRate > 0.0) {
            format->sizes[format->sizeCount++] = CameraFrameSize{size.width, size.height, frameRate};
        }
    }
    return S_OK;
}

HRESULT CKorvelCamera::ProbeFrameSize(int64_t width, int64_t height, double* frameRate) {
    if (frameRate == nullptr) {
        return E_POINTER;
    }
    CCameraAutoLock lock(m_objectLock);
    GenApi::INodeMap* nodeMap = DeviceNodeMap();
    if (nodeMap == nullptr) {
        return E_FAIL;
    }
    if (FAILED(SetIntegerFeature(nodeMap, kWidth, width)) ||
        FAILED(SetIntegerFeature(nodeMap, kHeight, height))) {
        return E_FAIL;
    }
    int64_t readWidth = 0;
    int64_t readHeight = 0;
    double readRate = 0.0;
    if (FAILED(GetIntegerFeature(nodeMap, kWidth, &readWidth)) ||
        FAILED(GetIntegerFeature(nodeMap, kHeight, &readHeight)) ||
        FAILED(GetFloatFeature(nodeMap, kResultingFrameRate, &readRate))) {
        return E_FAIL;
    }
    // A rate that is not a number counts as a failed read, like a negative one.
    if (readWidth != width || readHeight != height || !(readRate >= 0.0)) {
        return E_FAIL;
    }
    *frameRate = readRate;
    return S_OK;
}

HRESULT CKorvelCamera::GetCurrentFormat(uint32_t* format, int32_t* width, int32_t* height,
                                        double* frameRate) {
    if (format == nullptr || width == nullptr || height == nullptr || frameRate == nullptr) {
        return E_POINTER;
    }
    CCameraAutoLock lock(m_objectLock);
    GenApi::INodeMap* nodeMap = DeviceNodeMap();
    if (nodeMap == nullptr) {
        return E_FAIL;
    }
    VideoFormatId id = VideoFormat::Unknown;
    try {
        GenICam::gcstring pixelFormat;
        HRESULT hr = GetEnumerationString(nodeMap, kPixelFormat, &pixelFormat);
        if (FAILED(hr)) {
            return hr;
        }
        id = FormatIdFromPixelFormat(pixelFormat.c_str());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    int64_t currentWidth = 0;
    int64_t currentHeight = 0;
    HRESULT hr = GetIntegerFeature(nodeMap, kWidth, &currentWidth);
    if (FAILED(hr)) {
        return hr;
    }
    hr = GetIntegerFeature(nodeMap, kHeight, &currentHeight);
    if (FAILED(hr)) {
        return hr;
    }

    double rate = 0.0;
    bool limitOn = false;
    double limit = 0.0;
    if (SUCCEEDED(GetBooleanFeature(nodeMap, kFrameRateEnable, &limitOn)) && limitOn &&
        SUCCEEDED(GetFloatFeature(nodeMap, kFrameRate, &limit)) && limit > 0.0) {
        rate = limit;
    } else {
        hr = GetFloatFeature(nodeMap, kResultingFrameRate, &rate);
        if (FAILED(hr)) {
            return hr;
        }
    }

    // Sizes that do not fit the 32-bit outputs are refused rather than cut.
    if (id == VideoFormat::Unknown || currentWidth < 1 || currentHeight < 1 || currentWidth > INT32_MAX ||
        currentHeight > INT32_MAX || !(rate > 0.0)) {
        return E_FAIL;
    }
    *format = static_cast<uint32_t>(id);
    *width = static_cast<int32_t>(currentWidth);
    *height = static_cast<int32_t>(currentHeight);
    *frameRate = rate;
    return S_OK;
}

HRESULT CKorvelCamera::SetCameraFormat(uint32_t format, int32_t width, int32_t height, double frameRate) {
    CCameraAutoLock lock(m_objectLock);
    if (m_device == nullptr) {
        return E_UNEXPECTED;
    }
    // A frame rate that is not a number is refused like a negative one.
    if (format == kUnknownFormat || width < 1 || height < 1 || !(frameRate >= 0.0)) {
        return E_INVALIDARG;
    }
    const bool listed = std::any_of(m_formats.begin(), m_formats.end(),
                                    [format](const CameraFormat& entry) { return entry.format == format; });
    if (!listed) {
        return E_INVALIDARG;
    }
    GenApi::INodeMap* nodeMap = DeviceNodeMap();
    if (nodeMap == nullptr) {
        return E_FAIL;
    }

    try {
        int64_t maximumWidth = 0;
        int64_t maximumHeight = 0;
        if (FAILED(GetIntegerFeature(nodeMap, kWidth, nullptr, nullptr, &maximumWidth)) ||
            FAILED(GetIntegerFeature(nodeMap, kHeight, nullptr, nullptr, &maximumHeight))) {
            return E_FAIL;
        }
        // Clamped to the maximum only: a size off the camera's increments is refused.
        const int64_t targetWidth = std::min<int64_t>(width, maximumWidth);
        const int64_t targetHeight = std::min<int64_t>(height, maximumHeight);
        const char* name = NameOfFormat(format);
        if (FAILED(SetEnumerationString(nodeMap, kPixelFormat, name)) ||
            FAILED(SetIntegerFeature(nodeMap, kWidth, targetWidth)) ||
            FAILED(SetIntegerFeature(nodeMap, kHeight, targetHeight))) {
            return E_INVALIDARG;
        }
        GenICam::gcstring readName;
        int64_t readWidth = 0;
        int64_t readHeight = 0;
        if (FAILED(GetEnumerationString(nodeMap, kPixelFormat, &readName)) || readName != name ||
            FAILED(GetIntegerFeature(nodeMap, kWidth, &readWidth)) || readWidth != targetWidth ||
            FAILED(GetIntegerFeature(nodeMap, kHeight, &readHeight)) || readHeight != targetHeight) {
            return E_INVALIDARG;
        }
    } catch (const GenICam::GenericException&) {
        return E_FAIL;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }

    // A rate the camera refuses only switches the limit off.
    const bool limited = frameRate > 0.0 && SUCCEEDED(SetBooleanFeature(nodeMap, kFrameRateEnable, true)) &&
                         SUCCEEDED(SetFloatFeature(nodeMap, kFrameRate, frameRate));
    if (!limited) {
        SetBooleanFeature(nodeMap, kFrameRateEnable, false);
    }
    return S_OK;
}

HRESULT CKorvelCamera::GetFormatSize(uint32_t format, int32_t index, uint32_t* width, uint32_t* height,
                                     double* frameRate) {
    if (width == nullptr || height == nullptr || frameRate == nullptr) {
        return E_POINTER;
    }
    CCameraAutoLock lock(m_objectLock);
    const auto entry =
        std::find_if(m_formats.begin(), m_formats.end(),
                     [format](const CameraFormat& candidate) { return candidate.format == format; });
    if (entry == m_formats.end() || index < 0 || static_cast<uint32_t>(index) >= entry->sizeCount) {
        return E_INVALIDARG;
    }
    const CameraFrameSize& size = entry->sizes[index];
    *width = static_cast<uint32_t>(size.width);
    *height = static_cast<uint32_t>(size.height);
    *frameRate = size.frameRate;
    return S_OK;
}
