// Routines from Y41P (packed 4:1:1, 12 bytes per 8 pixels). Every step works
// on whole groups of 8 pixels, so the remainder of a row is left unwritten and
// a picture narrower than one group converts nothing.
#include "conversion/RoutineDefinition.h"
#include "conversion/RoutineSupport.h"
#include "conversion/kernels/KernelTable.h"
#include "conversion/kernels/PortableKernels.h"

namespace routines {

using namespace support;
using kernels::ActiveKernelTable;

namespace {

int32_t GroupWidth(int32_t width) {
    return width / 8 * 8;
}

// Through UYVY in strips of rows, each converted to the planes while it is
// still in the cache.
HRESULT ToPlanar(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
                 int32_t width, int32_t height, ScratchBuffers* scratch, bool yv12) {
    const int32_t groupWidth = GroupWidth(width);
    if (groupWidth == 0) {
        return S_OK;
    }
    const PackedStrip strip = ReservePackedStrip(scratch, width, height);
    if (strip.buffer == nullptr) {
        return E_OUTOFMEMORY;
    }
    const PlanarPlanes planes = LocatePlanes(destination, destinationStride, height, yv12);
    const int32_t strides[3] = {planes.lumaStride, planes.chromaStride, planes.chromaStride};
    const kernels::KernelTable& table = ActiveKernelTable();
    return ForEachStrip(height, strip.rows, [&](int32_t firstRow, int32_t rows) {
        Y41PToPacked422(kernels::RowAt(source, sourceStride, firstRow), sourceStride, strip.buffer,
                        strip.stride, kUYVYGroup, width, rows);
        uint8_t* const targets[3] = {kernels::RowAt(planes.y, strides[0], firstRow),
                                     kernels::RowAt(planes.u, strides[1], firstRow / 2),
                                     kernels::RowAt(planes.v, strides[2], firstRow / 2)};
        return FromKernel(
            table.UYVYToPlanar420(strip.buffer, strip.stride, targets, strides, groupWidth, rows));
    });
}

HRESULT ToRGB(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
              int32_t width, int32_t height, bool withAlpha) {
    const int32_t groups = width / 8;
    if (groups == 0) {
        return S_OK;
    }
    const kernels::KernelTable& table = ActiveKernelTable();
    return FromKernel(
        withAlpha
            ? table.Y41PToBGRA32(source, sourceStride, destination, destinationStride, groups, height, 255)
            : table.Y41PToBGR24(source, sourceStride, destination, destinationStride, groups, height));
}

}  // namespace

KORVEL_ROUTINE(Y41PToUYVY) {
    (void)scratch;
    Y41PToPacked422(source, sourceStride, destination, destinationStride, kUYVYGroup, width, height);
    return S_OK;
}

KORVEL_ROUTINE(Y41PToYUY2) {
    (void)scratch;
    Y41PToPacked422(source, sourceStride, destination, destinationStride, kYUY2Group, width, height);
    return S_OK;
}

KORVEL_ROUTINE(Y41PToYVYU) {
    (void)scratch;
    Y41PToPacked422(source, sourceStride, destination, destinationStride, kYVYUGroup, width, height);
    return S_OK;
}

KORVEL_ROUTINE(Y41PToYV12) {
    return ToPlanar(source, sourceStride, destination, destinationStride, width, height, scratch, true);
}

KORVEL_ROUTINE(Y41PToI420) {
    return ToPlanar(source, sourceStride, destination, destinationStride, width, height, scratch, false);
}

KORVEL_ROUTINE(Y41PToRGB32) {
    (void)scratch;
    return ToRGB(source, sourceStride, destination, destinationStride, width, height, true);
}

KORVEL_ROUTINE(Y41PToRGB24) {
    (void)scratch;
    return ToRGB(source, sourceStride, destination, destinationStride, width, height, false);
}

KORVEL_ROUTINE(Y41PToY800) {
    (void)scratch;
    Y41PToGrey(source, sourceStride, destination, destinationStride, width, height);
    return S_OK;
}

KORVEL_ROUTINE(Y41PToRGB8) {
    (void)scratch;
    Y41PToGrey(source, sourceStride, destination, destinationStride, width, height);
    return S_OK;
}

}  // namespace routines
