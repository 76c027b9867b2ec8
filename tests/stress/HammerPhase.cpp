// The concurrent phase: while both pins stream, four threads call the
// filter's interfaces without pause: camera selection, stream capabilities
// and measured frame rates; trigger mode with software triggers; the camera
// and video-processing controls; persistence. The main thread watches the
// clock and, at the end, checks that both pins stream again in free run.
#include "StressPhases.h"

#include <process.h>
#include <vfwmsgs.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "StressSupport.h"

namespace {

constexpr DWORD kCallBoundMs = 30000;
constexpr int kWorkers = 4;

struct HammerShared {
    StressRig* rig;
    std::atomic<bool> stop{false};
    std::atomic<long> rounds[kWorkers] = {};
    std::mutex reportLock;
    PhaseReport* report;
    std::wstring cameraId;       // of P1, the open camera
    std::wstring otherCameraId;  // of P2

    void Fail(int worker, const char* what, long round, HRESULT hr) {
        char text[200];
        std::snprintf(text, sizeof(text), "thread %d round %ld: %s (0x%08lX)", worker + 1, round, what,
                      static_cast<unsigned long>(hr));
        std::lock_guard<std::mutex> lock(reportLock);
        report->Fail(text);
    }
};

struct WorkerStart {
    HammerShared* shared;
    int worker;
};

void SelectionAndCapabilities(HammerShared& shared, long round) {
    StressRig& rig = *shared.rig;
    Watchdog& dog = rig.Dog();
    {
        WatchedStep step(dog, 1, "SelectCamera while connected", round, kCallBoundMs);
        BSTR id = SysAllocString(shared.cameraId.c_str());
        const HRESULT hr = rig.Selection()->SelectCamera(id);
        SysFreeString(id);
        if (hr != E_UNEXPECTED) {
            shared.Fail(0, "SelectCamera while the capture pin is connected", round, hr);
        }
    }
    {
        WatchedStep step(dog, 1, "GetStreamCaps", round, kCallBoundMs);
        int count = 0;
        int size = 0;
        HRESULT hr = rig.StreamConfig()->GetNumberOfCapabilities(&count, &size);
        if (hr != S_OK || count < 1) {
            shared.Fail(0, "GetNumberOfCapabilities", round, hr);
        }
        for (int index = 0; index < count; ++index) {
            AM_MEDIA_TYPE* type = nullptr;
            VIDEO_STREAM_CONFIG_CAPS caps = {};
            hr = rig.StreamConfig()->GetStreamCaps(index, &type, reinterpret_cast<BYTE*>(&caps));
            if (hr != S_OK || !type || !VideoHeaderOf(*type)) {
                shared.Fail(0, "GetStreamCaps", round, hr);
            }
            if (type) {
                DeleteMediaType(type);
            }
        }
    }
    WatchedStep step(dog, 1, "frame rates", round, kCallBoundMs);
    for (int index = 0; index < 2; ++index) {
        LONGLONG duration = 0;
        const HRESULT hr = rig.VideoControl()->GetCurrentActualFrameRate(rig.SourcePin(index), &duration);
        if (hr != S_OK || duration <= 0) {
            shared.Fail(0, "GetCurrentActualFrameRate", round, hr);
        }
    }
    LONG count = 0;
    LONGLONG* list = nullptr;
    SIZE dimensions = {640, 480};
    const HRESULT hr = rig.VideoControl()->GetFrameRateList(rig.SourcePin(0), 0, dimensions, &count, &list);
    if (hr != S_OK || count < 1 || !list) {
        shared.Fail(0, "GetFrameRateList", round, hr);
    }
    CoTaskMemFree(list);
}

void TriggerMode(HammerShared& shared, long round) {
    StressRig& rig = *shared.rig;
    Watchdog& dog = rig.Dog();
    IPin* capture = rig.SourcePin(0);
    {
        WatchedStep step(dog, 2, "SetMode trigger on", round, kCallBoundMs);
        const HRESULT hr = rig.VideoControl()->SetMode(capture, VideoControlFlag_ExternalTriggerEnable);
        if (hr != S_OK) {
            shared.Fail(1, "SetMode external trigger", round, hr);
        }
    }
    for (int trigger = 0; trigger < 3; ++trigger) {
        WatchedStep step(dog, 2, "SetMode software trigger", round, kCallBoundMs);
        const HRESULT hr = rig.VideoControl()->SetMode(
            capture, VideoControlFlag_ExternalTriggerEnable | VideoControlFlag_Trigger);
        if (hr != S_OK) {
            shared.Fail(1, "SetMode software trigger", round, hr);
        }
        Sleep(10);
    }
    {
        WatchedStep step(dog, 2, "GetMode", round, kCallBoundMs);
        long mode = 0;
        const HRESULT hr = rig.VideoControl()->GetMode(capture, &mode);
        if (hr != S_OK || mode != VideoControlFlag_ExternalTriggerEnable) {
            shared.Fail(1, "GetMode in trigger mode", round, hr);
        }
    }
    {
        WatchedStep step(dog, 2, "SetMode free run", round, kCallBoundMs);
        const HRESULT hr = rig.VideoControl()->SetMode(capture, 0);
        if (hr != S_OK) {
            shared.Fail(1, "SetMode free run", round, hr);
        }
    }
    Sleep(50);
}

void Controls(HammerShared& shared, long round) {
    StressRig& rig = *shared.rig;
    WatchedStep step(rig.Dog(), 3, "camera and video-processing controls", round, kCallBoundMs);
    long minimum = 0, maximum = 0, delta = 0, fallback = 0, flags = 0;
    HRESULT hr =
        rig.CameraControl()->GetRange(CameraControl_Exposure, &minimum, &maximum, &delta, &fallback, &flags);
    if (hr != S_OK) {
        shared.Fail(2, "exposure range", round, hr);
    } else {
        const long value = round % 2 == 0 ? minimum : (minimum + maximum) / 2;
        hr = rig.CameraControl()->Set(CameraControl_Exposure, value, CameraControl_Flags_Manual);
        if (FAILED(hr)) {
            shared.Fail(2, "exposure set", round, hr);
        }
        long now = 0;
        hr = rig.CameraControl()->Get(CameraControl_Exposure, &now, &flags);
        if (hr != S_OK) {
            shared.Fail(2, "exposure get", round, hr);
        }
    }
    for (long property : {long(VideoProcAmp_Gain), long(VideoProcAmp_Brightness)}) {
        hr = rig.ProcAmp()->GetRange(property, &minimum, &maximum, &delta, &fallback, &flags);
        if (hr == E_NOTIMPL) {
            continue;
        }
        if (hr != S_OK) {
            shared.Fail(2, "video-processing range", round, hr);
            continue;
        }
        hr = rig.ProcAmp()->Set(property, round % 2 == 0 ? minimum : maximum, VideoProcAmp_Flags_Manual);
        if (FAILED(hr)) {
            shared.Fail(2, "video-processing set", round, hr);
        }
        long now = 0;
        hr = rig.ProcAmp()->Get(property, &now, &flags);
        if (hr != S_OK) {
            shared.Fail(2, "video-processing get", round, hr);
        }
    }
}

// A stream as the filter writes it, naming the camera id (narrow text).
IStream* StreamNaming(const std::wstring& id) {
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) {
        return nullptr;
    }
    const wchar_t header[] = L"00000000000 ";
    stream->Write(header, 24, nullptr);
    char block[100] = {};
    WideCharToMultiByte(CP_THREAD_ACP, 0, id.c_str(), -1, block, sizeof(block) - 1, nullptr, nullptr);
    stream->Write(block, sizeof(block), nullptr);
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    return stream;
}

void Persistence(HammerShared& shared, long round) {
    StressRig& rig = *shared.rig;
    WatchedStep step(rig.Dog(), 4, "IPersistStream Save and Load", round, kCallBoundMs);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) {
        shared.Fail(3, "no memory stream", round, E_OUTOFMEMORY);
        return;
    }
    HRESULT hr = rig.Persist()->Save(stream, TRUE);
    if (hr != S_OK) {
        shared.Fail(3, "Save", round, hr);
    }
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    hr = rig.Persist()->Load(stream);
    if (hr != S_OK) {
        shared.Fail(3, "Load of the saved stream", round, hr);
    }
    stream->Release();
    // Another camera's stream while the capture pin is connected: loading
    // succeeds and keeps the open camera.
    stream = StreamNaming(shared.otherCameraId);
    if (stream) {
        hr = rig.Persist()->Load(stream);
        if (hr != S_OK) {
            shared.Fail(3, "Load naming the other camera", round, hr);
        }
        stream->Release();
    }
    BSTR selected = nullptr;
    hr = rig.Selection()->GetSelectedCamera(&selected);
    if (hr != S_OK || !selected || shared.cameraId != selected) {
        shared.Fail(3, "the open camera changed while connected", round, hr);
    }
    SysFreeString(selected);
}

unsigned __stdcall WorkerProc(void* argument) {
    const WorkerStart start = *static_cast<WorkerStart*>(argument);
    HammerShared& shared = *start.shared;
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    for (long round = 0; !shared.stop.load(); ++round) {
        switch (start.worker) {
            case 0:
                SelectionAndCapabilities(shared, round);
                break;
            case 1:
                TriggerMode(shared, round);
                break;
            case 2:
                Controls(shared, round);
                break;
            default:
                Persistence(shared, round);
                break;
        }
        ++shared.rounds[start.worker];
    }
    CoUninitialize();
    return 0;
}

}  // namespace

PhaseReport HammerPhase(StressRig& rig, long seconds) {
    PhaseReport report;
    report.name = "four threads on the controls while streaming";
    Watchdog& dog = rig.Dog();
    HammerShared shared;
    shared.rig = &rig;
    shared.report = &report;
    shared.cameraId = rig.CameraId("P1");
    shared.otherCameraId = rig.CameraId("P2");
    {
        WatchedStep step(dog, 0, "connect and run", 0, kCallBoundMs);
        HRESULT hr = rig.Connect();
        if (SUCCEEDED(hr)) {
            hr = rig.Run();
        }
        if (hr != S_OK || !rig.WaitForFrames(2, 10000)) {
            report.Fail("the graph does not stream before the phase");
            return report;
        }
    }
    const PatternCounts before = rig.Totals();
    const DWORD start = GetTickCount();
    WorkerStart starts[kWorkers];
    HANDLE threads[kWorkers] = {};
    for (int worker = 0; worker < kWorkers; ++worker) {
        starts[worker] = {&shared, worker};
        threads[worker] =
            reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, WorkerProc, &starts[worker], 0, nullptr));
    }
    const DWORD durationMs = static_cast<DWORD>(seconds) * 1000;
    const DWORD warmMs = durationMs / 10 < 2000 ? 2000 : durationMs / 10;
    bool warmed = false;
    while (GetTickCount() - start < durationMs) {
        Sleep(250);
        if (!warmed && GetTickCount() - start >= warmMs) {
            report.warm = MeasureResources();
            warmed = true;
        }
    }
    shared.stop.store(true);
    {
        WatchedStep step(dog, 0, "join the threads", 0, 60000);
        for (HANDLE thread : threads) {
            if (thread) {
                WaitForSingleObject(thread, INFINITE);
                CloseHandle(thread);
            }
        }
    }
    for (int worker = 0; worker < kWorkers; ++worker) {
        report.cycles += shared.rounds[worker].load();
    }
    report.end = MeasureResources();
    {
        WatchedStep step(dog, 0, "free run after the phase", 0, kCallBoundMs);
        rig.VideoControl()->SetMode(rig.SourcePin(0), 0);
        if (!rig.WaitForFrames(3, 10000)) {
            report.Fail("the pins do not stream in free run after the phase");
        }
    }
    {
        WatchedStep step(dog, 0, "stop", 0, kCallBoundMs);
        rig.Stop();
    }
    report.seconds = (GetTickCount() - start) / 1000.0;
    const PatternCounts after = rig.Totals();
    report.frames.received = after.received - before.received;
    report.frames.checked = after.checked - before.checked;
    report.frames.torn = after.torn - before.torn;
    report.frames.unreadable = after.unreadable - before.unreadable;
    return report;
}
