// Routines from the three-plane 4:2:0 families YV12 (Y, V, U) and I420 (I420,
// IYUV: Y, U, V). The 4:2:0 kernels convert the even part of an odd width.
#include <utility>

#include "conversion/RoutineDefinition.h"
#include "conversion/RoutineSupport.h"
#include "conversion/kernels/KernelTable.h"
#include "conversion/kernels/PortableKernels.h"

namespace routines {

using namespace support;
using kernels::ActiveKernelTable;

namespace {

struct SourcePlanes {
    const uint8_t* planes[3];
    int32_t strides[3];
};

SourcePlanes PlanesOf(const uint8_t* source, int32_t sourceStride, int32_t height, bool yv12) {
    const PlanarPlanes located = LocatePlanes(source, sourceStride, height, yv12);
    return SourcePlanes{{located.y, located.u, located.v},
                        {located.lumaStride, located.chromaStride, located.chromaStride}};
}

HRESULT ToPackedUYVY(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                     int32_t destinationStride, int32_t width, int32_t height, bool yv12) {
    const SourcePlanes in = PlanesOf(source, sourceStride, height, yv12);
    return FromKernel(ActiveKernelTable().Planar420ToUYVY(in.planes, in.strides, destination,
                                                          destinationStride, width, height));
}

HRESULT ToPackedYUY2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                     int32_t destinationStride, int32_t width, int32_t height, bool yv12) {
    const SourcePlanes in = PlanesOf(source, sourceStride, height, yv12);
    return FromKernel(ActiveKernelTable().Planar420ToYUY2(in.planes, in.strides, destination,
                                                          destinationStride, width, height));
}

// YVYU is YUY2 with U and V exchanged: the YUY2 kernel with the chroma planes
// passed the other way round, in one pass.
HRESULT ToYVYU(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
               int32_t width, int32_t height, bool yv12) {
    SourcePlanes in = PlanesOf(source, sourceStride, height, yv12);
    std::swap(in.planes[1], in.planes[2]);  // the two chroma strides are equal
    return FromKernel(ActiveKernelTable().Planar420ToYUY2(in.planes, in.strides, destination,
                                                          destinationStride, width, height));
}

// Through UYVY in strips of rows, each repacked while it is still in the
// cache; strips start on even rows, so each takes whole chroma rows.
HRESULT ToY41P(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
               int32_t width, int32_t height, ScratchBuffers* scratch, bool yv12) {
    const PackedStrip strip = ReservePackedStrip(scratch, width, height);
    if (strip.buffer == nullptr) {
        return E_OUTOFMEMORY;
    }
    const SourcePlanes in = PlanesOf(source, sourceStride, height, yv12);
    const kernels::KernelTable& table = ActiveKernelTable();
    return ForEachStrip(height, strip.rows, [&](int32_t firstRow, int32_t rows) {
        const uint8_t* const planes[3] = {kernels::RowAt(in.planes[0], in.strides[0], firstRow),
                                          kernels::RowAt(in.planes[1], in.strides[1], firstRow / 2),
                                          kernels::RowAt(in.planes[2], in.strides[2], firstRow / 2)};
        const HRESULT result =
            FromKernel(table.Planar420ToUYVY(planes, in.strides, strip.buffer, strip.stride, width, rows));
        if (SUCCEEDED(result)) {
            Packed422ToY41P(strip.buffer, strip.stride, kUYVYGroup,
                            kernels::RowAt(destination, destinationStride, firstRow), destinationStride,
                            width & ~1, rows);
        }
        return result;
    });
}

// The luma plane copied and the chroma planes copied each to its namesake,
// which exchanges their order between YV12 and I420.
HRESULT ExchangeChroma(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                       int32_t destinationStride, int32_t width, int32_t height, bool sourceYV12) {
    const kernels::KernelTable& table = ActiveKernelTable();
    const PlanarPlanes in = LocatePlanes(source, sourceStride, height, sourceYV12);
    const PlanarPlanes out = LocatePlanes(destination, destinationStride, height, !sourceYV12);
    if (table.CopyPlane8(in.y, in.lumaStride, out.y, out.lumaStride, width, height) < 0) {
        return E_FAIL;
    }
    if (width / 2 > 0) {
        table.CopyPlane8(in.u, in.chromaStride, out.u, out.chromaStride, width / 2, height / 2);
        table.CopyPlane8(in.v, in.chromaStride, out.v, out.chromaStride, width / 2, height / 2);
    }
    return S_OK;
}

HRESULT ToGrey(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
               int32_t width, int32_t height) {
    // The luma plane is the first in both plane orders.
    return FromKernel(
        ActiveKernelTable().CopyPlane8(source, sourceStride, destination, destinationStride, width, height));
}

HRESULT ToRGB24(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
                int32_t width, int32_t height, bool yv12) {
    const SourcePlanes in = PlanesOf(source, sourceStride, height, yv12);
    return FromKernel(ActiveKernelTable().Planar420ToBGR24(in.planes, in.strides, destination,
                                                           destinationStride, width, height));
}

HRESULT ToRGB32(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
                int32_t width, int32_t height, bool yv12) {
    const SourcePlanes in = PlanesOf(source, sourceStride, height, yv12);
    return FromKernel(ActiveKernelTable().Planar420ToBGRA32(in.planes, in.strides, destination,
                                                            destinationStride, width, height, 255));
}

}  // namespace

#define KORVEL_PLANAR_ROUTINES(Family, IsYV12)                                                               \
    KORVEL_ROUTINE(Family##ToUYVY) {                                                                         \
        (void)scratch;                                                                                       \
        return ToPackedUYVY(source, sourceStride, destination, destinationStride, width, height, IsYV12);    \
    }                                                                                                        \
    KORVEL_ROUTINE(Family##ToYUY2) {                                                                         \
        (void)scratch;                                                                                       \
        return ToPackedYUY2(source, sourceStride, destination, destinationStride, width, height, IsYV12);    \
    }                                                                                                        \
    KORVEL_ROUTINE(Family##ToYVYU) {                                                                         \
        (void)scratch;                                                                                       \
        return ToYVYU(source, sourceStride, destination, destinationStride, width, height, IsYV12);          \
    }                                                                                                        \
    KORVEL_ROUTINE(Family##ToY41P) {                                                                         \
        return ToY41P(source, sourceStride, destination, destinationStride, width, height, scratch, IsYV12); \
    }                                                                                                        \
    KORVEL_ROUTINE(Family##ToRGB32) {                                                                        \
        (void)scratch;                                                                                       \
        return ToRGB32(source, sourceStride, destination, destinationStride, width, height, IsYV12);         \
    }                                                                                                        \
    KORVEL_ROUTINE(Family##ToRGB24) {                                                                        \
        (void)scratch;                                                                                       \
        return ToRGB24(source, sourceStride, destination, destinationStride, width, height, IsYV12);         \
    }                                                                                                        \
    KORVEL_ROUTINE(Family##ToY800) {                                                                         \
        (void)scratch;                                                                                       \
        return ToGrey(source, sourceStride, destination, destinationStride, width, height);                  \
    }                                                                                                        \
    KORVEL_ROUTINE(Family##ToRGB8) {                                                                         \
        (void)scratch;                                                                                       \
        return ToGrey(source, sourceStride, destination, destinationStride, width, height);                  \
    }

KORVEL_PLANAR_ROUTINES(YV12, true)
KORVEL_PLANAR_ROUTINES(I420, false)

#undef KORVEL_PLANAR_ROUTINES

KORVEL_ROUTINE(YV12ToI420) {
    (void)scratch;
    return ExchangeChroma(source, sourceStride, destination, destinationStride, width, height, true);
}

KORVEL_ROUTINE(I420ToYV12) {
    (void)scratch;
    return ExchangeChroma(source, sourceStride, destination, destinationStride, width, height, false);
}

}  // namespace routines
