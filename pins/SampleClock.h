// CSampleClock: the synthetic time stamps of one output pin. Samples are
// stamped in an even sequence that starts at 0 on every activation and does
// not follow the graph's reference clock; quality messages from downstream
// widen the spacing or shift the sequence, never the rate at which frames
// are delivered.
//
// Its lock is the pin's timingLock: taken inside the pin's frameLock, never
// the other way round.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <cstdint>

#include "baseclasses/CritSec.h"

class CSampleClock {
  public:
    CSampleClock();

    // The connected type's frame duration, in milliseconds (above 0).
    void SetNominalFrameDuration(double milliseconds);
    // Back to the first sample: start time 0, media time 0, the nominal spacing.
    void Restart();

    // Sets the next start and stop times (stop = start + the nominal
    // duration) and media times (n, n + 1), then advances by the current
    // spacing.
    HRESULT Stamp(IMediaSample* sample);

    // A quality message: a proportion above 0 scales the spacing by 1000 /
    // proportion, kept between the nominal duration and one second; 0 or
    // below gives one second. A positive lateness is added to the next start time.
    void OnQualityMessage(const Quality& quality);

  private:
    CCritSec m_timingLock;
    REFERENCE_TIME m_streamTime;    // start time of the next sample, 100-ns units
    double m_frameInterval;         // milliseconds between start times
    int64_t m_frameNumber;          // media time of the next sample
    double m_nominalFrameDuration;  // milliseconds
};
