// Routines from the four Bayer families (BYBG with ORBY, BYGB, BYRG, BYGR). To
// RGB24 and RGB32 (alpha 255) the mosaic is demosaiced straight into the
// destination, and to the greys (Y800, RGB8) straight into each pixel's grey.
// To anything else it is demosaiced in strips of rows into the RGB scratch
// slot (3-byte pixels, rows of 4 x width bytes) and the RGB24 routine for that
// destination converts each strip while it is still in the cache. Every destination row
// depends only on its own demosaiced row (4:2:0: on its row pair), so the
// strips give the bytes a whole-picture pass would.
#include "conversion/BayerDemosaic.h"
#include "conversion/RoutineDefinition.h"
#include "conversion/RoutineSupport.h"
#include "conversion/kernels/KernelTable.h"
#include "conversion/kernels/PortableKernels.h"

namespace routines {

namespace {

using kernels::RowAt;
using support::FromKernel;

// The strip scratch: rowCount rows of 4 x width bytes in the RGB slot.
uint8_t* ReserveStrip(ScratchBuffers* scratch, int32_t width, int32_t rowCount, int32_t* stride) {
    const int64_t rowBytes = 4 * static_cast<int64_t>(width);
    *stride = static_cast<int32_t>(rowBytes);
    return support::ReserveScratch(scratch, ScratchBuffers::kRgbSlot, rowBytes, rowCount);
}

// Packed destinations: each strip through the RGB24 routine. The first strip
// is the tallest, so a refusal or a failed reservation comes before anything
// is written.
template <BayerPhase Phase, ConversionRoutine FromRGB24>
HRESULT InStrips(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
                 int32_t width, int32_t height, ScratchBuffers* scratch) {
    const int32_t fullStrip = support::StripRows(4 * static_cast<int64_t>(width));
    const int32_t stripRows = height < fullStrip ? height : fullStrip;
    int32_t stride = 0;
    uint8_t* strip = ReserveStrip(scratch, width, stripRows, &stride);
    if (strip == nullptr) {
        return E_OUTOFMEMORY;
    }
    for (int32_t firstRow = 0; firstRow < height; firstRow += stripRows) {
        const int32_t rows = height - firstRow < stripRows ? height - firstRow : stripRows;
        HRESULT result =
            DemosaicBayerRows(source, sourceStride, strip, stride, width, height, Phase, firstRow, rows);
        if (SUCCEEDED(result)) {
            result = FromRGB24(strip, stride, RowAt(destination, destinationStride, firstRow),
                               destinationStride, width, rows, scratch);
        }
        if (FAILED(result)) {
            return result;
        }
    }
    return S_OK;
}

// 4:2:0 destinations: the planes are located once for the whole picture and
// each strip of row pairs (ForEachStrip) goes to the RGB24 to 4:2:0 kernel.
template <BayerPhase Phase>
HRESULT InStripsToPlanar(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t width, int32_t height, ScratchBuffers* scratch,
                         bool yv12) {
    const int32_t stripRows = support::StripRows(4 * static_cast<int64_t>(width));
    const int64_t rowBytes = 4 * static_cast<int64_t>(width);
    uint8_t* const strip =
        support::ReserveStripScratch(scratch, ScratchBuffers::kRgbSlot, rowBytes, stripRows, height);
    if (strip == nullptr) {
        return E_OUTOFMEMORY;
    }
    const int32_t stride = static_cast<int32_t>(rowBytes);
    // The kernel's YV12 entry takes the planes in memory order Y, V, U.
    const support::PlanarPlanes planes = support::LocatePlanes(destination, destinationStride, height, yv12);
    uint8_t* const first = planes.y;
    uint8_t* const second = yv12 ? planes.v : planes.u;
    uint8_t* const third = yv12 ? planes.u : planes.v;
    const int32_t strides[3] = {planes.lumaStride, planes.chromaStride, planes.chromaStride};
    const kernels::KernelTable& table = kernels::ActiveKernelTable();
    return support::ForEachStrip(height, stripRows, [&](int32_t firstRow, int32_t rows) {
        const HRESULT result =
            DemosaicBayerRows(source, sourceStride, strip, stride, width, height, Phase, firstRow, rows);
        if (FAILED(result)) {
            return result;
        }
        uint8_t* const targets[3] = {RowAt(first, strides[0], firstRow),
                                     RowAt(second, strides[1], firstRow / 2),
                                     RowAt(third, strides[2], firstRow / 2)};
        return FromKernel(yv12 ? table.BGR24ToPlanar420YV12(strip, stride, targets, strides, width, rows)
                               : table.BGR24ToPlanar420I420(strip, stride, targets, strides, width, rows));
    });
}

}  // namespace

#define KORVEL_BAYER_STRIP_ROUTINE(Family, Phase, Target)                                                    \
    KORVEL_ROUTINE(Family##To##Target) {                                                                     \
        return InStrips<Phase, RGB24To##Target>(source, sourceStride, destination, destinationStride, width, \
                                                height, scratch);                                            \
    }

#define KORVEL_BAYER_ROUTINES(Family, Phase)                                                                 \
    KORVEL_ROUTINE(Family##ToRGB24) {                                                                        \
        (void)scratch;                                                                                       \
        return DemosaicBayerRows(source, sourceStride, destination, destinationStride, width, height, Phase, \
                                 0, height);                                                                 \
    }                                                                                                        \
    KORVEL_ROUTINE(Family##ToRGB32) {                                                                        \
        (void)scratch;                                                                                       \
        return DemosaicBayerBGRA(source, sourceStride, destination, destinationStride, width, height, Phase, \
                                 255);                                                                       \
    }                                                                                                        \
    KORVEL_ROUTINE(Family##ToYV12) {                                                                         \
        return InStripsToPlanar<Phase>(source, sourceStride, destination, destinationStride, width, height,  \
                                       scratch, true);                                                       \
    }                                                                                                        \
    KORVEL_ROUTINE(Family##ToI420) {                                                                         \
        return InStripsToPlanar<Phase>(source, sourceStride, destination, destinationStride, width, height,  \
                                       scratch, false);                                                      \
    }                                                                                                        \
    KORVEL_BAYER_STRIP_ROUTINE(Family, Phase, UYVY)                                                          \
    KORVEL_BAYER_STRIP_ROUTINE(Family, Phase, YUY2)                                                          \
    KORVEL_BAYER_STRIP_ROUTINE(Family, Phase, YVYU)                                                          \
    KORVEL_BAYER_STRIP_ROUTINE(Family, Phase, Y41P)                                                          \
    KORVEL_ROUTINE(Family##ToY800) {                                                                         \
        (void)scratch;                                                                                       \
        return DemosaicBayerGrey(source, sourceStride, destination, destinationStride, width, height, Phase);  \
    }                                                                                                        \
    KORVEL_ROUTINE(Family##ToRGB8) {                                                                         \
        (void)scratch;                                                                                       \
        return DemosaicBayerGrey(source, sourceStride, destination, destinationStride, width, height, Phase);  \
    }

KORVEL_BAYER_ROUTINES(BYBG, BayerPhase::BlueGreenGreenRed)
KORVEL_BAYER_ROUTINES(BYGB, BayerPhase::GreenBlueRedGreen)
KORVEL_BAYER_ROUTINES(BYRG, BayerPhase::RedGreenGreenBlue)
KORVEL_BAYER_ROUTINES(BYGR, BayerPhase::GreenRedBlueGreen)

#undef KORVEL_BAYER_ROUTINES
#undef KORVEL_BAYER_STRIP_ROUTINE

}  // namespace routines
