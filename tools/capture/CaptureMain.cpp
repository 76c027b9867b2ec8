// korvel-capture: a small capture application for DirectShow video input
// devices. It lists the devices and their capabilities, sets the format,
// size and rate, records for a given time into an uncompressed AVI file
// through a graph of the device and the tool's own sink filter, can connect
// the preview pin into a null sink as well, writes a snapshot and prints a
// summary. Run with --help for the options and the exit codes.
#include <windows.h>
#include <dshow.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/capture/CaptureGraph.h"
#include "tools/capture/CaptureOptions.h"
#include "tools/capture/CaptureProgress.h"
#include "tools/capture/CaptureSinkFilter.h"
#include "tools/capture/ComPtr.h"
#include "tools/capture/DeviceList.h"
#include "tools/capture/FrameRecorder.h"
#include "tools/capture/SnapshotWriter.h"
#include "tools/capture/VideoFormatNames.h"

namespace {

volatile LONG g_interrupted = 0;

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        InterlockedExchange(&g_interrupted, 1);
        return TRUE;
    }
    return FALSE;
}

int Fail(int code, const std::string& message) {
    std::fflush(stdout);
    std::fprintf(stderr, "korvel-capture: %s\n", message.c_str());
    return code;
}

// The arguments as UTF-8, whatever the console's code page.
std::vector<std::string> CommandLineArguments() {
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) {
        return arguments;
    }
    for (int i = 0; i < count; ++i) {
        arguments.push_back(Narrow(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}

// Whether the file can be created (or replaced): tried before any device is
// touched, so that a bad path fails at once. A file that did not exist is
// removed again.
bool CheckWritable(const std::string& path, std::string* reason) {
    const std::wstring wide = Widen(path);
    const bool existed = GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *reason = DescribeHResult(HRESULT_FROM_WIN32(GetLastError()));
        return false;
    }
    CloseHandle(file);
    if (!existed) {
        DeleteFileW(wide.c_str());
    }
    return true;
}

bool EndsWithPng(const std::string& path) {
    if (path.size() < 4) {
        return false;
    }
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail) {
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    return tail == ".png";
}

class ComSession {
  public:
    ComSession() : m_result(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComSession() {
        if (SUCCEEDED(m_result)) {
            CoUninitialize();
        }
    }
    HRESULT Result() const { return m_result; }

  private:
    HRESULT m_result;
};

int Capture(const CaptureOptions& options) {
    const bool record =
        !options.output.empty() || !options.snapshot.empty() || (!options.list && !options.caps);
    if (record) {
        std::string reason;
        if (!options.output.empty() && !CheckWritable(options.output, &reason)) {
            return Fail(kExitFileNotWritable, "cannot write the file \"" + options.output + "\": " + reason);
        }
        if (!options.snapshot.empty() && !CheckWritable(options.snapshot, &reason)) {
            return Fail(kExitFileNotWritable,
                        "cannot write the snapshot \"" + options.snapshot + "\": " + reason);
        }
    }

    DeviceList devices;
    HRESULT hr = devices.Enumerate();
    if (FAILED(hr)) {
        return Fail(kExitFailure, "cannot list the video input devices: " + DescribeHResult(hr));
    }
    if (options.list) {
        devices.Print();
    }
    if (devices.Devices().empty()) {
        return Fail(kExitNoDevice, "no video input device is registered on this system");
    }
    if (options.list && !options.caps && !record) {
        return kExitSuccess;
    }
    const int index = devices.Find(options.device);
    if (index < 0) {
        std::string names;
        for (size_t i = 0; i < devices.Devices().size(); ++i) {
            names += (i ? ", " : "") + std::to_string(i) + ": \"" + devices.Devices()[i].friendlyName + "\"";
        }
        return Fail(kExitNoDevice, "no video input device \"" + options.device + "\" (found " + names + ")");
    }
    const std::string deviceName = devices.Devices()[static_cast<size_t>(index)].friendlyName;
    ComPtr<IBaseFilter> device;
    hr = devices.CreateFilter(index, device.Receive());
    if (FAILED(hr)) {
        return Fail(kExitNoDevice,
                    "cannot create the filter of \"" + deviceName + "\": " + DescribeHResult(hr));
    }

    // The recorders outlive the graph: the sinks point at them until it is gone.
    FrameRecorder recorder;
    FrameRecorder previewRecorder;
    CaptureGraph graph;
    std::string error;
    hr = graph.Build(device.Get(), Widen(deviceName), &error);
    if (FAILED(hr)) {
        return Fail(kExitFailure, error);
    }
    if (options.caps) {
        std::printf("Device %d: %s\n", index, deviceName.c_str());
        hr = graph.PrintCapabilities();
        if (FAILED(hr)) {
            return Fail(kExitFailure,
                        "cannot read the capabilities of \"" + deviceName + "\": " + DescribeHResult(hr));
        }
        if (!record) {
            return kExitSuccess;
        }
    }

    hr = graph.ConfigureDevice(options.cameraFormat, options.width, options.height, options.fps, &error);
    if (FAILED(hr)) {
        return Fail(kExitFormatRefused, error);
    }
    CMediaType captureType;
    hr = graph.ChooseCaptureType(options.format, options.width, options.height, options.fps, &captureType,
                                 &error);
    if (FAILED(hr)) {
        return Fail(kExitFormatRefused, error);
    }
    const VideoTypeSummary chosen = SummarizeVideoType(captureType);
    if (!options.snapshot.empty() && !SnapshotWriter::Supports(chosen)) {
        return Fail(kExitFormatRefused, "cannot write a snapshot of " + chosen.Describe() +
                                            ": choose RGB24, RGB32, Y800, YUY2, UYVY, I420, YV12 or NV12");
    }

    HRESULT created = S_OK;
    CaptureSinkFilter* sinkObject = CaptureSinkFilter::Create(false, &created);
    if (!sinkObject) {
        return Fail(kExitFailure, "cannot create the sink filter: " + DescribeHResult(created));
    }
    ComPtr<IBaseFilter> sink;
    sinkObject->NonDelegatingQueryInterface(IID_IBaseFilter, sink.ReceiveVoid());
    sinkObject->InputPin()->SetFrameHandler(&recorder);
    if (!options.snapshot.empty()) {
        recorder.WantSnapshot();
    }
    hr = graph.ConnectCapture(sink.Get(), static_cast<IPin*>(sinkObject->InputPin()), captureType);
    if (FAILED(hr)) {
        return Fail(kExitFormatRefused, "the capture pin refused the connection with " + chosen.Describe() +
                                            ": " + DescribeHResult(hr));
    }
    CMediaType connected;
    hr = graph.CaptureConnectionType(&connected);
    if (FAILED(hr)) {
        return Fail(kExitFailure, "cannot read the capture connection's type: " + DescribeHResult(hr));
    }
    const VideoTypeSummary connectedSummary = SummarizeVideoType(connected);

    ComPtr<IBaseFilter> previewSink;
    std::string previewFormat;
    if (options.preview) {
        if (!graph.HasPreviewPin()) {
            return Fail(kExitFailure, "\"" + deviceName + "\" has no preview pin");
        }
        CaptureSinkFilter* previewObject = CaptureSinkFilter::Create(true, &created);
        if (!previewObject) {
            return Fail(kExitFailure, "cannot create the preview sink: " + DescribeHResult(created));
        }
        previewObject->NonDelegatingQueryInterface(IID_IBaseFilter, previewSink.ReceiveVoid());
        previewObject->InputPin()->SetFrameHandler(&previewRecorder);
        hr = graph.ConnectPreview(previewSink.Get(), static_cast<IPin*>(previewObject->InputPin()));
        if (FAILED(hr)) {
            return Fail(kExitFormatRefused, "the preview pin refused the connection: " + DescribeHResult(hr));
        }
        CMediaType previewType;
        if (SUCCEEDED(graph.PreviewConnectionType(&previewType))) {
            previewFormat = SummarizeVideoType(previewType).Describe();
        }
    }

    if (!options.output.empty()) {
        hr = recorder.OpenFile(Widen(options.output), connectedSummary);
        if (FAILED(hr)) {
            return Fail(kExitFileNotWritable,
                        "cannot write the file \"" + options.output + "\": " + DescribeHResult(hr));
        }
    }

    std::printf("Recording %.1f s from \"%s\": %s%s%s\n", options.seconds, deviceName.c_str(),
                connectedSummary.Describe().c_str(), options.output.empty() ? "" : " into ",
                options.output.c_str());
    std::fflush(stdout);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    LARGE_INTEGER frequency;
    LARGE_INTEGER started;
    QueryPerformanceFrequency(&frequency);
    hr = graph.Run();
    QueryPerformanceCounter(&started);
    if (FAILED(hr)) {
        recorder.CloseFile(0.0);
        return Fail(kExitFailure, "cannot run the graph: " + DescribeHResult(hr));
    }

    CaptureProgress progress(options.quiet);
    double elapsed = 0.0;
    double nextUpdate = 0.0;
    int result = kExitSuccess;
    long delivered = 0;
    long dropped = 0;
    bool haveCounts = false;
    double rate = 0.0;
    bool rateFromDevice = false;
    for (;;) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        elapsed =
            static_cast<double>(now.QuadPart - started.QuadPart) / static_cast<double>(frequency.QuadPart);
        const HRESULT events = graph.PollEvents(&error);
        if (FAILED(events)) {
            progress.Finish();
            result = Fail(kExitFailure, error);
            break;
        }
        if (FAILED(recorder.WriteError())) {
            progress.Finish();
            result = Fail(kExitFileNotWritable, "writing \"" + options.output +
                                                    "\" failed: " + DescribeHResult(recorder.WriteError()));
            break;
        }
        const bool done = elapsed >= options.seconds || events == S_FALSE || g_interrupted != 0;
        if (elapsed >= nextUpdate || done) {
            haveCounts = graph.DroppedFrames(&delivered, &dropped);
            rateFromDevice = graph.ActualFrameRate(&rate);
            if (!rateFromDevice) {
                const double span = recorder.ArrivalSpan();
                rate = span > 0.0 ? (recorder.FramesReceived() - 1) / span : 0.0;
            }
            progress.Update(elapsed, options.seconds, recorder.FramesReceived(), haveCounts, delivered,
                            dropped, rate, rateFromDevice);
            nextUpdate = elapsed + 0.25;
        }
        if (done) {
            break;
        }
        Sleep(20);
    }
    progress.Finish();
    const HRESULT stopped = graph.Stop();
    if (FAILED(stopped) && result == kExitSuccess) {
        result = Fail(kExitFailure, "stopping the graph failed: " + DescribeHResult(stopped));
    }
    if (g_interrupted != 0) {
        std::printf("Interrupted: the recording ends here.\n");
    }

    CaptureSummary summary;
    summary.device = deviceName;
    summary.captureFormat = connectedSummary.Describe();
    summary.previewFormat = previewFormat;
    summary.previewFrames = previewRecorder.FramesReceived();
    summary.seconds = elapsed;
    summary.framesReceived = recorder.FramesReceived();
    summary.haveDeviceCounts = haveCounts;
    summary.delivered = delivered;
    summary.dropped = dropped;
    summary.rateFromDevice = rateFromDevice;
    const double span = recorder.ArrivalSpan();
    summary.measuredRate = rateFromDevice ? rate : (span > 0.0 ? (summary.framesReceived - 1) / span : 0.0);
    REFERENCE_TIME firstStamp = 0;
    REFERENCE_TIME lastStamp = 0;
    if (recorder.StampRange(&firstStamp, &lastStamp)) {
        summary.stampSpan = static_cast<double>(lastStamp - firstStamp) / 1.0e7;
    }

    if (!options.output.empty()) {
        const double fileRate = summary.measuredRate;
        const HRESULT closed = recorder.CloseFile(fileRate);
        summary.output = options.output;
        summary.framesWritten = recorder.FramesWritten();
        summary.fileBytes = recorder.BytesWritten();
        summary.truncated = recorder.Truncated();
        if (FAILED(closed) && result == kExitSuccess) {
            result = Fail(kExitFileNotWritable,
                          "completing \"" + options.output + "\" failed: " + DescribeHResult(closed));
        }
        if (recorder.FormatChanged() && result == kExitSuccess) {
            std::fprintf(stderr,
                         "korvel-capture: warning: the format changed during the recording; "
                         "frames of the new format were left out of the file\n");
        }
    }
    if (!options.snapshot.empty() && summary.framesReceived > 0) {
        const HRESULT saved = recorder.SaveSnapshot(Widen(options.snapshot), EndsWithPng(options.snapshot));
        if (SUCCEEDED(saved)) {
            summary.snapshot = options.snapshot;
        } else if (result == kExitSuccess) {
            result = Fail(kExitFileNotWritable, "cannot write the snapshot \"" + options.snapshot +
                                                    "\": " + DescribeHResult(saved));
        }
    }
    CaptureProgress::PrintSummary(summary);
    if (summary.framesReceived == 0 && result == kExitSuccess) {
        result =
            Fail(kExitNoFrames, "the device delivered no frame in " + std::to_string(options.seconds) + " s");
    }
    return result;
}

}  // namespace

int main() {
    std::vector<std::string> arguments = CommandLineArguments();
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(&argument[0]);
    }
    argv.push_back(nullptr);

    CaptureOptions options;
    std::string error;
    if (!ParseCaptureOptions(static_cast<int>(arguments.size()), argv.data(), &options, &error)) {
        std::fprintf(stderr, "korvel-capture: %s (see korvel-capture --help)\n", error.c_str());
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(CaptureUsage(), stdout);
        return kExitSuccess;
    }
    ComSession com;
    if (FAILED(com.Result())) {
        return Fail(kExitFailure, "cannot initialise COM: " + DescribeHResult(com.Result()));
    }
    return Capture(options);
}
