#include "tools/capture/CaptureGraph.h"

#include <dshow.h>
#include <dvdmedia.h>
#include <uuids.h>
#include <vfwmsgs.h>

#include <cmath>
#include <cstdio>

namespace {

enum class PinRole { Other, Capture, Preview };

PinRole RoleOfPin(IPin* pin) {
    ComPtr<IKsPropertySet> properties;
    if (SUCCEEDED(pin->QueryInterface(IID_IKsPropertySet, properties.ReceiveVoid()))) {
        GUID category = GUID_NULL;
        DWORD returned = 0;
        if (SUCCEEDED(properties->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category,
                                      sizeof(category), &returned)) &&
            returned == sizeof(category)) {
            if (IsEqualGUID(category, PIN_CATEGORY_CAPTURE)) {
                return PinRole::Capture;
            }
            if (IsEqualGUID(category, PIN_CATEGORY_PREVIEW)) {
                return PinRole::Preview;
            }
        }
    }
    PIN_INFO info = {};
    if (SUCCEEDED(pin->QueryPinInfo(&info))) {
        if (info.pFilter) {
            info.pFilter->Release();
        }
        if (lstrcmpiW(info.achName, L"Capture") == 0) {
            return PinRole::Capture;
        }
        if (lstrcmpiW(info.achName, L"Preview") == 0) {
            return PinRole::Preview;
        }
    }
    return PinRole::Other;
}

// The VIDEOINFOHEADER of a type, or the one inside VIDEOINFOHEADER2 fields.
BITMAPINFOHEADER* HeaderOf(AM_MEDIA_TYPE& type, REFERENCE_TIME** frameTime) {
    if (IsEqualGUID(type.formattype, FORMAT_VideoInfo) && type.cbFormat >= sizeof(VIDEOINFOHEADER) &&
        type.pbFormat) {
        auto* info = reinterpret_cast<VIDEOINFOHEADER*>(type.pbFormat);
        *frameTime = &info->AvgTimePerFrame;
        return &info->bmiHeader;
    }
    if (IsEqualGUID(type.formattype, FORMAT_VideoInfo2) && type.cbFormat >= sizeof(VIDEOINFOHEADER2) &&
        type.pbFormat) {
        auto* info = reinterpret_cast<VIDEOINFOHEADER2*>(type.pbFormat);
        *frameTime = &info->AvgTimePerFrame;
        return &info->bmiHeader;
    }
    return nullptr;
}

bool RateMatches(const VideoTypeSummary& summary, double fps) {
    return fps <= 0.0 || summary.avgTimePerFrame <= 0 ||
           std::fabs(summary.FramesPerSecond() - fps) <= 0.01 * fps + 0.01;
}

std::string Hr(HRESULT hr) {
    return DescribeHResult(hr);
}

}  // namespace

CaptureGraph::~CaptureGraph() {
    if (m_running) {
        Stop();
    }
    // The graph releases its filters; our own references go with the holders.
    m_capturePin.Reset();
    m_previewPin.Reset();
    m_events.Reset();
    m_control.Reset();
    m_device.Reset();
    m_graph.Reset();
}

HRESULT CaptureGraph::Build(IBaseFilter* device, const std::wstring& deviceName, std::string* error) {
    HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                  m_graph.ReceiveVoid());
    if (FAILED(hr)) {
        *error = "cannot create the filter graph: " + Hr(hr);
        return hr;
    }
    hr = m_graph.As(IID_IMediaControl, &m_control);
    if (SUCCEEDED(hr)) {
        hr = m_graph.As(IID_IMediaEventEx, &m_events);
    }
    if (FAILED(hr)) {
        *error = "the filter graph lacks IMediaControl or IMediaEventEx: " + Hr(hr);
        return hr;
    }
    device->AddRef();
    m_device.Attach(device);
    hr = m_graph->AddFilter(device, deviceName.c_str());
    if (FAILED(hr)) {
        *error = "cannot add the device to the graph: " + Hr(hr);
        return hr;
    }
    return FindPins(error);
}

HRESULT CaptureGraph::FindPins(std::string* error) {
    ComPtr<IEnumPins> pins;
    HRESULT hr = m_device->EnumPins(pins.Receive());
    if (FAILED(hr)) {
        *error = "cannot enumerate the device's pins: " + Hr(hr);
        return hr;
    }
    ComPtr<IPin> firstOutput;
    for (;;) {
        ComPtr<IPin> pin;
        ULONG fetched = 0;
        if (pins->Next(1, pin.Receive(), &fetched) != S_OK || fetched != 1) {
            break;
        }
        PIN_DIRECTION direction = PINDIR_INPUT;
        if (FAILED(pin->QueryDirection(&direction)) || direction != PINDIR_OUTPUT) {
            continue;
        }
        if (!firstOutput) {
            firstOutput = pin;
        }
        const PinRole role = RoleOfPin(pin.Get());
        if (role == PinRole::Capture && !m_capturePin) {
            m_capturePin = pin;
        } else if (role == PinRole::Preview && !m_previewPin) {
            m_previewPin = pin;
        }
    }
    if (!m_capturePin) {
        m_capturePin = firstOutput;
    }
    if (!m_capturePin) {
        *error = "the device has no output pin";
        return VFW_E_NOT_FOUND;
    }
    return S_OK;
}

HRESULT CaptureGraph::OfferedTypes(IPin* pin, std::vector<CMediaType>* types) {
    types->clear();
    ComPtr<IEnumMediaTypes> enumerator;
    HRESULT hr = pin->EnumMediaTypes(enumerator.Receive());
    if (FAILED(hr)) {
        return hr;
    }
    for (;;) {
        AM_MEDIA_TYPE* type = nullptr;
        ULONG fetched = 0;
        hr = enumerator->Next(1, &type, &fetched);
        if (hr != S_OK || fetched != 1 || !type) {
            break;
        }
        HRESULT copied = S_OK;
        CMediaType copy(*type, &copied);
        DeleteSystemMediaType(type);
        if (SUCCEEDED(copied)) {
            types->push_back(copy);
        }
    }
    return S_OK;
}

HRESULT CaptureGraph::PrintCapabilities() {
    ComPtr<IAMStreamConfig> config;
    HRESULT hr = m_capturePin.As(IID_IAMStreamConfig, &config);
    if (FAILED(hr)) {
        std::printf("The capture pin has no IAMStreamConfig: %s\n", Hr(hr).c_str());
    } else {
        AM_MEDIA_TYPE* current = nullptr;
        hr = config->GetFormat(&current);
        if (SUCCEEDED(hr) && current) {
            std::printf("Current device format: %s\n", SummarizeVideoType(*current).Describe().c_str());
            DeleteSystemMediaType(current);
        } else {
            std::printf("Current device format: unknown (%s)\n", Hr(hr).c_str());
        }
        int count = 0;
        int size = 0;
        hr = config->GetNumberOfCapabilities(&count, &size);
        if (FAILED(hr)) {
            std::printf("GetNumberOfCapabilities failed: %s\n", Hr(hr).c_str());
            return hr;
        }
        if (size != static_cast<int>(sizeof(VIDEO_STREAM_CONFIG_CAPS))) {
            std::printf("The capabilities are %d bytes, not a VIDEO_STREAM_CONFIG_CAPS\n", size);
            return E_UNEXPECTED;
        }
        std::printf("Device capabilities (%d):\n", count);
        for (int i = 0; i < count; ++i) {
            AM_MEDIA_TYPE* type = nullptr;
            VIDEO_STREAM_CONFIG_CAPS caps = {};
            hr = config->GetStreamCaps(i, &type, reinterpret_cast<BYTE*>(&caps));
            if (FAILED(hr) || !type) {
                std::printf("  %2d: GetStreamCaps failed: %s\n", i, Hr(hr).c_str());
                continue;
            }
            const VideoTypeSummary summary = SummarizeVideoType(*type);
            const double fastest = caps.MinFrameInterval > 0 ? 1.0e7 / caps.MinFrameInterval : 0.0;
            const double slowest = caps.MaxFrameInterval > 0 ? 1.0e7 / caps.MaxFrameInterval : 0.0;
            std::printf("  %2d: %-30s sizes %ldx%ld to %ldx%ld (step %dx%d), %.2f to %.2f fps\n", i,
                        summary.Describe().c_str(), caps.MinOutputSize.cx, caps.MinOutputSize.cy,
                        caps.MaxOutputSize.cx, caps.MaxOutputSize.cy, caps.OutputGranularityX,
                        caps.OutputGranularityY, slowest, fastest);
            DeleteSystemMediaType(type);
        }
    }
    std::vector<CMediaType> offered;
    hr = OfferedTypes(m_capturePin.Get(), &offered);
    if (FAILED(hr)) {
        std::printf("Cannot enumerate the capture pin's types: %s\n", Hr(hr).c_str());
        return hr;
    }
    std::printf("Capture pin formats (%u):\n", static_cast<unsigned>(offered.size()));
    for (size_t i = 0; i < offered.size(); ++i) {
        std::printf("  %2u: %s\n", static_cast<unsigned>(i),
                    SummarizeVideoType(offered[i]).Describe().c_str());
    }
    std::printf("Preview pin: %s\n", m_previewPin ? "present" : "absent");
    return S_OK;
}

HRESULT CaptureGraph::ConfigureDevice(const std::string& cameraFormat, int width, int height, double fps,
                                      std::string* error) {
    if (cameraFormat.empty() && width == 0 && fps <= 0.0) {
        return S_FALSE;  // nothing to change
    }
    ComPtr<IAMStreamConfig> config;
    HRESULT hr = m_capturePin.As(IID_IAMStreamConfig, &config);
    if (FAILED(hr)) {
        *error = "the capture pin has no IAMStreamConfig, so format, size and rate cannot be set: " + Hr(hr);
        return hr;
    }
    AM_MEDIA_TYPE* base = nullptr;
    if (!cameraFormat.empty()) {
        GUID wanted = GUID_NULL;
        if (!VideoFormatNames::SubtypeFromName(cameraFormat, &wanted)) {
            *error = "unknown format name \"" + cameraFormat + "\"";
            return E_INVALIDARG;
        }
        int count = 0;
        int size = 0;
        hr = config->GetNumberOfCapabilities(&count, &size);
        if (FAILED(hr) || size != static_cast<int>(sizeof(VIDEO_STREAM_CONFIG_CAPS))) {
            *error = "cannot read the device's capabilities: " + Hr(FAILED(hr) ? hr : E_UNEXPECTED);
            return FAILED(hr) ? hr : E_UNEXPECTED;
        }
        std::string names;
        for (int i = 0; i < count; ++i) {
            AM_MEDIA_TYPE* type = nullptr;
            VIDEO_STREAM_CONFIG_CAPS caps = {};
            if (FAILED(config->GetStreamCaps(i, &type, reinterpret_cast<BYTE*>(&caps))) || !type) {
                continue;
            }
            const VideoTypeSummary summary = SummarizeVideoType(*type);
            const std::string name = VideoFormatNames::NameOfSubtype(type->subtype);
            if (names.find(name) == std::string::npos) {
                names += (names.empty() ? "" : ", ") + name;
            }
            const bool sameFormat = IsEqualGUID(type->subtype, wanted);
            const bool sameSize =
                width == 0 || (summary.width == width && summary.AbsoluteHeight() == height);
            if (sameFormat && (!base || sameSize)) {
                DeleteSystemMediaType(base);
                base = type;
                if (sameSize) {
                    break;
                }
                continue;
            }
            DeleteSystemMediaType(type);
        }
        if (!base) {
            *error = "the device has no format " + cameraFormat + " (it offers: " + names + ")";
            return VFW_E_TYPE_NOT_ACCEPTED;
        }
    } else {
        hr = config->GetFormat(&base);
        if (FAILED(hr) || !base) {
            *error = "cannot read the device's current format: " + Hr(FAILED(hr) ? hr : E_POINTER);
            return FAILED(hr) ? hr : E_POINTER;
        }
    }
    REFERENCE_TIME* frameTime = nullptr;
    BITMAPINFOHEADER* header = HeaderOf(*base, &frameTime);
    if (!header) {
        DeleteSystemMediaType(base);
        *error = "the device's format has no video header";
        return VFW_E_INVALIDMEDIATYPE;
    }
    if (width > 0) {
        header->biWidth = width;
        header->biHeight = header->biHeight < 0 ? -height : height;
        const uint64_t rowBytes = ((static_cast<uint64_t>(width) * header->biBitCount + 31) / 32) * 4;
        header->biSizeImage = static_cast<DWORD>(rowBytes * static_cast<uint64_t>(height));
        base->lSampleSize = header->biSizeImage;
        // The source and target rectangles describe the old size: let them mean the whole picture.
        if (IsEqualGUID(base->formattype, FORMAT_VideoInfo)) {
            auto* info = reinterpret_cast<VIDEOINFOHEADER*>(base->pbFormat);
            SetRectEmpty(&info->rcSource);
            SetRectEmpty(&info->rcTarget);
        } else {
            auto* info = reinterpret_cast<VIDEOINFOHEADER2*>(base->pbFormat);
            SetRectEmpty(&info->rcSource);
            SetRectEmpty(&info->rcTarget);
        }
    }
    if (fps > 0.0) {
        *frameTime = static_cast<REFERENCE_TIME>(1.0e7 / fps + 0.5);
    }
    const VideoTypeSummary asked = SummarizeVideoType(*base);
    hr = config->SetFormat(base);
    DeleteSystemMediaType(base);
    if (FAILED(hr)) {
        *error = "the device refused the format " + asked.Describe() + ": " + Hr(hr);
        return hr;
    }
    return S_OK;
}

HRESULT CaptureGraph::ChooseCaptureType(const std::string& format, int width, int height, double fps,
                                        CMediaType* chosen, std::string* error) {
    GUID wanted = MEDIASUBTYPE_RGB24;
    if (!format.empty() && !VideoFormatNames::SubtypeFromName(format, &wanted)) {
        *error = "unknown format name \"" + format + "\"";
        return E_INVALIDARG;
    }
    std::vector<CMediaType> offered;
    HRESULT hr = OfferedTypes(m_capturePin.Get(), &offered);
    if (FAILED(hr)) {
        *error = "cannot enumerate the capture pin's formats: " + Hr(hr);
        return hr;
    }
    std::string names;
    const CMediaType* match = nullptr;
    const CMediaType* first = nullptr;
    for (const CMediaType& type : offered) {
        if (!IsEqualGUID(type.formattype, FORMAT_VideoInfo)) {
            continue;
        }
        const VideoTypeSummary summary = SummarizeVideoType(type);
        if (!summary.valid) {
            continue;
        }
        const std::string name = VideoFormatNames::NameOfSubtype(type.subtype);
        if (names.find(name) == std::string::npos) {
            names += (names.empty() ? "" : ", ") + name;
        }
        if (!first) {
            first = &type;
        }
        if (!match && IsEqualGUID(type.subtype, wanted)) {
            match = &type;
        }
    }
    if (!first) {
        *error = "the capture pin offers no video format";
        return VFW_E_NO_ACCEPTABLE_TYPES;
    }
    if (!match && format.empty()) {
        match = first;
    }
    if (!match) {
        *error = "the capture pin does not offer " + format + " (it offers: " + names + ")";
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    const VideoTypeSummary summary = SummarizeVideoType(*match);
    if (width > 0 && (summary.width != width || summary.AbsoluteHeight() != height)) {
        *error = "the capture pin offers " + summary.Describe() + ", not the size asked for";
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    if (!RateMatches(summary, fps)) {
        *error = "the capture pin offers " + summary.Describe() + ", not the rate asked for";
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    *chosen = *match;
    return S_OK;
}

HRESULT CaptureGraph::ConnectCapture(IBaseFilter* sink, IPin* sinkPin, const AM_MEDIA_TYPE& type) {
    HRESULT hr = m_graph->AddFilter(sink, L"Capture sink");
    if (FAILED(hr)) {
        return hr;
    }
    return m_graph->ConnectDirect(m_capturePin.Get(), sinkPin, &type);
}

HRESULT CaptureGraph::ConnectPreview(IBaseFilter* sink, IPin* sinkPin) {
    if (!m_previewPin) {
        return VFW_E_NOT_FOUND;
    }
    HRESULT hr = m_graph->AddFilter(sink, L"Preview sink");
    if (FAILED(hr)) {
        return hr;
    }
    return m_graph->ConnectDirect(m_previewPin.Get(), sinkPin, nullptr);
}

HRESULT CaptureGraph::CaptureConnectionType(CMediaType* type) {
    AM_MEDIA_TYPE connected = {};
    HRESULT hr = m_capturePin->ConnectionMediaType(&connected);
    if (SUCCEEDED(hr)) {
        hr = type->Set(connected);
        FreeSystemMediaType(connected);
    }
    return hr;
}

HRESULT CaptureGraph::PreviewConnectionType(CMediaType* type) {
    if (!m_previewPin) {
        return VFW_E_NOT_FOUND;
    }
    AM_MEDIA_TYPE connected = {};
    HRESULT hr = m_previewPin->ConnectionMediaType(&connected);
    if (SUCCEEDED(hr)) {
        hr = type->Set(connected);
        FreeSystemMediaType(connected);
    }
    return hr;
}

HRESULT CaptureGraph::Run() {
    HRESULT hr = m_control->Run();
    if (FAILED(hr)) {
        m_control->Stop();
        return hr;
    }
    m_running = true;
    if (hr == S_FALSE) {
        // A live source cannot cue; the state is running once the transition ends.
        OAFilterState state = State_Stopped;
        hr = m_control->GetState(5000, &state);
        if (FAILED(hr)) {
            return hr;
        }
    }
    return S_OK;
}

HRESULT CaptureGraph::Stop() {
    if (!m_control) {
        return S_FALSE;
    }
    m_running = false;
    return m_control->Stop();
}

bool CaptureGraph::DroppedFrames(long* delivered, long* dropped) {
    ComPtr<IAMDroppedFrames> frames;
    if (FAILED(m_capturePin.As(IID_IAMDroppedFrames, &frames)) &&
        FAILED(m_device.As(IID_IAMDroppedFrames, &frames))) {
        return false;
    }
    LONG notDropped = 0;
    LONG lost = 0;
    if (FAILED(frames->GetNumNotDropped(&notDropped)) || FAILED(frames->GetNumDropped(&lost))) {
        return false;
    }
    *delivered = notDropped;
    *dropped = lost;
    return true;
}

bool CaptureGraph::ActualFrameRate(double* fps) {
    ComPtr<IAMVideoControl> control;
    if (FAILED(m_device.As(IID_IAMVideoControl, &control))) {
        return false;
    }
    LONGLONG frameTime = 0;
    if (control->GetCurrentActualFrameRate(m_capturePin.Get(), &frameTime) != S_OK || frameTime <= 0) {
        return false;
    }
    *fps = 1.0e7 / static_cast<double>(frameTime);
    return true;
}

HRESULT CaptureGraph::PollEvents(std::string* error) {
    long code = 0;
    LONG_PTR first = 0;
    LONG_PTR second = 0;
    HRESULT result = S_OK;
    while (m_events->GetEvent(&code, &first, &second, 0) == S_OK) {
        char text[160];
        switch (code) {
            case EC_ERRORABORT:
                std::snprintf(text, sizeof(text), "the graph stopped with an error: %s",
                              Hr(static_cast<HRESULT>(first)).c_str());
                *error = text;
                result = static_cast<HRESULT>(first) < 0 ? static_cast<HRESULT>(first) : E_FAIL;
                break;
            case EC_DEVICE_LOST:
                if (second == 0) {
                    *error = "the device was lost";
                    result = VFW_E_NOT_CONNECTED;
                }
                break;
            case EC_USERABORT:
                *error = "the graph was aborted";
                result = E_ABORT;
                break;
            case EC_COMPLETE:
                if (result == S_OK) {
                    result = S_FALSE;
                }
                break;
            default:
                break;
        }
        m_events->FreeEventParams(code, first, second);
    }
    return result;
}
