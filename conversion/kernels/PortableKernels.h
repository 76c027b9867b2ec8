// Declarations of the portable kernel variants that fill PortableKernelTable.
// Routines never call these directly; they go through the active table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "conversion/kernels/KernelTable.h"

namespace kernels {

// Row r of a plane; the product is formed in pointer width so tall pictures
// with large strides cannot overflow 32 bits.
static inline const uint8_t* RowAt(const uint8_t* base, int32_t stride, int32_t row) {
    return base + static_cast<ptrdiff_t>(stride) * row;
}
static inline uint8_t* RowAt(uint8_t* base, int32_t stride, int32_t row) {
    return base + static_cast<ptrdiff_t>(stride) * row;
}

// The first refusals every picture kernel makes: a missing picture, then an
// empty one. kSuccess (0) when neither applies.
static inline int32_t PictureStatus(const void* source, const void* destination, int32_t width,
                                    int32_t height) {
    if (source == nullptr || destination == nullptr) {
        return kNullPointer;
    }
    return width < 1 || height < 1 ? kBelowMinimumSize : kSuccess;
}

int32_t CopyPlane8_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t width, int32_t height);
int32_t FillPlane8_Portable(uint8_t value, uint8_t* destination, int32_t destinationStride, int32_t width,
                            int32_t height);
int32_t MergePlanes3_Portable(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height);
int32_t MergePlanes4_Portable(const uint8_t* const sources[4], const int32_t sourceStrides[4],
                              uint8_t* destination, int32_t destinationStride, int32_t width, int32_t height);
int32_t ReorderChannels3_Portable(uint8_t* pixels, int32_t stride, int32_t width, int32_t height,
                                  const uint8_t table[3]);
int32_t SwapBytePairs_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                               int32_t destinationStride, int32_t width, int32_t height);

int32_t Planar420ToYUY2_Portable(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                                 int32_t destinationStride, int32_t width, int32_t height);
int32_t Planar420ToUYVY_Portable(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                                 int32_t destinationStride, int32_t width, int32_t height);
int32_t YUY2ToPlanar420_Portable(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                 PlaneStrides destinationStrides, int32_t width, int32_t height);
int32_t UYVYToPlanar420_Portable(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                 PlaneStrides destinationStrides, int32_t width, int32_t height);

int32_t BGR24ToYUY2_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t width, int32_t height);
int32_t BGRA32ToYUY2_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height);
int32_t BGR24ToPlanar420I420_Portable(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                      PlaneStrides destinationStrides, int32_t width, int32_t height);
int32_t BGR24ToPlanar420YV12_Portable(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                      PlaneStrides destinationStrides, int32_t width, int32_t height);
int32_t BGRA32ToPlanar420I420_Portable(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                       PlaneStrides destinationStrides, int32_t width, int32_t height);
int32_t BGRA32ToPlanar420YV12_Portable(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                       PlaneStrides destinationStrides, int32_t width, int32_t height);
int32_t BGR24ToGrey_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t width, int32_t height);
int32_t BGRA32ToGrey_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height);

int32_t UYVYToRGBTriplets_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                   int32_t destinationStride, int32_t width, int32_t height);
int32_t UYVYToBGRA32_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha);
int32_t YUY2ToBGR24_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t width, int32_t height);
int32_t YUY2ToBGRA32_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha);
int32_t Planar420ToBGR24_Portable(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                                  int32_t destinationStride, int32_t width, int32_t height);

// Appended to the table later than the kernels above.
int32_t GreyToBGR24_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t width, int32_t height);
int32_t GreyToBGRA32_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height, int32_t alpha);
int32_t Planar420ToBGRA32_Portable(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                                   int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha);
int32_t UYVYToBGR24_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t width, int32_t height);
int32_t Packed422ToGrey_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                 int32_t destinationStride, int32_t width, int32_t height, int32_t firstLuma);
int32_t BGR24ToBGRA32_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                               int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha);
int32_t BGRA32ToBGR24_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                               int32_t destinationStride, int32_t width, int32_t height);
int32_t BGR24ToPacked422_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                  int32_t destinationStride, int32_t width, int32_t height,
                                  const uint8_t* order);
int32_t BGRA32ToPacked422_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                   int32_t destinationStride, int32_t width, int32_t height,
                                   const uint8_t* order);
int32_t BGR24ToY41P_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t groups, int32_t height);
int32_t BGRA32ToY41P_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t groups, int32_t height);
int32_t YVYUToBGR24_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t width, int32_t height);
int32_t YVYUToBGRA32_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha);
int32_t Y41PToBGR24_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t groups, int32_t height);
int32_t Y41PToBGRA32_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t groups, int32_t height, uint8_t alpha);
int32_t PermuteGroups4_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                int32_t destinationStride, int32_t groups, int32_t height,
                                const uint8_t* order);
int32_t GreyToPacked422_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                 int32_t destinationStride, int32_t width, int32_t height, int32_t firstLuma);
int32_t ExpandGroups12To16_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                    int32_t destinationStride, int32_t groups, int32_t height,
                                    const uint8_t* map);
int32_t PackGroups16To12_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                  int32_t destinationStride, int32_t groups, int32_t height,
                                  const uint8_t* map);
int32_t Y41PToGrey_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t groups, int32_t height);
int32_t GreyToY41P_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t groups, int32_t height);
// Where the eight luma samples of a Y41P group lie.
constexpr int kY41PLumaBytes[8] = {1, 3, 5, 7, 8, 9, 10, 11};

// Where byte i of the YUY2 form of a Y41P group (16 bytes for its 8 pixels)
// comes from in the group's 12: each chroma sample serves two pairs.
constexpr int kY41PToYUY2Bytes[16] = {1, 0, 3, 2, 5, 0, 7, 2, 8, 4, 9, 6, 10, 4, 11, 6};
// And back: where byte i of a Y41P group comes from in the YUY2 form of its 8
// pixels (the chroma of pairs 0 and 2; that of pairs 1 and 3 is dropped).
constexpr int kYUY2ToY41PBytes[12] = {1, 0, 3, 2, 9, 4, 11, 6, 8, 10, 12, 14};

}  // namespace kernels
