// Routines from the three-plane 4:2:0 families YV12 (Y, V, U) and I420 (I420,
// IYUV: Y, U, V). The 4:2:0 kernels convert the even part of an odd width.
#include "conversion/RoutineDefinition.h"
#include "conversion/RoutineSupport.h"
#include "conversion/kernels/KernelTable.h"

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

// Into UYVY in the packed scratch slot; the even part of the width is valid.
uint8_t* ToUYVYScratch(const uint8_t* source, int32_t sourceStride, int32_t width, int32_t height, bool yv12,
                       ScratchBuffers* scratch, int32_t* scratchStride, HRESULT* result) {
    const int64_t rowBytes = PackedRowBytes(width);
    uint8_t* buffer = ReserveScratch(scratch, ScratchBuffers::kPackedSlot, rowBytes, height);
    if (buffer == nullptr) {
        *result = E_OUTOFMEMORY;
        return nullptr;
    }
    *scratchStride = static_cast<int32_t>(rowBytes);
    *result = ToPackedUYVY(source, sourceStride, buffer, *scratchStride, width, height, yv12);
    return FAILED(*result) ? nullptr : buffer;
}

HRESULT ToYVYU(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
               int32_t width, int32_t height, ScratchBuffers* scratch, bool yv12) {
    int32_t stride = 0;
    HRESULT result = S_OK;
    const uint8_t* uyvy = ToUYVYScratch(source, sourceStride, width, height, yv12, scratch, &stride, &result);
    if (uyvy == nullptr) {
        return result;
    }
    Reorder422(uyvy, stride, kUYVYGroup, destination, destinationStride, kYVYUGroup, width & ~1, height);
    return S_OK;
}

HRESULT ToY41P(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
               int32_t width, int32_t height, ScratchBuffers* scratch, bool yv12) {
    int32_t stride = 0;
    HRESULT result = S_OK;
    const uint8_t* uyvy = ToUYVYScratch(source, sourceStride, width, height, yv12, scratch, &stride, &result);
    if (uyvy == nullptr) {
        return result;
    }
    Packed422ToY41P(uyvy, stride, kUYVYGroup, destination, destinationStride, width & ~1, height);
    return S_OK;
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
        return ToYVYU(source, sourceStride, destination, destinationStride, width, height, scratch, IsYV12); \
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
