// Routines from the four Bayer families (BYBG with ORBY, BYGB, BYRG, BYGR). To
// RGB24 the mosaic is demosaiced straight into the destination; to anything
// else it is demosaiced into the RGB scratch slot (3-byte pixels, rows of
// 4 x width bytes) and the RGB24 routine for that destination takes over.
#include "conversion/BayerDemosaic.h"
#include "conversion/RoutineDefinition.h"
#include "conversion/RoutineSupport.h"

namespace routines {

namespace {

template <BayerPhase Phase, ConversionRoutine FromRGB24>
HRESULT ThroughRGB24(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                     int32_t destinationStride, int32_t width, int32_t height, ScratchBuffers* scratch) {
    const int64_t rowBytes = 4 * static_cast<int64_t>(width);
    uint8_t* bgr = support::ReserveScratch(scratch, ScratchBuffers::kRgbSlot, rowBytes, height);
    if (bgr == nullptr) {
        return E_OUTOFMEMORY;
    }
    const int32_t stride = static_cast<int32_t>(rowBytes);
    DemosaicBayer(source, sourceStride, bgr, stride, width, height, Phase);
    return FromRGB24(bgr, stride, destination, destinationStride, width, height, scratch);
}

}  // namespace

#define KORVEL_BAYER_ROUTINES(Family, Phase)                                                                 \
    KORVEL_ROUTINE(Family##ToRGB24) {                                                                        \
        (void)scratch;                                                                                       \
        DemosaicBayer(source, sourceStride, destination, destinationStride, width, height, Phase);           \
        return S_OK;                                                                                         \
    }                                                                                                        \
    KORVEL_ROUTINE(Family##ToUYVY) {                                                                         \
        return ThroughRGB24<Phase, RGB24ToUYVY>(source, sourceStride, destination, destinationStride, width, \
                                                height, scratch);                                            \
    }                                                                                                        \
    KORVEL_ROUTINE(Family##ToYUY2) {                                                                         \
        return ThroughRGB24<Phase, RGB24ToYUY2>(source, sourceStride, destination, destinationStride, width, \
                                                height, scratch);                                            \
    }                                                                                                        \
    KORVEL_ROUTINE(Family##ToYVYU) {                                                                         \
        return ThroughRGB24<Phase, RGB24ToYVYU>(source, sourceStride, destination, destinationStride, width, \
                                                height, scratch);                                            \
    }                                                                                                        \
    KORVEL_ROUTINE(Family##ToYV12) {                                                                         \
        return ThroughRGB24<Phase, RGB24ToYV12>(source, sourceStride, destination, destinationStride, width, \
                                                height, scratch);                                            \
    }                                                                                                        \
    KORVEL_ROUTINE(Family##ToI420) {                                                                         \
        return ThroughRGB24<Phase, RGB24ToI420>(source, sourceStride, destination, destinationStride, width, \
                                                height, scratch);                                            \
    }                                                                                                        \
    KORVEL_ROUTINE(Family##ToY41P) {                                                                         \
        return ThroughRGB24<Phase, RGB24ToY41P>(source, sourceStride, destination, destinationStride, width, \
                                                height, scratch);                                            \
    }                                                                                                        \
    KORVEL_ROUTINE(Family##ToRGB32) {                                                                        \
        return ThroughRGB24<Phase, RGB24ToRGB32>(source, sourceStride, destination, destinationStride,       \
                                                 width, height, scratch);                                    \
    }                                                                                                        \
    KORVEL_ROUTINE(Family##ToY800) {                                                                         \
        return ThroughRGB24<Phase, RGB24ToY800>(source, sourceStride, destination, destinationStride, width, \
                                                height, scratch);                                            \
    }                                                                                                        \
    KORVEL_ROUTINE(Family##ToRGB8) {                                                                         \
        return ThroughRGB24<Phase, RGB24ToRGB8>(source, sourceStride, destination, destinationStride, width, \
                                                height, scratch);                                            \
    }

KORVEL_BAYER_ROUTINES(BYBG, BayerPhase::BlueGreenGreenRed)
KORVEL_BAYER_ROUTINES(BYGB, BayerPhase::GreenBlueRedGreen)
KORVEL_BAYER_ROUTINES(BYRG, BayerPhase::RedGreenGreenBlue)
KORVEL_BAYER_ROUTINES(BYGR, BayerPhase::GreenRedBlueGreen)

#undef KORVEL_BAYER_ROUTINES

}  // namespace routines
