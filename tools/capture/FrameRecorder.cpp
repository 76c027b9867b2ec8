#include "tools/capture/FrameRecorder.h"

namespace {

bool SamePicture(const VideoTypeSummary& a, const VideoTypeSummary& b) {
    return IsEqualGUID(a.subtype, b.subtype) && a.width == b.width && a.height == b.height &&
           a.bitCount == b.bitCount;
}

}  // namespace

HRESULT FrameRecorder::OpenFile(const std::wstring& path, const VideoTypeSummary& type) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fileType = type;
    m_currentType = type;
    return m_avi.Open(path, type);
}

void FrameRecorder::OnMediaType(const AM_MEDIA_TYPE& type) {
    const VideoTypeSummary summary = SummarizeVideoType(type);
    std::lock_guard<std::mutex> lock(m_mutex);
    // The summary points into the pin's type, which may change later: keep
    // the fields only.
    m_currentType = summary;
    m_currentType.header = nullptr;
    if (m_avi.IsOpen() && !SamePicture(summary, m_fileType)) {
        m_formatChanged = true;
    }
}

void FrameRecorder::OnFrame(const uint8_t* data, size_t length, bool hasTime, REFERENCE_TIME start) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_framesReceived.load() == 0) {
        m_firstArrival = now;
    }
    m_lastArrival = now;
    ++m_framesReceived;
    if (hasTime) {
        if (!m_haveStamps) {
            m_firstStamp = start;
            m_haveStamps = true;
        }
        m_lastStamp = start;
    }
    if (m_wantSnapshot && !m_snapshot.HasPicture()) {
        m_snapshot.Convert(m_currentType, data, length);
    }
    if (m_avi.IsOpen() && m_writeError.load() == S_OK && SamePicture(m_currentType, m_fileType)) {
        const HRESULT hr = m_avi.WriteFrame(data, length);
        if (FAILED(hr)) {
            m_writeError = hr;
        }
    }
}

HRESULT FrameRecorder::CloseFile(double measuredFramesPerSecond) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_avi.Close(measuredFramesPerSecond);
}

HRESULT FrameRecorder::SaveSnapshot(const std::wstring& path, bool png) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_snapshot.HasPicture()) {
        return E_UNEXPECTED;
    }
    return m_snapshot.Save(path, png);
}

uint32_t FrameRecorder::FramesWritten() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_avi.FramesWritten();
}

uint64_t FrameRecorder::BytesWritten() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_avi.BytesWritten();
}

bool FrameRecorder::Truncated() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_avi.Truncated();
}

bool FrameRecorder::StampRange(REFERENCE_TIME* first, REFERENCE_TIME* last) {
    std::lock_guard<std::mutex> lock(m_mutex);
    *first = m_firstStamp;
    *last = m_lastStamp;
    return m_haveStamps;
}

double FrameRecorder::ArrivalSpan() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_framesReceived.load() < 2) {
        return 0.0;
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(m_lastArrival.QuadPart - m_firstArrival.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}
