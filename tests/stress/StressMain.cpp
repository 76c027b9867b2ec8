// korvel-stress: stresses the source filter under Wine with the emulated
// cameras and prints its figures.
//
//   korvel-stress short   a few minutes at most (the test suite's version)
//   korvel-stress long    1000 run/pause/stop cycles, 200 format cycles,
//                         100 unplug/replug cycles, ten minutes of four
//                         threads on the controls
//
// Exit code 0 when every phase passed: no failed step, no picture torn
// between two frames, handles and private memory flat after warm-up within
// their tolerance, and nothing left alive at the end. 1 on a failure, 2 on
// bad arguments, 3 when the watchdog found a hung step.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "StressPhases.h"
#include "StressRig.h"
#include "Watchdog.h"

namespace {

// Growth allowed between warm-up and the end of a phase.
constexpr long kHandleTolerance = 16;
constexpr SIZE_T kPrivateTolerance = 8 * 1024 * 1024;

double Megabytes(SIZE_T bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

bool Print(const PhaseReport& report) {
    const long handleGrowth = static_cast<long>(report.end.handles) - static_cast<long>(report.warm.handles);
    const double memoryGrowth = Megabytes(report.end.privateBytes) - Megabytes(report.warm.privateBytes);
    const bool handlesFlat = handleGrowth <= kHandleTolerance;
    const bool memoryFlat = report.end.privateBytes <= report.warm.privateBytes + kPrivateTolerance;
    const bool whole = report.frames.torn == 0 && report.frames.checked > 0;
    std::printf("%s: %ld cycles in %.1f s\n", report.name.c_str(), report.cycles, report.seconds);
    std::printf("  handles %lu after warm-up, %lu at the end (%+ld, tolerance +%ld): %s\n",
                static_cast<unsigned long>(report.warm.handles),
                static_cast<unsigned long>(report.end.handles), handleGrowth, kHandleTolerance,
                handlesFlat ? "flat" : "GROWING");
    std::printf(
        "  private memory %.2f MB after warm-up, %.2f MB at the end (%+.2f MB, tolerance +%.0f MB): %s\n",
        Megabytes(report.warm.privateBytes), Megabytes(report.end.privateBytes), memoryGrowth,
        Megabytes(kPrivateTolerance), memoryFlat ? "flat" : "GROWING");
    std::printf("  samples %llu: %llu whole frames checked, %llu torn, %llu without a readable number: %s\n",
                static_cast<unsigned long long>(report.frames.received),
                static_cast<unsigned long long>(report.frames.checked),
                static_cast<unsigned long long>(report.frames.torn),
                static_cast<unsigned long long>(report.frames.unreadable), whole ? "ok" : "FAILED");
    std::printf("  failed steps: %ld\n", report.failures);
    for (const std::string& message : report.messages) {
        std::printf("    %s\n", message.c_str());
    }
    std::fflush(stdout);
    return handlesFlat && memoryFlat && whole && report.failures == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || (std::strcmp(argv[1], "short") != 0 && std::strcmp(argv[1], "long") != 0)) {
        std::fprintf(stderr, "usage: korvel-stress short|long\n");
        return 2;
    }
    const bool isLong = std::strcmp(argv[1], "long") == 0;
    const StressPlan plan = isLong ? StressPlan{1000, 200, 100, 600} : StressPlan{100, 30, 20, 20};
    std::printf(
        "korvel-stress %s: %ld run/pause/stop, %ld format, %ld unplug cycles, %ld s of four threads\n",
        argv[1], plan.runCycles, plan.formatCycles, plan.unplugCycles, plan.hammerSeconds);
    std::fflush(stdout);

    Watchdog watchdog;
    if (!watchdog.Start()) {
        std::printf("the watchdog did not start\n");
        return 1;
    }
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const DWORD start = GetTickCount();
    bool passed = true;
    {
        StressRig rig(watchdog);
        std::string error;
        if (!rig.Open(&error)) {
            std::printf("cannot set up: %s\n", error.c_str());
            passed = false;
        } else {
            const ResourceUse first = MeasureResources();
            std::printf("%s\n", ResourceSources().c_str());
            passed = Print(RunPauseStopPhase(rig, plan.runCycles)) && passed;
            passed = Print(FormatChangePhase(rig, plan.formatCycles)) && passed;
            passed = Print(UnplugPhase(rig, plan.unplugCycles)) && passed;
            passed = Print(HammerPhase(rig, plan.hammerSeconds)) && passed;
            const ResourceUse last = MeasureResources();
            std::printf("whole run: handles %lu -> %lu, private memory %.2f MB -> %.2f MB, %.1f minutes\n",
                        static_cast<unsigned long>(first.handles), static_cast<unsigned long>(last.handles),
                        Megabytes(first.privateBytes), Megabytes(last.privateBytes),
                        (GetTickCount() - start) / 60000.0);
            const PatternCounts totals = rig.Totals();
            std::printf("frames: %llu received, %llu checked whole, %llu torn\n",
                        static_cast<unsigned long long>(totals.received),
                        static_cast<unsigned long long>(totals.checked),
                        static_cast<unsigned long long>(totals.torn));
            LONG dropped = 0;
            if (rig.Drops()->GetNumDropped(&dropped) == S_OK) {
                std::printf("capture pin dropped frames (IAMDroppedFrames): %ld\n", dropped);
            }
        }
        WatchedStep step(watchdog, 0, "release the filter and the module", 0, 60000);
        error.clear();
        if (!rig.Close(&error)) {
            std::printf("at the end: %s\n", error.c_str());
            passed = false;
        }
    }
    CoUninitialize();
    watchdog.Stop();
    std::printf("%s\n", passed ? "PASSED" : "FAILED");
    return passed ? 0 : 1;
}
