// bench_pipeline: the whole pipeline in a real Wine filter graph.
//
//   bench_pipeline [seconds, default 30] [frames per second, default 30]
//
// A 1920 x 1080 BayerRG8 emulated camera at the given frame rate feeds the
// filter's capture pin in RGB24 and its preview pin in Y800, each into a
// counting null sink. Prints per pin the frames delivered and dropped, the
// CPU time per frame and its ratio to the conversion kernels' own cost
// measured afterwards in the same process, then the target: that frame rate
// on both pins with no frame dropped. Exits non-zero on any failure (a missed
// target is printed, not a failure); a watchdog ends a run that hangs.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/pipeline/KernelCost.h"
#include "bench/pipeline/PipelineGraph.h"
#include "bench/pipeline/PipelineReport.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr double kDefaultFrameRate = 30.0;
constexpr double kMaximumFrameRate = 240.0;
constexpr int kDefaultSeconds = 30;
constexpr DWORD kWarmUpMs = 2000;
constexpr DWORD kFirstSampleMs = 20000;
constexpr double kKernelSeconds = 2.0;
constexpr DWORD kWatchdogSlackMs = 120000;  // set-up, warm-up, kernels, tear-down

HANDLE g_finished = nullptr;

DWORD WINAPI Watchdog(void* parameter) {
    const DWORD limitMs = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(parameter));
    if (WaitForSingleObject(g_finished, limitMs) == WAIT_TIMEOUT) {
        std::fprintf(stderr, "bench_pipeline: no result after %lu s, giving up\n",
                     static_cast<unsigned long>(limitMs / 1000));
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    return 0;
}

int Failure(const std::string& message) {
    std::fprintf(stderr, "bench_pipeline: %s\n", message.c_str());
    std::fflush(stderr);
    return 1;
}

bool ParseArguments(int argc, char** argv, int* seconds, double* frameRate) {
    *seconds = kDefaultSeconds;
    *frameRate = kDefaultFrameRate;
    if (argc > 3) {
        return false;
    }
    if (argc >= 2) {
        char* end = nullptr;
        const long value = std::strtol(argv[1], &end, 10);
        if (end == argv[1] || *end != '\0' || value < 1 || value > 3600) {
            return false;
        }
        *seconds = static_cast<int>(value);
    }
    if (argc == 3) {
        char* end = nullptr;
        const double value = std::strtod(argv[2], &end);
        // The negated test also refuses a NaN.
        if (end == argv[2] || *end != '\0' || !(value >= 1.0 && value <= kMaximumFrameRate)) {
            return false;
        }
        *frameRate = value;
    }
    return true;
}

int RunBenchmark(int seconds, double frameRate) {
    std::printf(
        "bench_pipeline: %d x %d BayerRG8 camera at %.3g fps; capture pin RGB24, preview pin Y800, "
        "null sinks; %d s\n",
        kWidth, kHeight, frameRate, seconds);
    std::fflush(stdout);
    PipelineGraph graph;
    std::string error;
    PipelineSnapshot start;
    PipelineSnapshot end;
    if (!graph.Build(kWidth, kHeight, frameRate, &error) || !graph.Run(&error) ||
        !graph.WaitForFirstSamples(kFirstSampleMs, &error)) {
        return Failure(error);
    }
    Sleep(kWarmUpMs);
    if (!graph.Snapshot(&start, &error)) {
        return Failure(error);
    }
    Sleep(static_cast<DWORD>(seconds) * 1000);
    if (!graph.Snapshot(&end, &error) || !graph.Stop(&error)) {
        return Failure(error);
    }
    const double connectedFrameRate = graph.ConnectedFrameRate();
    if (!graph.Dismantle(&error)) {
        return Failure(error);
    }
    KernelCosts kernels;
    if (!MeasureKernelCosts(kWidth, kHeight, kKernelSeconds, frameRate, &kernels, &error)) {
        return Failure("measuring the conversion kernels: " + error);
    }
    PrintPipelineReport(start, end, connectedFrameRate, frameRate, kernels);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = 0;
    double frameRate = 0.0;
    if (!ParseArguments(argc, argv, &seconds, &frameRate)) {
        std::fprintf(stderr,
                     "usage: bench_pipeline [seconds, 1 to 3600, default %d] [frames per second, 1 to %.0f, "
                     "default %.0f]\n",
                     kDefaultSeconds, kMaximumFrameRate, kDefaultFrameRate);
        return 2;
    }
    g_finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!g_finished) {
        return Failure("cannot create an event");
    }
    const DWORD limitMs = static_cast<DWORD>(seconds) * 1000 + kWatchdogSlackMs;
    HANDLE watchdog =
        CreateThread(nullptr, 0, Watchdog, reinterpret_cast<void*>(ULONG_PTR(limitMs)), 0, nullptr);
    if (!watchdog) {
        return Failure("cannot start the watchdog thread");
    }
    int result = 1;
    try {
        result = RunBenchmark(seconds, frameRate);
    } catch (const std::exception& exception) {
        result = Failure(std::string("unexpected exception: ") + exception.what());
    } catch (...) {
        result = Failure("unexpected exception");
    }
    SetEvent(g_finished);
    WaitForSingleObject(watchdog, 5000);
    CloseHandle(watchdog);
    CloseHandle(g_finished);
    std::fflush(stdout);
    return result;
}
