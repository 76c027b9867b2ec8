// The two same-family copies and the 130 conversion routines the matrix points
// to. A routine walks rows: source row r at source + r x sourceStride, written to
// destination + r x destinationStride (negative for a flipped picture). Planar
// pictures arrive with their luma row width as stride (its sign giving the walk)
// and their chroma planes following the luma plane in memory.
#pragma once

#include <cstdint>

#include "conversion/PortableTypes.h"
#include "conversion/ScratchBuffers.h"

typedef HRESULT (*ConversionRoutine)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                     int32_t destinationStride, int32_t width, int32_t height,
                                     ScratchBuffers* scratch);

// Every conversion as X(source family, destination family), in the order the
// matrix writes them; the routine is routines::<source>To<destination>.
#define KORVEL_CONVERSION_ROUTINES(X) \
    X(UYVY, YUY2)                     \
    X(UYVY, YVYU)                     \
    X(UYVY, YV12)                     \
    X(UYVY, I420)                     \
    X(UYVY, Y41P)                     \
    X(UYVY, RGB32)                    \
    X(UYVY, RGB24)                    \
    X(UYVY, Y800)                     \
    X(UYVY, RGB8)                     \
    X(YUY2, UYVY)                     \
    X(YUY2, YVYU)                     \
    X(YUY2, YV12)                     \
    X(YUY2, I420)                     \
    X(YUY2, Y41P)                     \
    X(YUY2, RGB32)                    \
    X(YUY2, RGB24)                    \
    X(YUY2, Y800)                     \
    X(YUY2, RGB8)                     \
    X(YVYU, UYVY)                     \
    X(YVYU, YUY2)                     \
    X(YVYU, YV12)                     \
    X(YVYU, I420)                     \
    X(YVYU, Y41P)                     \
    X(YVYU, RGB32)                    \
    X(YVYU, RGB24)                    \
    X(YVYU, Y800)                     \
    X(YVYU, RGB8)                     \
    X(YV12, UYVY)                     \
    X(YV12, YUY2)                     \
    X(YV12, YVYU)                     \
    X(YV12, I420)                     \
    X(YV12, Y41P)                     \
    X(YV12, RGB32)                    \
    X(YV12, RGB24)                    \
    X(YV12, Y800)                     \
    X(YV12, RGB8)                     \
    X(I420, UYVY)                     \
    X(I420, YUY2)                     \
    X(I420, YVYU)                     \
    X(I420, YV12)                     \
    X(I420, Y41P)                     \
    X(I420, RGB32)                    \
    X(I420, RGB24)                    \
    X(I420, Y800)                     \
    X(I420, RGB8)                     \
    X(Y41P, UYVY)                     \
    X(Y41P, YUY2)                     \
    X(Y41P, YVYU)                     \
    X(Y41P, YV12)                     \
    X(Y41P, I420)                     \
    X(Y41P, RGB32)                    \
    X(Y41P, RGB24)                    \
    X(Y41P, Y800)                     \
    X(Y41P, RGB8)                     \
    X(RGB32, UYVY)                    \
    X(RGB32, YUY2)                    \
    X(RGB32, YVYU)                    \
    X(RGB32, YV12)                    \
    X(RGB32, I420)                    \
    X(RGB32, Y41P)                    \
    X(RGB32, RGB24)                   \
    X(RGB32, Y800)                    \
    X(RGB32, RGB8)                    \
    X(RGB24, UYVY)                    \
    X(RGB24, YUY2)                    \
    X(RGB24, YVYU)                    \
    X(RGB24, YV12)                    \
    X(RGB24, I420)                    \
    X(RGB24, Y41P)                    \
    X(RGB24, RGB32)                   \
    X(RGB24, Y800)                    \
    X(RGB24, RGB8)                    \
    X(Y800, UYVY)                     \
    X(Y800, YUY2)                     \
    X(Y800, YVYU)                     \
    X(Y800, YV12)                     \
    X(Y800, I420)                     \
    X(Y800, Y41P)                     \
    X(Y800, RGB32)                    \
    X(Y800, RGB24)                    \
    X(Y800, RGB8)                     \
    X(RGB8, UYVY)                     \
    X(RGB8, YUY2)                     \
    X(RGB8, YVYU)                     \
    X(RGB8, YV12)                     \
    X(RGB8, I420)                     \
    X(RGB8, Y41P)                     \
    X(RGB8, RGB32)                    \
    X(RGB8, RGB24)                    \
    X(RGB8, Y800)                     \
    X(BYBG, UYVY)                     \
    X(BYBG, YUY2)                     \
    X(BYBG, YVYU)                     \
    X(BYBG, YV12)                     \
    X(BYBG, I420)                     \
    X(BYBG, Y41P)                     \
    X(BYBG, RGB32)                    \
    X(BYBG, RGB24)                    \
    X(BYBG, Y800)                     \
    X(BYBG, RGB8)                     \
    X(BYGB, UYVY)                     \
    X(BYGB, YUY2)                     \
    X(BYGB, YVYU)                     \
    X(BYGB, YV12)                     \
    X(BYGB, I420)                     \
    X(BYGB, Y41P)                     \
    X(BYGB, RGB32)                    \
    X(BYGB, RGB24)                    \
    X(BYGB, Y800)                     \
    X(BYGB, RGB8)                     \
    X(BYRG, UYVY)                     \
    X(BYRG, YUY2)                     \
    X(BYRG, YVYU)                     \
    X(BYRG, YV12)                     \
    X(BYRG, I420)                     \
    X(BYRG, Y41P)                     \
    X(BYRG, RGB32)                    \
    X(BYRG, RGB24)                    \
    X(BYRG, Y800)                     \
    X(BYRG, RGB8)                     \
    X(BYGR, UYVY)                     \
    X(BYGR, YUY2)                     \
    X(BYGR, YVYU)                     \
    X(BYGR, YV12)                     \
    X(BYGR, I420)                     \
    X(BYGR, Y41P)                     \
    X(BYGR, RGB32)                    \
    X(BYGR, RGB24)                    \
    X(BYGR, Y800)                     \
    X(BYGR, RGB8)

namespace routines {

HRESULT CopyPacked(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                   int32_t destinationStride, int32_t width, int32_t height, ScratchBuffers* scratch);
HRESULT CopyPlanar(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                   int32_t destinationStride, int32_t width, int32_t height, ScratchBuffers* scratch);

#define KORVEL_DECLARE_ROUTINE(from, to)                                                    \
    HRESULT from##To##to(const uint8_t* source, int32_t sourceStride, uint8_t* destination, \
                         int32_t destinationStride, int32_t width, int32_t height, ScratchBuffers* scratch);
KORVEL_CONVERSION_ROUTINES(KORVEL_DECLARE_ROUTINE)
#undef KORVEL_DECLARE_ROUTINE

}  // namespace routines
