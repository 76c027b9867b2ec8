#include "pins/SampleClock.h"

#include <cmath>
#include <limits>

#include "pins/PictureGeometry.h"

namespace {

constexpr double kLongestFrameIntervalMs = 1000.0;

// Milliseconds as a 100-ns count, truncated; saturated rather than left
// undefined for durations no stream reaches. A frame time that went through
// milliseconds comes back as the whole count it was, not one unit short.
REFERENCE_TIME ToReferenceTime(double milliseconds) {
    const double units = milliseconds * 10000.0;
    if (!(units > 0.0)) {
        return 0;
    }
    if (units >= 9.0e18) {
        return std::numeric_limits<REFERENCE_TIME>::max();
    }
    const double nearest = std::round(units);
    if (std::fabs(units - nearest) < 1e-6) {
        return static_cast<REFERENCE_TIME>(nearest);
    }
    return static_cast<REFERENCE_TIME>(units);
}

// start + step for non-negative steps, stopping at the largest time.
REFERENCE_TIME Advance(REFERENCE_TIME start, REFERENCE_TIME step) {
    const REFERENCE_TIME largest = std::numeric_limits<REFERENCE_TIME>::max();
    return start > largest - step ? largest : start + step;
}

}  // namespace

CSampleClock::CSampleClock()
    : m_streamTime(0),
      m_frameInterval(kDefaultFrameDurationMs),
      m_frameNumber(0),
      m_nominalFrameDuration(kDefaultFrameDurationMs) {}

void CSampleClock::SetNominalFrameDuration(double milliseconds) {
    CAutoLock lock(&m_timingLock);
    m_nominalFrameDuration = milliseconds > 0.0 ? milliseconds : kDefaultFrameDurationMs;
}

void CSampleClock::Restart() {
    CAutoLock lock(&m_timingLock);
    m_streamTime = 0;
    m_frameInterval = m_nominalFrameDuration;
    m_frameNumber = 0;
}

HRESULT CSampleClock::Stamp(IMediaSample* sample) {
    if (!sample) {
        return E_POINTER;
    }
    CAutoLock lock(&m_timingLock);
    REFERENCE_TIME start = m_streamTime;
    REFERENCE_TIME stop = Advance(start, ToReferenceTime(m_nominalFrameDuration));
    HRESULT hr = sample->SetTime(&start, &stop);
    if (FAILED(hr)) {
        return hr;
    }
    LONGLONG mediaStart = m_frameNumber;
    LONGLONG mediaStop = m_frameNumber + 1;
    hr = sample->SetMediaTime(&mediaStart, &mediaStop);
    m_streamTime = Advance(m_streamTime, ToReferenceTime(m_frameInterval));
    ++m_frameNumber;
    return hr;
}

void CSampleClock::OnQualityMessage(const Quality& quality) {
    CAutoLock lock(&m_timingLock);
    if (quality.Proportion > 0) {
        m_frameInterval = m_frameInterval * 1000.0 / quality.Proportion;
        if (m_frameInterval > kLongestFrameIntervalMs) {
            m_frameInterval = kLongestFrameIntervalMs;
        } else if (m_frameInterval < m_nominalFrameDuration) {
            m_frameInterval = m_nominalFrameDuration;
        }
    } else {
        m_frameInterval = kLongestFrameIntervalMs;
    }
    if (quality.Late > 0) {
        m_streamTime = Advance(m_streamTime, quality.Late);
    }
}
