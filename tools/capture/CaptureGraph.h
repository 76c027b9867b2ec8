// CaptureGraph: the DirectShow graph of the capture tool. It holds the filter
// graph, the video input device's filter and its "Capture" and "Preview"
// pins; lists the device's capabilities (IAMStreamConfig) and the types its
// capture pin offers; sets the device's own format, size and rate; connects
// the pins straight to the tool's sinks with a chosen media type
// (IGraphBuilder::ConnectDirect, no intermediate filters); runs and stops the
// graph; and reads the capture statistics (IAMDroppedFrames, IAMVideoControl).
#pragma once

#include <windows.h>
#include <dshow.h>

#include <string>
#include <vector>

#include "baseclasses/MediaType.h"
#include "tools/capture/ComPtr.h"
#include "tools/capture/VideoFormatNames.h"

class CaptureGraph {
  public:
    CaptureGraph() = default;
    ~CaptureGraph();
    CaptureGraph(const CaptureGraph&) = delete;
    CaptureGraph& operator=(const CaptureGraph&) = delete;

    // Creates the graph and adds the device's filter; finds its pins.
    HRESULT Build(IBaseFilter* device, const std::wstring& deviceName, std::string* error);

    bool HasPreviewPin() const { return static_cast<bool>(m_previewPin); }

    // Prints the device's capabilities and the capture pin's offered types.
    HRESULT PrintCapabilities();

    // Sets the device's own format (by name, empty: keep it), size (0: keep
    // it) and rate (0: keep it) through IAMStreamConfig::SetFormat.
    HRESULT ConfigureDevice(const std::string& cameraFormat, int width, int height, double fps,
                            std::string* error);

    // The capture pin's offered VIDEOINFOHEADER type of that format (empty:
    // RGB24 when offered, else the first offered); E_FAIL with a message
    // when there is none. Size and rate, when given, must match.
    HRESULT ChooseCaptureType(const std::string& format, int width, int height, double fps,
                              CMediaType* chosen, std::string* error);

    // Adds a sink filter and connects the pin straight to its input pin.
    HRESULT ConnectCapture(IBaseFilter* sink, IPin* sinkPin, const AM_MEDIA_TYPE& type);
    HRESULT ConnectPreview(IBaseFilter* sink, IPin* sinkPin);

    // The type the capture pin ended up connected with.
    HRESULT CaptureConnectionType(CMediaType* type);
    HRESULT PreviewConnectionType(CMediaType* type);

    HRESULT Run();
    HRESULT Stop();

    // Frames the capture pin delivered and dropped (IAMDroppedFrames); false
    // when the pin does not tell.
    bool DroppedFrames(long* delivered, long* dropped);
    // The device's measured rate (IAMVideoControl); false when not available.
    bool ActualFrameRate(double* fps);
    // Reads the graph's pending events: S_OK to keep going, S_FALSE when the
    // stream ended, a failure (with a message) when the graph reported an
    // error or the device was lost.
    HRESULT PollEvents(std::string* error);

  private:
    HRESULT FindPins(std::string* error);
    HRESULT OfferedTypes(IPin* pin, std::vector<CMediaType>* types);

    ComPtr<IGraphBuilder> m_graph;
    ComPtr<IMediaControl> m_control;
    ComPtr<IMediaEventEx> m_events;
    ComPtr<IBaseFilter> m_device;
    ComPtr<IPin> m_capturePin;
    ComPtr<IPin> m_previewPin;
    bool m_running = false;
};
