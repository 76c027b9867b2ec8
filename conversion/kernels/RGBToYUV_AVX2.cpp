// The kernels from 3- and 4-byte BGR pixels to YUY2, 4:2:0 planes and grey
// with AVX2: sixteen pixels a step (see RGBToYUVBody.h); the columns after the last
// whole step go through the portable kernels.
#include "conversion/kernels/RGBToYUVBody.h"
#include "conversion/kernels/SimdKernels.h"

namespace kernels {

int32_t BGR24ToYUY2_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t width, int32_t height) {
    return ToYUY2Vector<Vector256, 3>(source, sourceStride, destination, destinationStride, width, height);
}

int32_t BGRA32ToYUY2_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height) {
    return ToYUY2Vector<Vector256, 4>(source, sourceStride, destination, destinationStride, width, height);
}

int32_t BGR24ToPacked422_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height, const uint8_t* order) {
    return ToYUY2Vector<Vector256, 3>(source, sourceStride, destination, destinationStride, width, height, order,
                                 true);
}

int32_t BGRA32ToPacked422_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                               int32_t destinationStride, int32_t width, int32_t height, const uint8_t* order) {
    return ToYUY2Vector<Vector256, 4>(source, sourceStride, destination, destinationStride, width, height, order,
                                 true);
}

int32_t BGR24ToY41P_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t groups, int32_t height) {
    return ToY41PVector<Vector256, 3>(source, sourceStride, destination, destinationStride, groups, height);
}

int32_t BGRA32ToY41P_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t groups, int32_t height) {
    return ToY41PVector<Vector256, 4>(source, sourceStride, destination, destinationStride, groups, height);
}

int32_t BGR24ToPlanar420I420_AVX2(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                  PlaneStrides destinationStrides, int32_t width, int32_t height) {
    return ToPlanar420Vector<Vector256, 3>(source, sourceStride, destinations, destinationStrides, width,
                                           height, 1);
}

int32_t BGR24ToPlanar420YV12_AVX2(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                  PlaneStrides destinationStrides, int32_t width, int32_t height) {
    return ToPlanar420Vector<Vector256, 3>(source, sourceStride, destinations, destinationStrides, width,
                                           height, 2);
}

int32_t BGRA32ToPlanar420I420_AVX2(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                   PlaneStrides destinationStrides, int32_t width, int32_t height) {
    return ToPlanar420Vector<Vector256, 4>(source, sourceStride, destinations, destinationStrides, width,
                                           height, 1);
}

int32_t BGRA32ToPlanar420YV12_AVX2(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                   PlaneStrides destinationStrides, int32_t width, int32_t height) {
    return ToPlanar420Vector<Vector256, 4>(source, sourceStride, destinations, destinationStrides, width,
                                           height, 2);
}

int32_t BGRA32ToGrey_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height) {
    return BGRA32ToGreyVector<Vector256>(source, sourceStride, destination, destinationStride, width, height);
}

int32_t BGR24ToGrey_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t width, int32_t height) {
    return BGR24ToGreyVector<Vector256>(source, sourceStride, destination, destinationStride, width, height);
}

}  // namespace kernels
