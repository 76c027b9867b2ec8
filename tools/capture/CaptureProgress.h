// CaptureProgress: the live one-line progress while recording and the summary
// at the end.
#pragma once

#include <cstdint>
#include <string>

struct CaptureSummary {
    std::string device;
    std::string captureFormat;  // "RGB24 1920x1200 30.00 fps"
    std::string previewFormat;  // empty without the preview pin
    std::string output;         // empty when nothing was recorded
    std::string snapshot;       // empty when none was written
    double seconds = 0.0;       // wall time the graph ran
    uint64_t framesReceived = 0;
    uint32_t framesWritten = 0;
    uint64_t previewFrames = 0;
    bool haveDeviceCounts = false;
    long delivered = 0;  // IAMDroppedFrames
    long dropped = 0;
    double measuredRate = 0.0;
    bool rateFromDevice = false;
    double stampSpan = 0.0;  // seconds between the first and last time stamps
    uint64_t fileBytes = 0;
    bool truncated = false;
};

class CaptureProgress {
  public:
    explicit CaptureProgress(bool quiet) : m_quiet(quiet) {}

    // Rewrites the progress line.
    void Update(double elapsed, double total, uint64_t frames, bool haveDeviceCounts, long delivered,
                long dropped, double rate, bool rateFromDevice);
    // Ends the progress line, if one was shown.
    void Finish();

    static void PrintSummary(const CaptureSummary& summary);

  private:
    bool m_quiet;
    bool m_shown = false;
    size_t m_lastLength = 0;
};
