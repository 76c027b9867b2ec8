// Routines from the packed 4:2:2 families: UYVY (UYVY, UYNV, Y422), YUY2 (YUY2,
// YUYV, YUNV) and YVYU.
#include "conversion/RoutineDefinition.h"
#include "conversion/RoutineSupport.h"
#include "conversion/kernels/KernelTable.h"
#include "conversion/kernels/PortableKernels.h"

namespace routines {

using namespace support;
using kernels::ActiveKernelTable;

namespace {

// 4:2:2 into the 4:2:0 planes of a YV12 or I420 destination.
HRESULT UYVYOrderToPlanar(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height, bool yv12) {
    const PlanarPlanes planes = LocatePlanes(destination, destinationStride, height, yv12);
    uint8_t* const targets[3] = {planes.y, planes.u, planes.v};
    const int32_t strides[3] = {planes.lumaStride, planes.chromaStride, planes.chromaStride};
    return FromKernel(
        ActiveKernelTable().UYVYToPlanar420(source, sourceStride, targets, strides, width, height));
}

// YUY2 order, or with vFirst YVYU (YUY2 with U and V exchanged), into the
// 4:2:0 planes: YVYU's V bytes go where YUY2's U bytes go.
HRESULT YUY2OrderToPlanar(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height, bool yv12,
                          bool vFirst = false) {
    const PlanarPlanes planes = LocatePlanes(destination, destinationStride, height, yv12);
    uint8_t* const targets[3] = {planes.y, vFirst ? planes.v : planes.u, vFirst ? planes.u : planes.v};
    const int32_t strides[3] = {planes.lumaStride, planes.chromaStride, planes.chromaStride};
    return FromKernel(
        ActiveKernelTable().YUY2ToPlanar420(source, sourceStride, targets, strides, width, height));
}

}  // namespace

// ---- UYVY ----

KORVEL_ROUTINE(UYVYToYUY2) {
    (void)scratch;
    Reorder422(source, sourceStride, kUYVYGroup, destination, destinationStride, kYUY2Group, width, height);
    return S_OK;
}

KORVEL_ROUTINE(UYVYToYVYU) {
    (void)scratch;
    Reorder422(source, sourceStride, kUYVYGroup, destination, destinationStride, kYVYUGroup, width, height);
    return S_OK;
}

KORVEL_ROUTINE(UYVYToYV12) {
    (void)scratch;
    return UYVYOrderToPlanar(source, sourceStride, destination, destinationStride, width, height, true);
}

KORVEL_ROUTINE(UYVYToI420) {
    (void)scratch;
    return UYVYOrderToPlanar(source, sourceStride, destination, destinationStride, width, height, false);
}

KORVEL_ROUTINE(UYVYToY41P) {
    (void)scratch;
    Packed422ToY41P(source, sourceStride, kUYVYGroup, destination, destinationStride, width, height);
    return S_OK;
}

KORVEL_ROUTINE(UYVYToRGB32) {
    (void)scratch;
    return FromKernel(ActiveKernelTable().UYVYToBGRA32(source, sourceStride, destination, destinationStride,
                                                       width, height, 255));
}

KORVEL_ROUTINE(UYVYToRGB24) {
    (void)scratch;
    return FromKernel(
        ActiveKernelTable().UYVYToBGR24(source, sourceStride, destination, destinationStride, width, height));
}

KORVEL_ROUTINE(UYVYToY800) {
    (void)scratch;
    return FromKernel(ActiveKernelTable().Packed422ToGrey(
        source, sourceStride, destination, destinationStride, width, height, kUYVYGroup.firstLuma));
}

KORVEL_ROUTINE(UYVYToRGB8) {
    return UYVYToY800(source, sourceStride, destination, destinationStride, width, height, scratch);
}

// ---- YUY2 ----

KORVEL_ROUTINE(YUY2ToUYVY) {
    (void)scratch;
    return FromKernel(ActiveKernelTable().SwapBytePairs(source, sourceStride, destination, destinationStride,
                                                        width, height));
}

KORVEL_ROUTINE(YUY2ToYVYU) {
    (void)scratch;
    Reorder422(source, sourceStride, kYUY2Group, destination, destinationStride, kYVYUGroup, width, height);
    return S_OK;
}

KORVEL_ROUTINE(YUY2ToYV12) {
    (void)scratch;
    return YUY2OrderToPlanar(source, sourceStride, destination, destinationStride, width, height, true);
}

KORVEL_ROUTINE(YUY2ToI420) {
    (void)scratch;
    return YUY2OrderToPlanar(source, sourceStride, destination, destinationStride, width, height, false);
}

KORVEL_ROUTINE(YUY2ToY41P) {
    (void)scratch;
    Packed422ToY41P(source, sourceStride, kYUY2Group, destination, destinationStride, width, height);
    return S_OK;
}

KORVEL_ROUTINE(YUY2ToRGB32) {
    (void)scratch;
    return FromKernel(ActiveKernelTable().YUY2ToBGRA32(source, sourceStride, destination, destinationStride,
                                                       width, height, 255));
}

KORVEL_ROUTINE(YUY2ToRGB24) {
    (void)scratch;
    return FromKernel(
        ActiveKernelTable().YUY2ToBGR24(source, sourceStride, destination, destinationStride, width, height));
}

KORVEL_ROUTINE(YUY2ToY800) {
    (void)scratch;
    return FromKernel(ActiveKernelTable().Packed422ToGrey(
        source, sourceStride, destination, destinationStride, width, height, kYUY2Group.firstLuma));
}

KORVEL_ROUTINE(YUY2ToRGB8) {
    return YUY2ToY800(source, sourceStride, destination, destinationStride, width, height, scratch);
}

// ---- YVYU ----

KORVEL_ROUTINE(YVYUToUYVY) {
    (void)scratch;
    Reorder422(source, sourceStride, kYVYUGroup, destination, destinationStride, kUYVYGroup, width, height);
    return S_OK;
}

KORVEL_ROUTINE(YVYUToYUY2) {
    (void)scratch;
    Reorder422(source, sourceStride, kYVYUGroup, destination, destinationStride, kYUY2Group, width, height);
    return S_OK;
}

KORVEL_ROUTINE(YVYUToYV12) {
    (void)scratch;
    return YUY2OrderToPlanar(source, sourceStride, destination, destinationStride, width, height, true, true);
}

KORVEL_ROUTINE(YVYUToI420) {
    (void)scratch;
    return YUY2OrderToPlanar(source, sourceStride, destination, destinationStride, width, height, false,
                             true);
}

KORVEL_ROUTINE(YVYUToY41P) {
    (void)scratch;
    Packed422ToY41P(source, sourceStride, kYVYUGroup, destination, destinationStride, width, height);
    return S_OK;
}

KORVEL_ROUTINE(YVYUToRGB32) {
    (void)scratch;
    return FromKernel(ActiveKernelTable().YVYUToBGRA32(source, sourceStride, destination, destinationStride,
                                                       width, height, 255));
}

KORVEL_ROUTINE(YVYUToRGB24) {
    (void)scratch;
    return FromKernel(
        ActiveKernelTable().YVYUToBGR24(source, sourceStride, destination, destinationStride, width, height));
}

KORVEL_ROUTINE(YVYUToY800) {
    (void)scratch;
    return FromKernel(ActiveKernelTable().Packed422ToGrey(
        source, sourceStride, destination, destinationStride, width, height, kYVYUGroup.firstLuma));
}

KORVEL_ROUTINE(YVYUToRGB8) {
    return YVYUToY800(source, sourceStride, destination, destinationStride, width, height, scratch);
}

}  // namespace routines
