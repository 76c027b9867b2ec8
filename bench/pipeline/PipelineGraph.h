// The pipeline under measurement: the filter module loaded from beside the
// program (LoadLibrary and DllGetClassObject, no registration), one emulated
// 1920 x 1080 BayerRG8 camera chosen through the SDK's in-process control,
// and a Wine filter graph with the capture pin in RGB24 and the preview pin in
// Y800, each connected to a counting null sink.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <cstdint>
#include <string>

#include "bench/pipeline/CountingSink.h"
#include "quill/EmulationControl.h"

constexpr int kPinCount = 2;  // 0: capture, 1: preview

// Everything read at one instant of the run.
struct PipelineSnapshot {
    double wallSeconds = 0.0;
    double processCpuSeconds = 0.0;
    double threadCpuSeconds[kPinCount] = {-1.0, -1.0};  // the pin's delivery thread, -1 unknown
    DWORD threadIds[kPinCount] = {0, 0};
    SinkCounts sinks[kPinCount];
    LONG captureDelivered = 0;  // IAMDroppedFrames of the capture pin
    LONG captureDropped = 0;
    Quill::Emulation::CameraCounters camera;
};

class PipelineGraph {
  public:
    PipelineGraph() = default;
    ~PipelineGraph();
    PipelineGraph(const PipelineGraph&) = delete;
    PipelineGraph& operator=(const PipelineGraph&) = delete;

    // Builds the graph for a camera of that size and frame rate. False, with
    // the reason, on any failure.
    bool Build(int width, int height, double frameRate, std::string* error);
    bool Run(std::string* error);
    // Waits at most timeoutMs for a first sample on every pin.
    bool WaitForFirstSamples(DWORD timeoutMs, std::string* error);
    bool Snapshot(PipelineSnapshot* snapshot, std::string* error);
    bool Stop(std::string* error);
    // The frame rate of the capture pin's connection (from AvgTimePerFrame).
    double ConnectedFrameRate() const { return m_connectedFrameRate; }
    static const char* PinName(int pin) { return pin == 0 ? "capture (RGB24)" : "preview (Y800)"; }
    // Releases every object and unloads the module; false, with the reason,
    // when objects are left over.
    bool Dismantle(std::string* error);

  private:
    bool LoadModule(std::string* error);
    bool LoadCamera(int width, int height, double frameRate, std::string* error);
    bool ConnectPin(int pin, const GUID& subtype, int width, int height, double frameRate,
                    std::string* error);

    bool m_comInitialised = false;
    HMODULE m_module = nullptr;
    IClassFactory* m_factory = nullptr;
    IBaseFilter* m_source = nullptr;
    IGraphBuilder* m_graph = nullptr;
    IMediaControl* m_control = nullptr;
    IAMDroppedFrames* m_dropped = nullptr;
    IPin* m_pins[kPinCount] = {nullptr, nullptr};
    CCountingSinkFilter* m_sinks[kPinCount] = {nullptr, nullptr};
    HANDLE m_threads[kPinCount] = {nullptr, nullptr};
    double m_connectedFrameRate = 0.0;
};

// The serial number of the benchmark's camera.
extern const char* const kCameraSerial;
