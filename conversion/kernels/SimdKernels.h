// Declarations of the processor-specific kernel variants. Each lives in a
// translation unit of its own compiled for its instruction set only; the names
// carry the set. Only the level tables in KernelTable.cpp refer to them.
#pragma once

#include <cstdint>

#include "conversion/kernels/KernelTable.h"

namespace kernels {

#if defined(KORVEL_X86_KERNELS)
int32_t BGR24ToGrey_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height);

// SSSE3: RGBToYUV_SSSE3.cpp and YUVToRGB_SSSE3.cpp.
int32_t BGRA32ToGrey_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height);
int32_t BGR24ToYUY2_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height);
int32_t BGRA32ToYUY2_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height);
int32_t UYVYToRGBTriplets_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                int32_t destinationStride, int32_t width, int32_t height);
int32_t YUY2ToBGR24_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height);
int32_t BGR24ToPlanar420I420_SSSE3(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                   PlaneStrides destinationStrides, int32_t width, int32_t height);
int32_t BGR24ToPlanar420YV12_SSSE3(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                   PlaneStrides destinationStrides, int32_t width, int32_t height);
int32_t BGRA32ToPlanar420I420_SSSE3(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                    PlaneStrides destinationStrides, int32_t width, int32_t height);
int32_t BGRA32ToPlanar420YV12_SSSE3(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                    PlaneStrides destinationStrides, int32_t width, int32_t height);
int32_t UYVYToBGRA32_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha);
int32_t YUY2ToBGRA32_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha);
int32_t Planar420ToBGR24_SSSE3(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                               int32_t destinationStride, int32_t width, int32_t height);

// AVX2: RGBToYUV_AVX2.cpp and YUVToRGB_AVX2.cpp.
int32_t BGR24ToGrey_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t width, int32_t height);
int32_t BGRA32ToGrey_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height);
int32_t BGR24ToYUY2_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t width, int32_t height);
int32_t BGRA32ToYUY2_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height);
int32_t BGR24ToY41P_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t groups, int32_t height);
int32_t BGRA32ToY41P_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t groups, int32_t height);
int32_t YVYUToBGR24_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t width, int32_t height);
int32_t YVYUToBGRA32_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha);
int32_t Y41PToBGR24_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t groups, int32_t height);
int32_t Y41PToBGRA32_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t groups, int32_t height, uint8_t alpha);
int32_t BGR24ToPacked422_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height, const uint8_t* order);
int32_t BGRA32ToPacked422_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                               int32_t destinationStride, int32_t width, int32_t height,
                               const uint8_t* order);
int32_t UYVYToRGBTriplets_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                               int32_t destinationStride, int32_t width, int32_t height);
int32_t YUY2ToBGR24_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t width, int32_t height);
int32_t BGR24ToPlanar420I420_AVX2(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                  PlaneStrides destinationStrides, int32_t width, int32_t height);
int32_t BGR24ToPlanar420YV12_AVX2(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                  PlaneStrides destinationStrides, int32_t width, int32_t height);
int32_t BGRA32ToPlanar420I420_AVX2(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                   PlaneStrides destinationStrides, int32_t width, int32_t height);
int32_t BGRA32ToPlanar420YV12_AVX2(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                   PlaneStrides destinationStrides, int32_t width, int32_t height);
int32_t UYVYToBGRA32_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha);
int32_t YUY2ToBGRA32_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha);
int32_t Planar420ToBGR24_AVX2(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height);

// SSSE3: ByteKernels_SSSE3.cpp.
int32_t StreamPlane8_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height);
int32_t MergePlanes3_SSSE3(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height);
int32_t MergePlanes4_SSSE3(const uint8_t* const sources[4], const int32_t sourceStrides[4],
                           uint8_t* destination, int32_t destinationStride, int32_t width, int32_t height);
int32_t ReorderChannels3_SSSE3(uint8_t* pixels, int32_t stride, int32_t width, int32_t height,
                               const uint8_t table[3]);
int32_t SwapBytePairs_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t width, int32_t height);
int32_t Planar420ToYUY2_SSSE3(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height);
int32_t Planar420ToUYVY_SSSE3(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height);
int32_t YUY2ToPlanar420_SSSE3(const uint8_t* source, int32_t sourceStride, Planes destinations,
                              PlaneStrides destinationStrides, int32_t width, int32_t height);
int32_t UYVYToPlanar420_SSSE3(const uint8_t* source, int32_t sourceStride, Planes destinations,
                              PlaneStrides destinationStrides, int32_t width, int32_t height);

// AVX2: ByteKernels_AVX2.cpp.
int32_t StreamPlane8_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height);
int32_t MergePlanes3_AVX2(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height);
int32_t MergePlanes4_AVX2(const uint8_t* const sources[4], const int32_t sourceStrides[4],
                          uint8_t* destination, int32_t destinationStride, int32_t width, int32_t height);
int32_t ReorderChannels3_AVX2(uint8_t* pixels, int32_t stride, int32_t width, int32_t height,
                              const uint8_t table[3]);
int32_t SwapBytePairs_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height);
int32_t Planar420ToYUY2_AVX2(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                             int32_t destinationStride, int32_t width, int32_t height);
int32_t Planar420ToUYVY_AVX2(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                             int32_t destinationStride, int32_t width, int32_t height);
int32_t YUY2ToPlanar420_AVX2(const uint8_t* source, int32_t sourceStride, Planes destinations,
                             PlaneStrides destinationStrides, int32_t width, int32_t height);
int32_t UYVYToPlanar420_AVX2(const uint8_t* source, int32_t sourceStride, Planes destinations,
                             PlaneStrides destinationStrides, int32_t width, int32_t height);
// SSSE3, appended kernels: ByteKernels_SSSE3.cpp (grey) and YUVToRGB_SSSE3.cpp.
int32_t GreyToBGR24_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height);
int32_t GreyToBGRA32_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height, int32_t alpha);
int32_t Planar420ToBGRA32_SSSE3(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                                int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha);
int32_t UYVYToBGR24_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height);
int32_t Packed422ToGrey_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height, int32_t firstLuma);
int32_t BGR24ToBGRA32_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha);
int32_t BGRA32ToBGR24_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t width, int32_t height);
int32_t BGR24ToPacked422_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                               int32_t destinationStride, int32_t width, int32_t height,
                               const uint8_t* order);
int32_t BGRA32ToPacked422_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                int32_t destinationStride, int32_t width, int32_t height,
                                const uint8_t* order);
int32_t BGR24ToY41P_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t groups, int32_t height);
int32_t BGRA32ToY41P_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t groups, int32_t height);
int32_t YVYUToBGR24_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height);
int32_t YVYUToBGRA32_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha);
int32_t Y41PToBGR24_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t groups, int32_t height);
int32_t Y41PToBGRA32_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t groups, int32_t height, uint8_t alpha);
int32_t PermuteGroups4_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t groups, int32_t height, const uint8_t* order);
int32_t GreyToPacked422_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height, int32_t firstLuma);
int32_t ExpandGroups12To16_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                 int32_t destinationStride, int32_t groups, int32_t height,
                                 const uint8_t* map);
int32_t PackGroups16To12_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                               int32_t destinationStride, int32_t groups, int32_t height, const uint8_t* map);
int32_t Y41PToGrey_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t groups, int32_t height);
int32_t GreyToY41P_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t groups, int32_t height);

// AVX2, appended kernels: ByteKernels_AVX2.cpp (grey) and YUVToRGB_AVX2.cpp.
int32_t GreyToBGR24_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t width, int32_t height);
int32_t GreyToBGRA32_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height, int32_t alpha);
int32_t Planar420ToBGRA32_AVX2(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                               int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha);
int32_t UYVYToBGR24_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t width, int32_t height);
int32_t Packed422ToGrey_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t width, int32_t height, int32_t firstLuma);
int32_t BGR24ToBGRA32_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha);
int32_t BGRA32ToBGR24_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height);
int32_t PermuteGroups4_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t groups, int32_t height, const uint8_t* order);
int32_t GreyToPacked422_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t width, int32_t height, int32_t firstLuma);
int32_t ExpandGroups12To16_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                int32_t destinationStride, int32_t groups, int32_t height,
                                const uint8_t* map);
int32_t PackGroups16To12_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t groups, int32_t height, const uint8_t* map);
int32_t Y41PToGrey_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                        int32_t destinationStride, int32_t groups, int32_t height);
int32_t GreyToY41P_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                        int32_t destinationStride, int32_t groups, int32_t height);
#endif

}  // namespace kernels
