// The two same-family copies.
#include <cstdlib>

#include "conversion/RoutineDefinition.h"
#include "conversion/RoutineSupport.h"
#include "conversion/kernels/KernelTable.h"

namespace routines {

using namespace support;
using kernels::ActiveKernelTable;

KORVEL_ROUTINE(CopyPacked) {
    (void)scratch;
    (void)width;
    // Whole strides: the rows' padding travels with them. Both strides hold at
    // least one row of the format, so the shorter of the two is safe to copy.
    const int32_t sourceBytes = sourceStride < 0 ? -sourceStride : sourceStride;
    const int32_t destinationBytes = destinationStride < 0 ? -destinationStride : destinationStride;
    const int32_t rowBytes = destinationBytes < sourceBytes ? destinationBytes : sourceBytes;
    const int32_t status = ActiveKernelTable().CopyPlane8(source, sourceStride, destination,
                                                          destinationStride, rowBytes, height);
    return FromKernel(status);
}

KORVEL_ROUTINE(CopyPlanar) {
    (void)scratch;
    // Same family, so the logical planes are also in the same memory order.
    const kernels::KernelTable& table = ActiveKernelTable();
    const PlanarPlanes in = LocatePlanes(source, sourceStride, height, false);
    const PlanarPlanes out = LocatePlanes(destination, destinationStride, height, false);
    if (table.CopyPlane8(in.y, in.lumaStride, out.y, out.lumaStride, width, height) < 0) {
        return E_FAIL;
    }
    if (width / 2 > 0) {
        table.CopyPlane8(in.u, in.chromaStride, out.u, out.chromaStride, width / 2, height / 2);
        table.CopyPlane8(in.v, in.chromaStride, out.v, out.chromaStride, width / 2, height / 2);
    }
    return S_OK;
}

}  // namespace routines
