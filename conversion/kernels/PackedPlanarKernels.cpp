// Kernels between packed 4:2:2 and three-plane 4:2:0. They work on the width
// and height rounded down to even and report an odd size with
// kOddSizeConverted.
#include "conversion/kernels/PortableKernels.h"

namespace kernels {

namespace {

// Byte offsets of Y0, U, Y1 and V inside one 4-byte group.
struct GroupOrder {
    int firstLuma;
    int u;
    int secondLuma;
    int v;
};

constexpr GroupOrder kYUY2Order = {0, 1, 2, 3};
constexpr GroupOrder kUYVYOrder = {1, 0, 3, 2};

bool AnyNull(const uint8_t* const planes[3], const int32_t* strides) {
    return planes == nullptr || strides == nullptr || planes[0] == nullptr || planes[1] == nullptr ||
           planes[2] == nullptr;
}

int32_t OddStatus(int32_t width, int32_t height) {
    return ((width | height) & 1) != 0 ? kOddSizeConverted : kSuccess;
}

int32_t Planar420ToPacked(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height, GroupOrder order) {
    if (AnyNull(sources, sourceStrides) || destination == nullptr) {
        return kNullPointer;
    }
    if (width < 2 || height < 2) {
        return kBelowMinimumSize;
    }
    const int32_t pairs = width / 2;
    const int32_t rows = height & ~1;
    for (int32_t row = 0; row < rows; ++row) {
        const uint8_t* luma = RowAt(sources[0], sourceStrides[0], row);
        const uint8_t* u = RowAt(sources[1], sourceStrides[1], row / 2);
        const uint8_t* v = RowAt(sources[2], sourceStrides[2], row / 2);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t pair = 0; pair < pairs; ++pair, out += 4) {
            out[order.firstLuma] = luma[2 * pair];
            out[order.u] = u[pair];
            out[order.secondLuma] = luma[2 * pair + 1];
            out[order.v] = v[pair];
        }
    }
    return OddStatus(width, height);
}

int32_t PackedToPlanar420(const uint8_t* source, int32_t sourceStride, Planes destinations,
                          PlaneStrides destinationStrides, int32_t width, int32_t height, GroupOrder order) {
    if (source == nullptr || AnyNull(destinations, destinationStrides)) {
        return kNullPointer;
    }
    if (width < 2 || height < 2) {
        return kBelowMinimumSize;
    }
    const int32_t pairs = width / 2;
    const int32_t rows = height & ~1;
    for (int32_t row = 0; row < rows; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* luma = RowAt(destinations[0], destinationStrides[0], row);
        for (int32_t pair = 0; pair < pairs; ++pair) {
            luma[2 * pair] = in[4 * pair + order.firstLuma];
            luma[2 * pair + 1] = in[4 * pair + order.secondLuma];
        }
        if ((row & 1) == 0) {
            // The chroma of the first row of each pair; the second row's is dropped.
            uint8_t* u = RowAt(destinations[1], destinationStrides[1], row / 2);
            uint8_t* v = RowAt(destinations[2], destinationStrides[2], row / 2);
            for (int32_t pair = 0; pair < pairs; ++pair) {
                u[pair] = in[4 * pair + order.u];
                v[pair] = in[4 * pair + order.v];
            }
        }
    }
    return OddStatus(width, height);
}

}  // namespace

int32_t Planar420ToYUY2_Portable(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                                 int32_t destinationStride, int32_t width, int32_t height) {
    return Planar420ToPacked(sources, sourceStrides, destination, destinationStride, width, height,
                             kYUY2Order);
}

int32_t Planar420ToUYVY_Portable(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                                 int32_t destinationStride, int32_t width, int32_t height) {
    return Planar420ToPacked(sources, sourceStrides, destination, destinationStride, width, height,
                             kUYVYOrder);
}

int32_t YUY2ToPlanar420_Portable(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                 PlaneStrides destinationStrides, int32_t width, int32_t height) {
    return PackedToPlanar420(source, sourceStride, destinations, destinationStrides, width, height,
                             kYUY2Order);
}

int32_t UYVYToPlanar420_Portable(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                 PlaneStrides destinationStrides, int32_t width, int32_t height) {
    return PackedToPlanar420(source, sourceStride, destinations, destinationStrides, width, height,
                             kUYVYOrder);
}

}  // namespace kernels
