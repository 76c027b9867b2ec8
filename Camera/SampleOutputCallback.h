// ISampleOutputCallback: how the camera object hands frames to its receivers
// (the output pins). No reference counting: the camera does not own them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "conversion/VideoFormatCatalogue.h"

class ISampleOutputCallback {
  public:
    // buffer is the camera's and valid only during the call; a receiver copies
    // what it needs before returning. stride is in bytes per row. The camera
    // ignores the result.
    virtual HRESULT OnSampleOutput(const uint8_t* buffer, uint32_t width, int32_t height, uint32_t stride,
                                   VideoFormatId format) = 0;

  protected:
    ~ISampleOutputCallback() = default;
};
