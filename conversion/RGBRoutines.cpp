// Routines from the RGB families: RGB32 (RGB32, ARGB32: B, G, R, A) and RGB24
// (B, G, R). One template serves both pixel sizes; the alpha byte is ignored.
#include "conversion/RoutineDefinition.h"
#include "conversion/RoutineSupport.h"
#include "conversion/kernels/KernelTable.h"
#include "conversion/kernels/PortableKernels.h"

namespace routines {

using namespace support;
using kernels::ActiveKernelTable;
using kernels::RowAt;

namespace {

template <int BytesPerPixel>
int32_t ToYUY2Kernel(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                     int32_t destinationStride, int32_t width, int32_t height) {
    const kernels::KernelTable& table = ActiveKernelTable();
    return BytesPerPixel == 3
               ? table.BGR24ToYUY2(source, sourceStride, destination, destinationStride, width, height)
               : table.BGRA32ToYUY2(source, sourceStride, destination, destinationStride, width, height);
}

template <int BytesPerPixel>
HRESULT ToYUY2(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
               int32_t width, int32_t height, ScratchBuffers*) {
    return FromKernel(
        ToYUY2Kernel<BytesPerPixel>(source, sourceStride, destination, destinationStride, width, height));
}

// UYVY and YVYU in one pass: the YUY2 kernel's groups rearranged as stored.
template <int BytesPerPixel>
HRESULT ToOrdered422(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                     int32_t destinationStride, int32_t width, int32_t height, GroupOrder to) {
    uint8_t order[4];
    GroupPermutation(kYUY2Group, to, order);
    const kernels::KernelTable& table = ActiveKernelTable();
    return FromKernel(BytesPerPixel == 3 ? table.BGR24ToPacked422(source, sourceStride, destination,
                                                                  destinationStride, width, height, order)
                                         : table.BGRA32ToPacked422(source, sourceStride, destination,
                                                                   destinationStride, width, height, order));
}

template <int BytesPerPixel>
HRESULT ToUYVY(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
               int32_t width, int32_t height, ScratchBuffers*) {
    return ToOrdered422<BytesPerPixel>(source, sourceStride, destination, destinationStride, width, height,
                                       kUYVYGroup);
}

template <int BytesPerPixel>
HRESULT ToYVYU(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
               int32_t width, int32_t height, ScratchBuffers*) {
    return ToOrdered422<BytesPerPixel>(source, sourceStride, destination, destinationStride, width, height,
                                       kYVYUGroup);
}

// Whole groups of 8 pixels; the remainder of a row is left unwritten.
template <int BytesPerPixel>
HRESULT ToY41P(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
               int32_t width, int32_t height, ScratchBuffers*) {
    const int32_t groups = width / 8;
    if (groups == 0) {
        return S_OK;
    }
    const kernels::KernelTable& table = ActiveKernelTable();
    return FromKernel(
        BytesPerPixel == 3
            ? table.BGR24ToY41P(source, sourceStride, destination, destinationStride, groups, height)
            : table.BGRA32ToY41P(source, sourceStride, destination, destinationStride, groups, height));
}

template <int BytesPerPixel>
HRESULT ToPlanar(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
                 int32_t width, int32_t height, bool yv12) {
    // The kernel's YV12 entry takes the planes in memory order Y, V, U.
    const PlanarPlanes planes = LocatePlanes(destination, destinationStride, height, yv12);
    uint8_t* const targets[3] = {planes.y, yv12 ? planes.v : planes.u, yv12 ? planes.u : planes.v};
    const int32_t strides[3] = {planes.lumaStride, planes.chromaStride, planes.chromaStride};
    const kernels::KernelTable& table = ActiveKernelTable();
    int32_t status;
    if (BytesPerPixel == 3) {
        status = yv12 ? table.BGR24ToPlanar420YV12(source, sourceStride, targets, strides, width, height)
                      : table.BGR24ToPlanar420I420(source, sourceStride, targets, strides, width, height);
    } else {
        status = yv12 ? table.BGRA32ToPlanar420YV12(source, sourceStride, targets, strides, width, height)
                      : table.BGRA32ToPlanar420I420(source, sourceStride, targets, strides, width, height);
    }
    return FromKernel(status);
}

template <int BytesPerPixel>
HRESULT ToGrey(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
               int32_t width, int32_t height) {
    const kernels::KernelTable& table = ActiveKernelTable();
    return FromKernel(
        BytesPerPixel == 3
            ? table.BGR24ToGrey(source, sourceStride, destination, destinationStride, width, height)
            : table.BGRA32ToGrey(source, sourceStride, destination, destinationStride, width, height));
}

}  // namespace

#define KORVEL_RGB_ROUTINES(Family, Bytes)                                                                  \
    KORVEL_ROUTINE(Family##ToUYVY) {                                                                        \
        return ToUYVY<Bytes>(source, sourceStride, destination, destinationStride, width, height, scratch); \
    }                                                                                                       \
    KORVEL_ROUTINE(Family##ToYUY2) {                                                                        \
        return ToYUY2<Bytes>(source, sourceStride, destination, destinationStride, width, height, scratch); \
    }                                                                                                       \
    KORVEL_ROUTINE(Family##ToYVYU) {                                                                        \
        return ToYVYU<Bytes>(source, sourceStride, destination, destinationStride, width, height, scratch); \
    }                                                                                                       \
    KORVEL_ROUTINE(Family##ToY41P) {                                                                        \
        return ToY41P<Bytes>(source, sourceStride, destination, destinationStride, width, height, scratch); \
    }                                                                                                       \
    KORVEL_ROUTINE(Family##ToYV12) {                                                                        \
        (void)scratch;                                                                                      \
        return ToPlanar<Bytes>(source, sourceStride, destination, destinationStride, width, height, true);  \
    }                                                                                                       \
    KORVEL_ROUTINE(Family##ToI420) {                                                                        \
        (void)scratch;                                                                                      \
        return ToPlanar<Bytes>(source, sourceStride, destination, destinationStride, width, height, false); \
    }                                                                                                       \
    KORVEL_ROUTINE(Family##ToY800) {                                                                        \
        (void)scratch;                                                                                      \
        return ToGrey<Bytes>(source, sourceStride, destination, destinationStride, width, height);          \
    }                                                                                                       \
    KORVEL_ROUTINE(Family##ToRGB8) {                                                                        \
        (void)scratch;                                                                                      \
        return ToGrey<Bytes>(source, sourceStride, destination, destinationStride, width, height);          \
    }

KORVEL_RGB_ROUTINES(RGB32, 4)
KORVEL_RGB_ROUTINES(RGB24, 3)

#undef KORVEL_RGB_ROUTINES

KORVEL_ROUTINE(RGB32ToRGB24) {
    (void)scratch;
    return FromKernel(kernels::ActiveKernelTable().BGRA32ToBGR24(source, sourceStride, destination,
                                                                 destinationStride, width, height));
}

KORVEL_ROUTINE(RGB24ToRGB32) {
    (void)scratch;
    return FromKernel(kernels::ActiveKernelTable().BGR24ToBGRA32(source, sourceStride, destination,
                                                                 destinationStride, width, height, 255));
}

}  // namespace routines
