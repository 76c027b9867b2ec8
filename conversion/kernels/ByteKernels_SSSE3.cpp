// The byte-moving kernels with SSSE3 (see ByteKernelsBody.h).
#include "conversion/kernels/ByteKernelsBody.h"
#include "conversion/kernels/GroupKernelsBody.h"
#include "conversion/kernels/SimdKernels.h"

namespace kernels {

int32_t StreamPlane8_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height) {
    return StreamPlane8Vector<Vector128>(source, sourceStride, destination, destinationStride, width, height);
}

int32_t MergePlanes3_SSSE3(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height) {
    return MergePlanes3Vector<Vector128>(sources, sourceStrides, destination, destinationStride, width,
                                         height);
}

int32_t MergePlanes4_SSSE3(const uint8_t* const sources[4], const int32_t sourceStrides[4],
                           uint8_t* destination, int32_t destinationStride, int32_t width, int32_t height) {
    return MergePlanes4Vector<Vector128>(sources, sourceStrides, destination, destinationStride, width,
                                         height);
}

int32_t ReorderChannels3_SSSE3(uint8_t* pixels, int32_t stride, int32_t width, int32_t height,
                               const uint8_t table[3]) {
    return ReorderChannels3Vector<Vector128>(pixels, stride, width, height, table);
}

int32_t SwapBytePairs_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t width, int32_t height) {
    return SwapBytePairsVector<Vector128>(source, sourceStride, destination, destinationStride, width,
                                          height);
}

int32_t Planar420ToYUY2_SSSE3(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height) {
    return Planar420ToPackedVector<Vector128, false>(sources, sourceStrides, destination, destinationStride,
                                                     width, height);
}

int32_t Planar420ToUYVY_SSSE3(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height) {
    return Planar420ToPackedVector<Vector128, true>(sources, sourceStrides, destination, destinationStride,
                                                    width, height);
}

int32_t YUY2ToPlanar420_SSSE3(const uint8_t* source, int32_t sourceStride, Planes destinations,
                              PlaneStrides destinationStrides, int32_t width, int32_t height) {
    return PackedToPlanar420Vector<Vector128, false>(source, sourceStride, destinations, destinationStrides,
                                                     width, height);
}

int32_t UYVYToPlanar420_SSSE3(const uint8_t* source, int32_t sourceStride, Planes destinations,
                              PlaneStrides destinationStrides, int32_t width, int32_t height) {
    return PackedToPlanar420Vector<Vector128, true>(source, sourceStride, destinations, destinationStrides,
                                                    width, height);
}

int32_t GreyToBGR24_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height) {
    return GreyToBGR24Vector<Vector128>(source, sourceStride, destination, destinationStride, width, height);
}

int32_t GreyToBGRA32_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height, int32_t alpha) {
    return GreyToBGRA32Vector<Vector128>(source, sourceStride, destination, destinationStride, width, height,
                                         alpha);
}

int32_t Packed422ToGrey_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height, int32_t firstLuma) {
    return Packed422ToGreyVector<Vector128>(source, sourceStride, destination, destinationStride, width,
                                            height, firstLuma);
}

int32_t BGR24ToBGRA32_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha) {
    return BGR24ToBGRA32Vector<Vector128>(source, sourceStride, destination, destinationStride, width, height,
                                          alpha);
}

int32_t BGRA32ToBGR24_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t width, int32_t height) {
    return BGRA32ToBGR24Vector<Vector128>(source, sourceStride, destination, destinationStride, width, height);
}

int32_t PermuteGroups4_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t groups, int32_t height, const uint8_t* order) {
    return PermuteGroups4Vector<Vector128>(source, sourceStride, destination, destinationStride, groups, height,
                                           order);
}

int32_t GreyToPacked422_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height, int32_t firstLuma) {
    return GreyToPacked422Vector<Vector128>(source, sourceStride, destination, destinationStride, width, height,
                                            firstLuma);
}

int32_t ExpandGroups12To16_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                 int32_t destinationStride, int32_t groups, int32_t height, const uint8_t* map) {
    return ExpandGroups12To16Vector<Vector128>(source, sourceStride, destination, destinationStride, groups,
                                               height, map);
}

int32_t PackGroups16To12_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                               int32_t destinationStride, int32_t groups, int32_t height, const uint8_t* map) {
    return PackGroups16To12Vector<Vector128>(source, sourceStride, destination, destinationStride, groups, height,
                                             map);
}

int32_t Y41PToGrey_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t groups, int32_t height) {
    return Y41PToGreyVector<Vector128>(source, sourceStride, destination, destinationStride, groups, height);
}

int32_t GreyToY41P_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t groups, int32_t height) {
    return GreyToY41PVector<Vector128>(source, sourceStride, destination, destinationStride, groups, height);
}

}  // namespace kernels
