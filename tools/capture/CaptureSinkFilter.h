// CaptureSinkFilter: the capture tool's own renderer-style filter with one
// input pin ("In"). The tool writes the AVI file itself from the frames this
// filter receives (see FrameRecorder), instead of using the AVI Mux with a
// file writer: under Wine the mux needs an IStream on the pin downstream,
// which Wine's File Writer lacks, and writing the file here keeps the frame
// count, the index and the picture orientation under our control.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "baseclasses/BaseClasses.h"
#include "tools/capture/SinkInputPin.h"

class CaptureSinkFilter : public CBaseFilter {
  public:
    // A new filter with no reference yet; the first QueryInterface takes
    // one. acceptVideoInfo2 lets the pin take VIDEOINFOHEADER2 types as well
    // (for a sink that only counts frames).
    static CaptureSinkFilter* Create(bool acceptVideoInfo2, HRESULT* result);

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override;

    SinkInputPin* InputPin() { return m_pin; }

  private:
    explicit CaptureSinkFilter(bool acceptVideoInfo2, HRESULT* result);
    ~CaptureSinkFilter() override;

    CCritSec m_lock;
    SinkInputPin* m_pin;
};
