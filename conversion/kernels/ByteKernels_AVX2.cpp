// The byte-moving kernels with AVX2 (see ByteKernelsBody.h).
#include "conversion/kernels/ByteKernelsBody.h"
#include "conversion/kernels/GroupKernelsBody.h"
#include "conversion/kernels/SimdKernels.h"

namespace kernels {

int32_t StreamPlane8_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height) {
    return StreamPlane8Vector<Vector256>(source, sourceStride, destination, destinationStride, width, height);
}

int32_t MergePlanes3_AVX2(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height) {
    return MergePlanes3Vector<Vector256>(sources, sourceStrides, destination, destinationStride, width,
                                         height);
}

int32_t MergePlanes4_AVX2(const uint8_t* const sources[4], const int32_t sourceStrides[4],
                          uint8_t* destination, int32_t destinationStride, int32_t width, int32_t height) {
    return MergePlanes4Vector<Vector256>(sources, sourceStrides, destination, destinationStride, width,
                                         height);
}

int32_t ReorderChannels3_AVX2(uint8_t* pixels, int32_t stride, int32_t width, int32_t height,
                              const uint8_t table[3]) {
    return ReorderChannels3Vector<Vector256>(pixels, stride, width, height, table);
}

int32_t SwapBytePairs_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height) {
    return SwapBytePairsVector<Vector256>(source, sourceStride, destination, destinationStride, width,
                                          height);
}

int32_t Planar420ToYUY2_AVX2(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                             int32_t destinationStride, int32_t width, int32_t height) {
    return Planar420ToPackedVector<Vector256, false>(sources, sourceStrides, destination, destinationStride,
                                                     width, height);
}

int32_t Planar420ToUYVY_AVX2(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                             int32_t destinationStride, int32_t width, int32_t height) {
    return Planar420ToPackedVector<Vector256, true>(sources, sourceStrides, destination, destinationStride,
                                                    width, height);
}

int32_t YUY2ToPlanar420_AVX2(const uint8_t* source, int32_t sourceStride, Planes destinations,
                             PlaneStrides destinationStrides, int32_t width, int32_t height) {
    return PackedToPlanar420Vector<Vector256, false>(source, sourceStride, destinations, destinationStrides,
                                                     width, height);
}

int32_t UYVYToPlanar420_AVX2(const uint8_t* source, int32_t sourceStride, Planes destinations,
                             PlaneStrides destinationStrides, int32_t width, int32_t height) {
    return PackedToPlanar420Vector<Vector256, true>(source, sourceStride, destinations, destinationStrides,
                                                    width, height);
}

int32_t GreyToBGR24_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t width, int32_t height) {
    return GreyToBGR24Vector<Vector256>(source, sourceStride, destination, destinationStride, width, height);
}

int32_t GreyToBGRA32_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height, int32_t alpha) {
    return GreyToBGRA32Vector<Vector256>(source, sourceStride, destination, destinationStride, width, height,
                                         alpha);
}

int32_t Packed422ToGrey_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t width, int32_t height, int32_t firstLuma) {
    return Packed422ToGreyVector<Vector256>(source, sourceStride, destination, destinationStride, width,
                                            height, firstLuma);
}

int32_t BGR24ToBGRA32_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha) {
    return BGR24ToBGRA32Vector<Vector256>(source, sourceStride, destination, destinationStride, width, height,
                                          alpha);
}

int32_t BGRA32ToBGR24_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t width, int32_t height) {
    return BGRA32ToBGR24Vector<Vector256>(source, sourceStride, destination, destinationStride, width, height);
}

int32_t PermuteGroups4_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t groups, int32_t height, const uint8_t* order) {
    return PermuteGroups4Vector<Vector256>(source, sourceStride, destination, destinationStride, groups, height,
                                           order);
}

int32_t GreyToPacked422_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height, int32_t firstLuma) {
    return GreyToPacked422Vector<Vector256>(source, sourceStride, destination, destinationStride, width, height,
                                            firstLuma);
}

int32_t ExpandGroups12To16_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                 int32_t destinationStride, int32_t groups, int32_t height, const uint8_t* map) {
    return ExpandGroups12To16Vector<Vector256>(source, sourceStride, destination, destinationStride, groups,
                                               height, map);
}

int32_t PackGroups16To12_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                               int32_t destinationStride, int32_t groups, int32_t height, const uint8_t* map) {
    return PackGroups16To12Vector<Vector256>(source, sourceStride, destination, destinationStride, groups, height,
                                             map);
}

int32_t Y41PToGrey_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t groups, int32_t height) {
    return Y41PToGreyVector<Vector256>(source, sourceStride, destination, destinationStride, groups, height);
}

int32_t GreyToY41P_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t groups, int32_t height) {
    return GreyToY41PVector<Vector256>(source, sourceStride, destination, destinationStride, groups, height);
}

}  // namespace kernels
