// The cycling phases: run / pause / stop, format changes with reconnection,
// and unplug / replug of the open camera while it streams.
#include "StressPhases.h"

#include <uuids.h>
#include <vfwmsgs.h>

#include <cstdio>

#include "StressSupport.h"
#include "quill/EmulationControl.h"

namespace {

constexpr DWORD kStepBoundMs = 30000;  // a step that takes longer has hung
constexpr DWORD kFrameWaitMs = 10000;

std::string Describe(const char* what, long cycle, HRESULT hr) {
    char text[160];
    std::snprintf(text, sizeof(text), "cycle %ld: %s (0x%08lX)", cycle, what, static_cast<unsigned long>(hr));
    return text;
}

// The frames both sinks saw since construction, and the phase's clock.
class PhaseMeter {
  public:
    PhaseMeter(StressRig& rig, PhaseReport& report, const char* name, long cycles)
        : m_rig(rig), m_report(report), m_start(rig.Totals()), m_startTick(GetTickCount()) {
        m_report.name = name;
        m_report.cycles = cycles;
        m_warmCycle = cycles / 10 < 5 ? 5 : cycles / 10;
        if (m_warmCycle >= cycles) {
            m_warmCycle = cycles > 1 ? cycles - 1 : 0;
        }
    }
    // Call at the start of every cycle.
    void Cycle(long cycle) {
        if (cycle == m_warmCycle) {
            m_report.warm = MeasureResources();
        }
    }
    void Finish() {
        m_report.end = MeasureResources();
        m_report.seconds = (GetTickCount() - m_startTick) / 1000.0;
        const PatternCounts now = m_rig.Totals();
        m_report.frames.received = now.received - m_start.received;
        m_report.frames.checked = now.checked - m_start.checked;
        m_report.frames.torn = now.torn - m_start.torn;
        m_report.frames.unreadable = now.unreadable - m_start.unreadable;
    }

  private:
    StressRig& m_rig;
    PhaseReport& m_report;
    const PatternCounts m_start;
    const DWORD m_startTick;
    long m_warmCycle;
};

struct CameraSetting {
    GUID subtype;
    LONG width;
    LONG height;
    REFERENCE_TIME frameTime;
};

const CameraSetting kSettings[] = {
    {kSubtypeBYRG, 640, 480, 333333}, {kSubtypeY800, 320, 240, 666666}, {kSubtypeBYRG, 480, 360, 1000000},
    {kSubtypeY800, 640, 480, 333333}, {kSubtypeBYRG, 160, 120, 333333}, {kSubtypeBYRG, 320, 240, 666666},
};

bool SinksShow(StressRig& rig, LONG width, LONG height) {
    for (int index = 0; index < 2; ++index) {
        const PatternCounts counts = rig.Sink(index)->Counts();
        const LONG rows = counts.height < 0 ? -counts.height : counts.height;
        if (counts.width != width || rows != height) {
            return false;
        }
    }
    return true;
}

// Streams briefly: run, a few frames on both pins, stop.
void StreamBriefly(StressRig& rig, PhaseReport& report, long cycle) {
    Watchdog& dog = rig.Dog();
    {
        WatchedStep step(dog, 0, "run", cycle, kStepBoundMs);
        const HRESULT hr = rig.Run();
        if (hr != S_OK) {
            report.Fail(Describe("run", cycle, hr));
        }
    }
    {
        WatchedStep step(dog, 0, "wait for frames", cycle, kStepBoundMs);
        if (!rig.WaitForFrames(2, kFrameWaitMs)) {
            report.Fail(Describe("no frames while running", cycle, E_FAIL));
        }
    }
    WatchedStep step(dog, 0, "stop", cycle, kStepBoundMs);
    const HRESULT hr = rig.Stop();
    if (FAILED(hr)) {
        report.Fail(Describe("stop", cycle, hr));
    }
}

}  // namespace

void PhaseReport::Fail(const std::string& message) {
    ++failures;
    if (messages.size() < 5) {
        messages.push_back(message);
    }
}

PhaseReport RunPauseStopPhase(StressRig& rig, long cycles) {
    PhaseReport report;
    Watchdog& dog = rig.Dog();
    {
        WatchedStep step(dog, 0, "connect", 0, kStepBoundMs);
        const HRESULT hr = rig.Connect();
        if (FAILED(hr)) {
            report.Fail(Describe("connect", 0, hr));
            return report;
        }
    }
    PhaseMeter meter(rig, report, "run/pause/stop", cycles);
    for (long cycle = 0; cycle < cycles; ++cycle) {
        meter.Cycle(cycle);
        {
            WatchedStep step(dog, 0, "run", cycle, kStepBoundMs);
            const HRESULT hr = rig.Run();
            if (hr != S_OK) {
                report.Fail(Describe("run", cycle, hr));
            }
        }
        {
            WatchedStep step(dog, 0, "wait for frames", cycle, kStepBoundMs);
            if (!rig.WaitForFrames(1, kFrameWaitMs)) {
                report.Fail(Describe("no frames while running", cycle, E_FAIL));
            }
        }
        {
            WatchedStep step(dog, 0, "pause", cycle, kStepBoundMs);
            const HRESULT hr = rig.Pause();
            if (hr != S_OK) {
                report.Fail(Describe("pause", cycle, hr));
            }
        }
        // Every other cycle goes back to running from paused before stopping.
        if (cycle % 2 == 1) {
            WatchedStep step(dog, 0, "run again", cycle, kStepBoundMs);
            const HRESULT hr = rig.Run();
            if (hr != S_OK) {
                report.Fail(Describe("run from paused", cycle, hr));
            }
        }
        WatchedStep step(dog, 0, "stop", cycle, kStepBoundMs);
        const HRESULT hr = rig.Stop();
        if (FAILED(hr)) {
            report.Fail(Describe("stop", cycle, hr));
        }
    }
    meter.Finish();
    return report;
}

PhaseReport FormatChangePhase(StressRig& rig, long cycles) {
    PhaseReport report;
    Watchdog& dog = rig.Dog();
    PhaseMeter meter(rig, report, "connect/disconnect with SetFormat", cycles);
    const size_t settings = sizeof(kSettings) / sizeof(kSettings[0]);
    for (long cycle = 0; cycle < cycles; ++cycle) {
        meter.Cycle(cycle);
        const CameraSetting& setting = kSettings[size_t(cycle) % settings];
        {
            WatchedStep step(dog, 0, "disconnect", cycle, kStepBoundMs);
            const HRESULT hr = rig.Disconnect();
            if (FAILED(hr)) {
                report.Fail(Describe("disconnect", cycle, hr));
            }
        }
        {
            WatchedStep step(dog, 0, "SetFormat unconnected", cycle, kStepBoundMs);
            CMediaType type =
                StressVideoType(setting.subtype, setting.width, setting.height, setting.frameTime);
            const HRESULT hr = rig.StreamConfig()->SetFormat(&type);
            if (hr != S_OK) {
                report.Fail(Describe("SetFormat while unconnected", cycle, hr));
            }
        }
        {
            WatchedStep step(dog, 0, "connect", cycle, kStepBoundMs);
            const HRESULT hr = rig.Connect();
            if (FAILED(hr)) {
                report.Fail(Describe("connect", cycle, hr));
                continue;
            }
        }
        if (!SinksShow(rig, setting.width, setting.height)) {
            report.Fail(Describe("connected size is not the one set", cycle, E_FAIL));
        }
        StreamBriefly(rig, report, cycle);
        // Every third cycle also changes the conversion of both connected
        // pins, which reconnects them through the graph; and asks for a new
        // size while both are connected, which the camera cannot take while
        // the other pin grabs: refused, and both connections stay.
        if (cycle % 3 == 2) {
            const GUID& subtype = cycle % 2 == 0 ? MEDIASUBTYPE_RGB24 : MEDIASUBTYPE_YUY2;
            {
                WatchedStep step(dog, 0, "SetFormat connected", cycle, kStepBoundMs);
                CMediaType type = StressVideoType(subtype, setting.width, setting.height, setting.frameTime);
                const HRESULT hr = rig.StreamConfig()->SetFormat(&type);
                if (hr != S_OK) {
                    report.Fail(Describe("SetFormat with reconnection", cycle, hr));
                }
            }
            if (!rig.Connected() || !SinksShow(rig, setting.width, setting.height)) {
                report.Fail(Describe("reconnected pins lost their connection or size", cycle, E_FAIL));
            }
            {
                WatchedStep step(dog, 0, "SetFormat of a new size connected", cycle, kStepBoundMs);
                const LONG width = setting.width == 320 ? 480 : 320;
                const LONG height = setting.height == 240 ? 360 : 240;
                CMediaType type = StressVideoType(subtype, width, height, setting.frameTime);
                rig.StreamConfig()->SetFormat(&type);
            }
            if (!rig.Connected()) {
                report.Fail(Describe("a refused SetFormat left a pin unconnected", cycle, E_FAIL));
                WatchedStep step(dog, 0, "connect again", cycle, kStepBoundMs);
                rig.Connect();
            }
            StreamBriefly(rig, report, cycle);
        }
    }
    meter.Finish();
    // Back to the camera's own default for the next phase.
    WatchedStep step(dog, 0, "restore the default format", cycles, kStepBoundMs);
    rig.Disconnect();
    if (rig.StreamConfig()->SetFormat(nullptr) != S_OK) {
        report.Fail("SetFormat (null) did not restore the default format");
    }
    return report;
}

PhaseReport UnplugPhase(StressRig& rig, long cycles) {
    PhaseReport report;
    Watchdog& dog = rig.Dog();
    Quill::Emulation::IEmulationControl& emulation = Quill::Emulation::GetEmulationControl();
    const std::wstring cameraId = rig.CameraId("P1");
    if (cameraId.empty()) {
        report.Fail("camera P1 is not listed");
        return report;
    }
    PhaseMeter meter(rig, report, "unplug/replug while streaming", cycles);
    for (long cycle = 0; cycle < cycles; ++cycle) {
        meter.Cycle(cycle);
        {
            WatchedStep step(dog, 0, "connect", cycle, kStepBoundMs);
            const HRESULT hr = rig.Connect();
            if (FAILED(hr)) {
                report.Fail(Describe("connect", cycle, hr));
            }
        }
        {
            WatchedStep step(dog, 0, "run", cycle, kStepBoundMs);
            const HRESULT hr = rig.Run();
            if (hr != S_OK) {
                report.Fail(Describe("run", cycle, hr));
            }
        }
        {
            WatchedStep step(dog, 0, "wait for frames", cycle, kStepBoundMs);
            if (!rig.WaitForFrames(2, kFrameWaitMs)) {
                report.Fail(Describe("no frames before the unplug", cycle, E_FAIL));
            }
        }
        const long lossesBefore = rig.Losses()->Invalid();
        {
            WatchedStep step(dog, 0, "unplug", cycle, kStepBoundMs);
            // Every other cycle the camera goes in the middle of a stream of frames.
            if (!emulation.Unplug("P1", cycle % 2 == 0 ? 0 : 3)) {
                report.Fail(Describe("unplug refused", cycle, E_FAIL));
            }
        }
        {
            WatchedStep step(dog, 0, "wait for the loss", cycle, kStepBoundMs);
            const DWORD start = GetTickCount();
            while (rig.Losses()->Invalid() == lossesBefore && GetTickCount() - start < kFrameWaitMs) {
                Sleep(10);
            }
            if (rig.Losses()->Invalid() == lossesBefore) {
                report.Fail(Describe("the loss was not reported", cycle, E_FAIL));
            }
        }
        {
            // The pins report the camera's failed AcquisitionStop, but the
            // graph stops.
            WatchedStep step(dog, 0, "stop after the loss", cycle, kStepBoundMs);
            rig.Stop();
            if (!rig.Stopped()) {
                report.Fail(Describe("the graph did not stop after the loss", cycle, E_FAIL));
            }
        }
        {
            WatchedStep step(dog, 0, "disconnect after the loss", cycle, kStepBoundMs);
            const HRESULT hr = rig.Disconnect();
            if (FAILED(hr)) {
                report.Fail(Describe("disconnect after the loss", cycle, hr));
            }
        }
        {
            WatchedStep step(dog, 0, "replug", cycle, kStepBoundMs);
            if (!emulation.Replug("P1")) {
                report.Fail(Describe("replug refused", cycle, E_FAIL));
            }
        }
        WatchedStep step(dog, 0, "SelectCamera after replug", cycle, kStepBoundMs);
        BSTR id = SysAllocString(cameraId.c_str());
        const HRESULT hr = rig.Selection()->SelectCamera(id);
        SysFreeString(id);
        if (hr != S_OK) {
            report.Fail(Describe("SelectCamera of the replugged camera", cycle, hr));
        }
    }
    // Measured as warmed up: disconnected, with the camera selected again.
    meter.Finish();
    // The camera selected last streams again.
    {
        WatchedStep step(dog, 0, "connect after the last replug", cycles, kStepBoundMs);
        const HRESULT hr = rig.Connect();
        if (FAILED(hr)) {
            report.Fail(Describe("connect after the last replug", cycles, hr));
        }
    }
    StreamBriefly(rig, report, cycles);
    return report;
}
