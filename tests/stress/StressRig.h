// What the stress phases work on: the filter module loaded from beside the
// program, one source filter created through its class factory, a Wine
// filter graph with two pattern-check sinks (one behind "Capture", one behind
// "Preview"), the filter's control interfaces, a configuration callback that
// counts device losses, and the process's handle and memory figures.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "KorvelGenICamSource_h.h"
#include "PatternCheckSink.h"
#include "Watchdog.h"

struct ResourceUse {
    DWORD handles = 0;
    SIZE_T privateBytes = 0;
};
ResourceUse MeasureResources();
// Where the last measurement's figures came from.
std::string ResourceSources();

// Two cameras, serials P1 and P2, 640 x 480 at 30 frames per second,
// BayerRG8 and Mono8, with exposure, gain and a trigger.
std::string StressCameraProfile();

// Counts what the filter's camera object tells its configuration callbacks.
class LossCounter : public IKorvelGenICamConfigCallback {
  public:
    virtual ~LossCounter() = default;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP DeviceValid(LONG /*Device*/) override {
        ++m_valid;
        return S_OK;
    }
    STDMETHODIMP DeviceInvalid() override {
        ++m_invalid;
        return S_OK;
    }
    long Invalid() const { return m_invalid; }

  private:
    std::atomic<ULONG> m_refs{1};
    std::atomic<long> m_valid{0};
    std::atomic<long> m_invalid{0};
};

class StressRig {
  public:
    explicit StressRig(Watchdog& watchdog) : m_watchdog(watchdog) {}
    ~StressRig();
    StressRig(const StressRig&) = delete;
    StressRig& operator=(const StressRig&) = delete;

    // Loads the module and the cameras, creates the filter, the graph and the
    // sinks. False with the reason when any of it fails.
    bool Open(std::string* error);
    // Releases everything; false with the reason when the filter or the
    // module keeps anything alive afterwards.
    bool Close(std::string* error);

    // Both pins to their sinks, each sink choosing the first offered type it
    // reads; and back.
    HRESULT Connect();
    HRESULT Disconnect();
    bool Connected();
    // Graph state changes; a change to running or paused waits for it to
    // complete (at most timeoutMs).
    HRESULT Run(DWORD timeoutMs = 10000);
    HRESULT Pause(DWORD timeoutMs = 10000);
    HRESULT Stop();
    bool Stopped();
    // Waits until each sink has received count more samples than it had
    // when the call began.
    bool WaitForFrames(uint64_t count, DWORD timeoutMs);

    IBaseFilter* Source() const { return m_source; }
    IGraphBuilder* Graph() const { return m_graph; }
    IPin* SourcePin(int index) const { return m_sourcePins[index]; }
    CPatternCheckPin* Sink(int index) const { return m_sinks[index]->Pin(); }
    IAMStreamConfig* StreamConfig() const { return m_streamConfig; }
    IKorvelGenICamSource* Selection() const { return m_selection; }
    IAMVideoControl* VideoControl() const { return m_videoControl; }
    IAMCameraControl* CameraControl() const { return m_cameraControl; }
    IAMVideoProcAmp* ProcAmp() const { return m_procAmp; }
    IPersistStream* Persist() const { return m_persist; }
    IAMDroppedFrames* Drops() const { return m_drops; }
    LossCounter* Losses() const { return m_losses; }
    Watchdog& Dog() { return m_watchdog; }

    // The filter's camera ID of the camera with this serial ("" when none).
    std::wstring CameraId(const char* serial);
    // Frames torn and checked over both sinks.
    PatternCounts Totals();

  private:
    HRESULT WaitForState(OAFilterState wanted, DWORD timeoutMs);

    Watchdog& m_watchdog;
    HMODULE m_module = nullptr;
    IClassFactory* m_factory = nullptr;
    IGraphBuilder* m_graph = nullptr;
    IMediaControl* m_control = nullptr;
    IBaseFilter* m_source = nullptr;
    CPatternCheckFilter* m_sinks[2] = {};
    IPin* m_sourcePins[2] = {};
    IPin* m_sinkPins[2] = {};
    IAMStreamConfig* m_streamConfig = nullptr;
    IKorvelGenICamSource* m_selection = nullptr;
    IKorvelGenICamConfigControl* m_config = nullptr;
    IAMVideoControl* m_videoControl = nullptr;
    IAMCameraControl* m_cameraControl = nullptr;
    IAMVideoProcAmp* m_procAmp = nullptr;
    IPersistStream* m_persist = nullptr;
    IAMDroppedFrames* m_drops = nullptr;
    LossCounter* m_losses = nullptr;
    LONG m_cookie = -1;
};
