// Declarations of the processor-specific kernel variants. Each lives in a
// translation unit of its own compiled for its instruction set only; the names
// carry the set. Only the level tables in KernelTable.cpp refer to them.
#pragma once

#include <cstdint>

#include "conversion/kernels/KernelTable.h"

namespace kernels {

#if defined(KORVEL_X86_KERNELS)
int32_t BGR24ToGrey_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height);
int32_t YUY2ToBGR24_SSE41(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height);
#endif

}  // namespace kernels
