#include "conversion/RoutineSupport.h"

#include <cstddef>

#include "conversion/kernels/KernelTable.h"
#include "conversion/kernels/PortableKernels.h"

namespace routines {
namespace support {

using kernels::RowAt;

PlanarPlanes LocatePlanes(uint8_t* picture, int32_t stride, int32_t height, bool yv12Order) {
    const ptrdiff_t lumaWidth = stride < 0 ? -static_cast<ptrdiff_t>(stride) : stride;
    const ptrdiff_t chromaWidth = lumaWidth / 2;
    const ptrdiff_t chromaRows = height / 2;
    uint8_t* lowest = stride < 0 ? picture + (height - 1) * static_cast<ptrdiff_t>(stride) : picture;
    uint8_t* firstChroma = lowest + lumaWidth * height;
    uint8_t* secondChroma = firstChroma + chromaWidth * chromaRows;
    if (stride < 0 && chromaRows > 0) {
        firstChroma += (chromaRows - 1) * chromaWidth;
        secondChroma += (chromaRows - 1) * chromaWidth;
    }
    PlanarPlanes planes;
    planes.y = picture;
    planes.u = yv12Order ? secondChroma : firstChroma;
    planes.v = yv12Order ? firstChroma : secondChroma;
    planes.lumaStride = stride;
    planes.chromaStride = static_cast<int32_t>(stride < 0 ? -chromaWidth : chromaWidth);
    return planes;
}

uint8_t* ReserveScratch(ScratchBuffers* scratch, int slot, int64_t rowLength, int32_t height) {
    if (scratch == nullptr || rowLength <= 0 || rowLength > INT32_MAX || height <= 0) {
        return nullptr;
    }
    return scratch->Reserve(slot, static_cast<uint64_t>(rowLength), static_cast<uint64_t>(height));
}

void GroupPermutation(GroupOrder from, GroupOrder to, uint8_t order[4]) {
    order[to.firstLuma] = static_cast<uint8_t>(from.firstLuma);
    order[to.u] = static_cast<uint8_t>(from.u);
    order[to.secondLuma] = static_cast<uint8_t>(from.secondLuma);
    order[to.v] = static_cast<uint8_t>(from.v);
}

void Reorder422(const uint8_t* source, int32_t sourceStride, GroupOrder from, uint8_t* destination,
                int32_t destinationStride, GroupOrder to, int32_t width, int32_t height) {
    const int32_t pairs = width / 2;
    if (pairs > 0) {
        uint8_t order[4];
        GroupPermutation(from, to, order);
        kernels::ActiveKernelTable().PermuteGroups4(source, sourceStride, destination, destinationStride,
                                                    pairs, height, order);
    }
    if ((width & 1) == 0) {
        return;
    }
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row) + 4 * pairs;
        uint8_t* out = RowAt(destination, destinationStride, row) + 4 * pairs;
        // A lone last pixel: its group is read whole, its first two bytes written.
        const uint8_t group[4] = {in[0], in[1], in[2], in[3]};
        uint8_t reordered[4];
        reordered[to.firstLuma] = group[from.firstLuma];
        reordered[to.u] = group[from.u];
        reordered[to.secondLuma] = group[from.secondLuma];
        reordered[to.v] = group[from.v];
        out[0] = reordered[0];
        out[1] = reordered[1];
    }
}

void Packed422ToY41P(const uint8_t* source, int32_t sourceStride, GroupOrder from, uint8_t* destination,
                     int32_t destinationStride, int32_t width, int32_t height) {
    const int32_t groups = width / 8;
    if (groups < 1) {
        return;
    }
    uint8_t map[12];
    for (int pixel = 0; pixel < 8; ++pixel) {
        map[kernels::kY41PLumaBytes[pixel]] =
            static_cast<uint8_t>(4 * (pixel / 2) + ((pixel & 1) != 0 ? from.secondLuma : from.firstLuma));
    }
    // Chroma of pairs 0-1 and 4-5; that of pairs 2-3 and 6-7 is dropped.
    map[0] = static_cast<uint8_t>(from.u);
    map[2] = static_cast<uint8_t>(from.v);
    map[4] = static_cast<uint8_t>(8 + from.u);
    map[6] = static_cast<uint8_t>(8 + from.v);
    kernels::ActiveKernelTable().PackGroups16To12(source, sourceStride, destination, destinationStride,
                                                  groups, height, map);
}

void Y41PToPacked422(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                     int32_t destinationStride, GroupOrder to, int32_t width, int32_t height) {
    const int32_t groups = width / 8;
    if (groups < 1) {
        return;
    }
    uint8_t map[16];
    for (int pair = 0; pair < 4; ++pair) {
        // Each chroma sample serves two pairs.
        const int chroma = pair < 2 ? 0 : 4;
        map[4 * pair + to.firstLuma] = static_cast<uint8_t>(kernels::kY41PLumaBytes[2 * pair]);
        map[4 * pair + to.secondLuma] = static_cast<uint8_t>(kernels::kY41PLumaBytes[2 * pair + 1]);
        map[4 * pair + to.u] = static_cast<uint8_t>(chroma);
        map[4 * pair + to.v] = static_cast<uint8_t>(chroma + 2);
    }
    kernels::ActiveKernelTable().ExpandGroups12To16(source, sourceStride, destination, destinationStride,
                                                    groups, height, map);
}

void Y41PToGrey(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
                int32_t width, int32_t height) {
    if (width / 8 > 0) {
        kernels::ActiveKernelTable().Y41PToGrey(source, sourceStride, destination, destinationStride,
                                                width / 8, height);
    }
}

void GreyToY41P(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
                int32_t width, int32_t height) {
    if (width / 8 > 0) {
        kernels::ActiveKernelTable().GreyToY41P(source, sourceStride, destination, destinationStride,
                                                width / 8, height);
    }
}

void GreyToPacked422(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                     int32_t destinationStride, GroupOrder to, int32_t width, int32_t height) {
    // Both chroma bytes are 128, so only where the luma sits matters; a lone
    // last pixel gets its luma and the group's first chroma byte alike.
    kernels::ActiveKernelTable().GreyToPacked422(source, sourceStride, destination, destinationStride, width,
                                                 height, to.firstLuma);
}

}  // namespace support
}  // namespace routines
