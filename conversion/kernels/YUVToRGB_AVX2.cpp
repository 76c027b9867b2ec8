// The kernels from packed 4:2:2 and 4:2:0 planes to RGB pixels with AVX2: sixteen pixels a step
// (see YUVToRGBBody.h); the columns after the last whole step go through the
// portable kernels.
#include "conversion/kernels/SimdKernels.h"
#include "conversion/kernels/YUVToRGBBody.h"

namespace kernels {

int32_t UYVYToRGBTriplets_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                               int32_t destinationStride, int32_t width, int32_t height) {
    return PackedToRGBVector<Vector256, RGBLayout::RGBTriplets, true>(
        source, sourceStride, destination, destinationStride, width, height, 0, 1, kFormA,
        [](const uint8_t* s, int32_t ss, uint8_t* d, int32_t ds, int32_t w, int32_t h) {
            UYVYToRGBTriplets_Portable(s, ss, d, ds, w, h);
        });
}

int32_t UYVYToBGRA32_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha) {
    return PackedToRGBVector<Vector256, RGBLayout::BGRA32, true>(
        source, sourceStride, destination, destinationStride, width, height, alpha, 1, kFormA,
        [alpha](const uint8_t* s, int32_t ss, uint8_t* d, int32_t ds, int32_t w, int32_t h) {
            UYVYToBGRA32_Portable(s, ss, d, ds, w, h, alpha);
        });
}

int32_t YUY2ToBGR24_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t width, int32_t height) {
    return PackedToRGBVector<Vector256, RGBLayout::BGR24, false>(
        source, sourceStride, destination, destinationStride, width, height, 0, 2, kFormB,
        [](const uint8_t* s, int32_t ss, uint8_t* d, int32_t ds, int32_t w, int32_t h) {
            YUY2ToBGR24_Portable(s, ss, d, ds, w, h);
        });
}

int32_t YUY2ToBGRA32_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha) {
    return PackedToRGBVector<Vector256, RGBLayout::BGRA32, false>(
        source, sourceStride, destination, destinationStride, width, height, alpha, 2, kFormB,
        [alpha](const uint8_t* s, int32_t ss, uint8_t* d, int32_t ds, int32_t w, int32_t h) {
            YUY2ToBGRA32_Portable(s, ss, d, ds, w, h, alpha);
        });
}

int32_t Planar420ToBGR24_AVX2(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height) {
    return Planar420ToRGBVector<Vector256, RGBLayout::BGR24>(sources, sourceStrides, destination,
                                                             destinationStride, width, height, 0);
}

int32_t Planar420ToBGRA32_AVX2(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                               int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha) {
    return Planar420ToRGBVector<Vector256, RGBLayout::BGRA32>(sources, sourceStrides, destination,
                                                              destinationStride, width, height, alpha);
}

int32_t UYVYToBGR24_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t width, int32_t height) {
    return PackedToRGBVector<Vector256, RGBLayout::BGR24, true>(
        source, sourceStride, destination, destinationStride, width, height, 0, 1, kFormA,
        [](const uint8_t* s, int32_t ss, uint8_t* d, int32_t ds, int32_t w, int32_t h) {
            UYVYToBGR24_Portable(s, ss, d, ds, w, h);
        });
}

int32_t YVYUToBGR24_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t width, int32_t height) {
    return PackedToRGBVector<Vector256, RGBLayout::BGR24, true, true>(
        source, sourceStride, destination, destinationStride, width, height, 0, 1, kFormA,
        [](const uint8_t* s, int32_t ss, uint8_t* d, int32_t ds, int32_t w, int32_t h) {
            YVYUToBGR24_Portable(s, ss, d, ds, w, h);
        });
}

int32_t YVYUToBGRA32_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha) {
    return PackedToRGBVector<Vector256, RGBLayout::BGRA32, true, true>(
        source, sourceStride, destination, destinationStride, width, height, alpha, 1, kFormA,
        [alpha](const uint8_t* s, int32_t ss, uint8_t* d, int32_t ds, int32_t w, int32_t h) {
            YVYUToBGRA32_Portable(s, ss, d, ds, w, h, alpha);
        });
}

int32_t Y41PToBGR24_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t groups, int32_t height) {
    return Y41PToRGBVector<Vector256, RGBLayout::BGR24>(
        source, sourceStride, destination, destinationStride, groups, height, 0,
        [](const uint8_t* s, int32_t ss, uint8_t* d, int32_t ds, int32_t g, int32_t h) {
            Y41PToBGR24_Portable(s, ss, d, ds, g, h);
        });
}

int32_t Y41PToBGRA32_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t groups, int32_t height, uint8_t alpha) {
    return Y41PToRGBVector<Vector256, RGBLayout::BGRA32>(
        source, sourceStride, destination, destinationStride, groups, height, alpha,
        [alpha](const uint8_t* s, int32_t ss, uint8_t* d, int32_t ds, int32_t g, int32_t h) {
            Y41PToBGRA32_Portable(s, ss, d, ds, g, h, alpha);
        });
}

}  // namespace kernels
