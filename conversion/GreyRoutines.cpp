// Routines from the grey families Y800 (Y800, Y8, GREY) and RGB8. An RGB8
// byte indexes the identity grey palette, so it is read as its grey level.
// They differ only into RGB32: Y800 carries the grey into alpha, RGB8 255.
#include "conversion/RoutineDefinition.h"
#include "conversion/RoutineSupport.h"
#include "conversion/kernels/KernelTable.h"
#include "conversion/kernels/PortableKernels.h"

namespace routines {

using namespace support;
using kernels::ActiveKernelTable;

namespace {

HRESULT ToPlanar(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
                 int32_t width, int32_t height, bool yv12) {
    const kernels::KernelTable& table = ActiveKernelTable();
    const PlanarPlanes planes = LocatePlanes(destination, destinationStride, height, yv12);
    if (table.CopyPlane8(source, sourceStride, planes.y, planes.lumaStride, width, height) < 0) {
        return E_FAIL;
    }
    if (width / 2 > 0) {
        table.FillPlane8(128, planes.u, planes.chromaStride, width / 2, height / 2);
        table.FillPlane8(128, planes.v, planes.chromaStride, width / 2, height / 2);
    }
    return S_OK;
}

HRESULT ToRGB24(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
                int32_t width, int32_t height) {
    return FromKernel(
        ActiveKernelTable().GreyToBGR24(source, sourceStride, destination, destinationStride, width, height));
}

HRESULT CopyGrey(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
                 int32_t width, int32_t height) {
    return FromKernel(
        ActiveKernelTable().CopyPlane8(source, sourceStride, destination, destinationStride, width, height));
}

}  // namespace

#define KORVEL_GREY_ROUTINES(Family)                                                                      \
    KORVEL_ROUTINE(Family##ToUYVY) {                                                                      \
        (void)scratch;                                                                                    \
        GreyToPacked422(source, sourceStride, destination, destinationStride, kUYVYGroup, width, height); \
        return S_OK;                                                                                      \
    }                                                                                                     \
    KORVEL_ROUTINE(Family##ToYUY2) {                                                                      \
        (void)scratch;                                                                                    \
        GreyToPacked422(source, sourceStride, destination, destinationStride, kYUY2Group, width, height); \
        return S_OK;                                                                                      \
    }                                                                                                     \
    KORVEL_ROUTINE(Family##ToYVYU) {                                                                      \
        (void)scratch;                                                                                    \
        GreyToPacked422(source, sourceStride, destination, destinationStride, kYVYUGroup, width, height); \
        return S_OK;                                                                                      \
    }                                                                                                     \
    KORVEL_ROUTINE(Family##ToY41P) {                                                                      \
        (void)scratch;                                                                                    \
        GreyToY41P(source, sourceStride, destination, destinationStride, width, height);                  \
        return S_OK;                                                                                      \
    }                                                                                                     \
    KORVEL_ROUTINE(Family##ToYV12) {                                                                      \
        (void)scratch;                                                                                    \
        return ToPlanar(source, sourceStride, destination, destinationStride, width, height, true);       \
    }                                                                                                     \
    KORVEL_ROUTINE(Family##ToI420) {                                                                      \
        (void)scratch;                                                                                    \
        return ToPlanar(source, sourceStride, destination, destinationStride, width, height, false);      \
    }                                                                                                     \
    KORVEL_ROUTINE(Family##ToRGB24) {                                                                     \
        (void)scratch;                                                                                    \
        return ToRGB24(source, sourceStride, destination, destinationStride, width, height);              \
    }

KORVEL_GREY_ROUTINES(Y800)
KORVEL_GREY_ROUTINES(RGB8)

#undef KORVEL_GREY_ROUTINES

KORVEL_ROUTINE(Y800ToRGB8) {
    (void)scratch;
    return CopyGrey(source, sourceStride, destination, destinationStride, width, height);
}

KORVEL_ROUTINE(RGB8ToY800) {
    (void)scratch;
    return CopyGrey(source, sourceStride, destination, destinationStride, width, height);
}

KORVEL_ROUTINE(Y800ToRGB32) {
    (void)scratch;
    return FromKernel(ActiveKernelTable().GreyToBGRA32(source, sourceStride, destination, destinationStride,
                                                       width, height, kernels::kGreyAlpha));
}

KORVEL_ROUTINE(RGB8ToRGB32) {
    (void)scratch;
    return FromKernel(ActiveKernelTable().GreyToBGRA32(source, sourceStride, destination, destinationStride,
                                                       width, height, 255));
}

}  // namespace routines
