// Spells out the shared routine signature in the routine files.
#pragma once

#include "conversion/ConversionRoutines.h"

#define KORVEL_ROUTINE(name)                                                        \
    HRESULT name(const uint8_t* source, int32_t sourceStride, uint8_t* destination, \
                 int32_t destinationStride, int32_t width, int32_t height, ScratchBuffers* scratch)
