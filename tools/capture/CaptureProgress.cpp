#include "tools/capture/CaptureProgress.h"

#include <cstdio>

void CaptureProgress::Update(double elapsed, double total, uint64_t frames, bool haveDeviceCounts,
                             long delivered, long dropped, double rate, bool rateFromDevice) {
    if (m_quiet) {
        return;
    }
    char line[200];
    int length = 0;
    if (haveDeviceCounts) {
        length = std::snprintf(line, sizeof(line),
                               "\r%6.1f / %.1f s  frames %llu  delivered %ld  dropped %ld  %6.2f fps (%s)",
                               elapsed, total, static_cast<unsigned long long>(frames), delivered, dropped,
                               rate, rateFromDevice ? "device" : "counted");
    } else {
        length = std::snprintf(line, sizeof(line), "\r%6.1f / %.1f s  frames %llu  %6.2f fps (%s)", elapsed,
                               total, static_cast<unsigned long long>(frames), rate,
                               rateFromDevice ? "device" : "counted");
    }
    if (length < 0) {
        return;
    }
    std::fputs(line, stdout);
    // Blank out what a longer previous line left behind.
    for (size_t i = static_cast<size_t>(length); i < m_lastLength; ++i) {
        std::fputc(' ', stdout);
    }
    m_lastLength = static_cast<size_t>(length);
    std::fflush(stdout);
    m_shown = true;
}

void CaptureProgress::Finish() {
    if (m_shown) {
        std::fputc('\n', stdout);
        std::fflush(stdout);
        m_shown = false;
    }
}

void CaptureProgress::PrintSummary(const CaptureSummary& summary) {
    std::printf("Summary\n");
    std::printf("  device:          %s\n", summary.device.c_str());
    std::printf("  capture format:  %s\n", summary.captureFormat.c_str());
    if (!summary.previewFormat.empty()) {
        std::printf("  preview format:  %s (%llu frames into the null sink)\n", summary.previewFormat.c_str(),
                    static_cast<unsigned long long>(summary.previewFrames));
    }
    std::printf("  ran:             %.2f s\n", summary.seconds);
    std::printf("  frames received: %llu\n", static_cast<unsigned long long>(summary.framesReceived));
    if (summary.haveDeviceCounts) {
        std::printf("  device counts:   %ld delivered, %ld dropped\n", summary.delivered, summary.dropped);
    } else {
        std::printf("  device counts:   not available (no IAMDroppedFrames)\n");
    }
    std::printf("  frame rate:      %.2f fps (%s)\n", summary.measuredRate,
                summary.rateFromDevice ? "measured by the device" : "counted here");
    if (summary.stampSpan > 0.0) {
        std::printf("  time stamps:     %.3f s from the first frame to the last\n", summary.stampSpan);
    }
    if (!summary.output.empty()) {
        std::printf("  file:            %s (%u frames, %.1f MB)%s\n", summary.output.c_str(),
                    summary.framesWritten, static_cast<double>(summary.fileBytes) / (1024.0 * 1024.0),
                    summary.truncated ? ", cut at the AVI size limit" : "");
    }
    if (!summary.snapshot.empty()) {
        std::printf("  snapshot:        %s\n", summary.snapshot.c_str());
    }
    std::fflush(stdout);
}
