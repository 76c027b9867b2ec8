// The two same-family copies.
#include <cstdlib>

#include "conversion/RoutineDefinition.h"
#include "conversion/RoutineSupport.h"
#include "conversion/kernels/KernelTable.h"

namespace routines {

using namespace support;
using kernels::ActiveKernelTable;

namespace {

// A same-family copy is how a pin hands a camera frame to its delivery
// thread. A picture larger than a core's own caches is copied with streaming
// stores: the thread that reads it next may run on another core, so the copy
// neither reads the frame buffer's old contents into this core's cache nor
// evicts what the cache holds. (Measured in the pipeline at 1920 x 1080: the
// CPU of the threads that make the two copies fell by about a third.)
constexpr int64_t kStreamingCopyBytes = int64_t(1) << 20;

decltype(kernels::KernelTable::CopyPlane8) CopyKernelFor(int64_t pictureBytes) {
    const kernels::KernelTable& table = ActiveKernelTable();
    return pictureBytes >= kStreamingCopyBytes ? table.StreamPlane8 : table.CopyPlane8;
}

}  // namespace

KORVEL_ROUTINE(CopyPacked) {
    (void)scratch;
    (void)width;
    // Whole strides: the rows' padding travels with them. Both strides hold at
    // least one row of the format, so the shorter of the two is safe to copy.
    const int32_t sourceBytes = sourceStride < 0 ? -sourceStride : sourceStride;
    const int32_t destinationBytes = destinationStride < 0 ? -destinationStride : destinationStride;
    const int32_t rowBytes = destinationBytes < sourceBytes ? destinationBytes : sourceBytes;
    const int32_t status = CopyKernelFor(int64_t(rowBytes) * height)(source, sourceStride, destination,
                                                                     destinationStride, rowBytes, height);
    return FromKernel(status);
}

KORVEL_ROUTINE(CopyPlanar) {
    (void)scratch;
    // Same family, so the logical planes are also in the same memory order.
    const auto copy = CopyKernelFor(int64_t(width) * height * 3 / 2);
    const PlanarPlanes in = LocatePlanes(source, sourceStride, height, false);
    const PlanarPlanes out = LocatePlanes(destination, destinationStride, height, false);
    if (copy(in.y, in.lumaStride, out.y, out.lumaStride, width, height) < 0) {
        return E_FAIL;
    }
    if (width / 2 > 0) {
        copy(in.u, in.chromaStride, out.u, out.chromaStride, width / 2, height / 2);
        copy(in.v, in.chromaStride, out.v, out.chromaStride, width / 2, height / 2);
    }
    return S_OK;
}

}  // namespace routines
