// CFrameStatistics: the frame counts of one output pin, behind
// IAMDroppedFrames and IAMVideoControl's measured frame rate. Its lock is the
// pin's statsLock, taken alone.
#pragma once

#include <windows.h>

#include <cstdint>

#include "baseclasses/CritSec.h"

class CFrameStatistics {
  public:
    CFrameStatistics();

    // At activation: no frame delivered yet, the rate measured from now.
    // Dropped frames keep counting from the pin's construction.
    void Restart();

    // One sample delivered downstream; the average rate follows.
    void CountDelivered();
    // One frame that could not be delivered.
    void CountDropped();

    int64_t FramesDelivered();
    int64_t FramesDropped();
    // Frames per second delivered since activation; 0 before the first.
    double AverageFrameRate();

  private:
    CCritSec m_statsLock;
    double m_averageFrameRate;
    int64_t m_framesDelivered;
    int64_t m_framesDropped;
    DWORD m_startTick;  // timeGetTime at activation
};
