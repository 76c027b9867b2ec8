#include "pins/FrameStatistics.h"

#include <mmsystem.h>

CFrameStatistics::CFrameStatistics()
    : m_averageFrameRate(0.0), m_framesDelivered(0), m_framesDropped(0), m_startTick(0) {}

void CFrameStatistics::Restart() {
    CAutoLock lock(&m_statsLock);
    m_averageFrameRate = 0.0;
    m_framesDelivered = 0;
    m_startTick = timeGetTime();
}

void CFrameStatistics::CountDelivered() {
    CAutoLock lock(&m_statsLock);
    ++m_framesDelivered;
    // The tick count wraps after 49.7 days; the unsigned difference stays right.
    const DWORD elapsed = timeGetTime() - m_startTick;
    if (elapsed > 0) {
        m_averageFrameRate = static_cast<double>(m_framesDelivered) / (elapsed / 1000.0);
    }
}

void CFrameStatistics::CountDropped() {
    CAutoLock lock(&m_statsLock);
    ++m_framesDropped;
}

int64_t CFrameStatistics::FramesDelivered() {
    CAutoLock lock(&m_statsLock);
    return m_framesDelivered;
}

int64_t CFrameStatistics::FramesDropped() {
    CAutoLock lock(&m_statsLock);
    return m_framesDropped;
}

double CFrameStatistics::AverageFrameRate() {
    CAutoLock lock(&m_statsLock);
    return m_averageFrameRate;
}
