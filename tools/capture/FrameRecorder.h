// FrameRecorder: what the capture tool does with each frame its sink
// receives: counts it, writes it into the AVI file when one is open, and
// keeps the first one as the snapshot when asked. Frames arrive on the
// streaming thread; the counters may be read from any thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "tools/capture/AviFileWriter.h"
#include "tools/capture/SinkInputPin.h"
#include "tools/capture/SnapshotWriter.h"

class FrameRecorder : public FrameHandler {
  public:
    // Opens the AVI file for the connected type (no file: frames are only
    // counted). Call once the pin is connected, before the graph runs.
    HRESULT OpenFile(const std::wstring& path, const VideoTypeSummary& type);
    // Keeps the first frame for a snapshot.
    void WantSnapshot() { m_wantSnapshot = true; }

    void OnMediaType(const AM_MEDIA_TYPE& type) override;
    void OnFrame(const uint8_t* data, size_t length, bool hasTime, REFERENCE_TIME start) override;

    // Closes the file (after the graph stopped).
    HRESULT CloseFile(double measuredFramesPerSecond);
    // Writes the kept frame: S_OK, or E_UNEXPECTED when no frame was kept.
    HRESULT SaveSnapshot(const std::wstring& path, bool png);

    uint64_t FramesReceived() const { return m_framesReceived.load(); }
    uint32_t FramesWritten();
    uint64_t BytesWritten();
    bool Truncated();
    // The first failure writing the file, S_OK while there is none.
    HRESULT WriteError() const { return m_writeError.load(); }
    // Whether a frame came with a type that differs in size or format from
    // the one the file was opened with (such frames are not written).
    bool FormatChanged() const { return m_formatChanged.load(); }
    // Time stamps of the first and the last stamped frame.
    bool StampRange(REFERENCE_TIME* first, REFERENCE_TIME* last);
    // Seconds between the first and the last frame's arrival, 0 before two.
    double ArrivalSpan();

  private:
    std::mutex m_mutex;  // the writers, the stamps, the arrival times, the current type
    AviFileWriter m_avi;
    SnapshotWriter m_snapshot;
    VideoTypeSummary m_fileType;
    VideoTypeSummary m_currentType;
    bool m_wantSnapshot = false;
    bool m_haveStamps = false;
    REFERENCE_TIME m_firstStamp = 0;
    REFERENCE_TIME m_lastStamp = 0;
    LARGE_INTEGER m_firstArrival = {};
    LARGE_INTEGER m_lastArrival = {};
    std::atomic<uint64_t> m_framesReceived{0};
    std::atomic<HRESULT> m_writeError{S_OK};
    std::atomic<bool> m_formatChanged{false};
};
