// The pixel kernels, reached only through a table of function pointers so a
// table of vector variants can replace the portable one without touching the
// routines. Every kernel validates its own arguments and writes nothing when it
// refuses them.
#pragma once

#include <cstdint>

namespace kernels {

// Kernel results.
enum KernelStatus : int32_t {
    kSuccess = 0,
    kOddSizeConverted = 35,  // 4:2:0 kernels: odd width or height, even part done
    kNullPointer = -8,
    kBelowMinimumSize = -6,
    kBadStride = -14,
    kBadChannelIndex = -60,
};

// The alpha argument of GreyToBGRA32 that copies each grey into alpha.
constexpr int32_t kGreyAlpha = -1;

// Plane pointers and strides of a 4:2:0 picture, always in the order Y, U, V
// unless a kernel says otherwise.
typedef const uint8_t* const ConstPlanes[3];
typedef uint8_t* const Planes[3];
typedef const int32_t PlaneStrides[3];

struct KernelTable {
    int32_t (*CopyPlane8)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height);
    int32_t (*FillPlane8)(uint8_t value, uint8_t* destination, int32_t destinationStride, int32_t width,
                          int32_t height);
    int32_t (*MergePlanes3)(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                            int32_t destinationStride, int32_t width, int32_t height);
    int32_t (*MergePlanes4)(const uint8_t* const sources[4], const int32_t sourceStrides[4],
                            uint8_t* destination, int32_t destinationStride, int32_t width, int32_t height);
    // In place: pixel bytes 0, 1, 2 become the old bytes table[0], table[1], table[2].
    int32_t (*ReorderChannels3)(uint8_t* pixels, int32_t stride, int32_t width, int32_t height,
                                const uint8_t table[3]);
    int32_t (*Planar420ToYUY2)(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                               int32_t destinationStride, int32_t width, int32_t height);
    int32_t (*Planar420ToUYVY)(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                               int32_t destinationStride, int32_t width, int32_t height);
    int32_t (*YUY2ToPlanar420)(const uint8_t* source, int32_t sourceStride, Planes destinations,
                               PlaneStrides destinationStrides, int32_t width, int32_t height);
    int32_t (*UYVYToPlanar420)(const uint8_t* source, int32_t sourceStride, Planes destinations,
                               PlaneStrides destinationStrides, int32_t width, int32_t height);
    int32_t (*SwapBytePairs)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t width, int32_t height);
    int32_t (*BGR24ToYUY2)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height);
    int32_t (*BGRA32ToYUY2)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t width, int32_t height);
    // The two entry points of each RGB to 4:2:0 kernel: planes in memory order
    // Y, U, V (I420) or Y, V, U (YV12).
    int32_t (*BGR24ToPlanar420I420)(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                    PlaneStrides destinationStrides, int32_t width, int32_t height);
    int32_t (*BGR24ToPlanar420YV12)(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                    PlaneStrides destinationStrides, int32_t width, int32_t height);
    int32_t (*BGRA32ToPlanar420I420)(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                     PlaneStrides destinationStrides, int32_t width, int32_t height);
    int32_t (*BGRA32ToPlanar420YV12)(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                     PlaneStrides destinationStrides, int32_t width, int32_t height);
    int32_t (*BGR24ToGrey)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height);
    int32_t (*BGRA32ToGrey)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t width, int32_t height);
    int32_t (*UYVYToRGBTriplets)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                 int32_t destinationStride, int32_t width, int32_t height);
    int32_t (*UYVYToBGRA32)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha);
    int32_t (*YUY2ToBGR24)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height);
    int32_t (*YUY2ToBGRA32)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha);
    int32_t (*Planar420ToBGR24)(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                                int32_t destinationStride, int32_t width, int32_t height);
    // Bilinear demosaic of an 8-bit mosaic of phase 0 to 3 (-60 otherwise) into
    // 3-byte B, G, R pixels with a black one-pixel border. Writes rows firstRow
    // .. firstRow + rowCount - 1 of the width x height picture, the first of them
    // at destination; source addresses the mosaic's row 0. -6 for a row range
    // outside the picture.
    int32_t (*DemosaicBayer)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t width, int32_t height, int32_t phase,
                             int32_t firstRow, int32_t rowCount);
    // The same demosaic into 4-byte B, G, R, alpha pixels (the border black
    // with that alpha).
    int32_t (*DemosaicBayerBGRA)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                 int32_t destinationStride, int32_t width, int32_t height, int32_t phase,
                                 int32_t firstRow, int32_t rowCount, uint8_t alpha);
    // Grey bytes to B = G = R triplets.
    int32_t (*GreyToBGR24)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height);
    // Grey bytes to B = G = R, alpha pixels: alpha 0 to 255 as given, or
    // kGreyAlpha for the grey itself; -60 for any other alpha.
    int32_t (*GreyToBGRA32)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t width, int32_t height, int32_t alpha);
    // Planar420ToBGR24 into 4-byte pixels with the given alpha.
    int32_t (*Planar420ToBGRA32)(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                                 int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha);
    // UYVYToRGBTriplets with blue first.
    int32_t (*UYVYToBGR24)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height);
    // The luma bytes of packed 4:2:2 rows (YUY2, UYVY, YVYU): pixel x's grey is
    // byte 2 * x + firstLuma, firstLuma 0 or 1 (-60 otherwise).
    int32_t (*Packed422ToGrey)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                               int32_t destinationStride, int32_t width, int32_t height, int32_t firstLuma);
    // 3-byte pixels to 4-byte ones, the fourth byte the given alpha.
    int32_t (*BGR24ToBGRA32)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha);
    // 4-byte pixels to their first three bytes.
    int32_t (*BGRA32ToBGR24)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t width, int32_t height);
    // Rows of 4-byte groups with each group's bytes rearranged: output byte i
    // of a group is its input byte order[i] (each 0 to 3, -60 otherwise).
    int32_t (*PermuteGroups4)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t groups, int32_t height,
                              const uint8_t* order);
    // Grey bytes to packed 4:2:2 rows without colour: pixel x's grey at byte
    // 2 * x + firstLuma, 128 in the other byte; firstLuma 0 or 1 (-60 otherwise).
    int32_t (*GreyToPacked422)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                               int32_t destinationStride, int32_t width, int32_t height, int32_t firstLuma);
    // Rows of 12-byte groups to 16-byte ones: output byte i of a group is its
    // input byte map[i] (each 0 to 11, -60 otherwise).
    int32_t (*ExpandGroups12To16)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                  int32_t destinationStride, int32_t groups, int32_t height,
                                  const uint8_t* map);
    // Rows of 16-byte groups to 12-byte ones: output byte i of a group is its
    // input byte map[i] (each 0 to 15, -60 otherwise).
    int32_t (*PackGroups16To12)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                int32_t destinationStride, int32_t groups, int32_t height,
                                const uint8_t* map);
    // The eight luma bytes of each 12-byte Y41P group (bytes 1, 3, 5, 7, 8,
    // 9, 10 and 11), and back: eight greys to a Y41P group with chroma 128.
    int32_t (*Y41PToGrey)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t groups, int32_t height);
    int32_t (*GreyToY41P)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t groups, int32_t height);
    // BGR24ToYUY2 and BGRA32ToYUY2 with each 4-byte group's bytes rearranged
    // as PermuteGroups4 does (output byte i is YUY2 byte order[i], each 0 to
    // 3, -60 otherwise): UYVY and YVYU in one pass. A lone last pixel's two
    // bytes are bytes order[0] and order[1] of the group Y, U, Y, U of that
    // pixel (its luma and the lone-pixel U).
    int32_t (*BGR24ToPacked422)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                int32_t destinationStride, int32_t width, int32_t height,
                                const uint8_t* order);
    int32_t (*BGRA32ToPacked422)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                 int32_t destinationStride, int32_t width, int32_t height,
                                 const uint8_t* order);
    // BGR24 and BGRA32 pixels to whole Y41P groups (8 pixels each) in one
    // pass: each group picked from the YUY2 bytes BGR24ToYUY2 and
    // BGRA32ToYUY2 give its pixels (the chroma of its pairs 0 and 2).
    int32_t (*BGR24ToY41P)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t groups, int32_t height);
    int32_t (*BGRA32ToY41P)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t groups, int32_t height);
    // YVYU rows to BGR24 and BGRA32 in one pass, as UYVYToBGR24 and
    // UYVYToBGRA32 convert the same pixels in UYVY order (form A; a lone last
    // pixel reads its whole group).
    int32_t (*YVYUToBGR24)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height);
    int32_t (*YVYUToBGRA32)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha);
    // Whole Y41P groups (8 pixels each) to BGR24 and BGRA32 in one pass: each
    // group as YUY2ToBGR24 and YUY2ToBGRA32 convert its YUY2 form.
    int32_t (*Y41PToBGR24)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t groups, int32_t height);
    int32_t (*Y41PToBGRA32)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t groups, int32_t height, uint8_t alpha);
    // CopyPlane8 whose stores go past the processor's caches where it can:
    // for a large picture that another thread reads next, so that this
    // core neither reads the destination's old contents nor fills its cache
    // with it. The portable entry is CopyPlane8 itself.
    int32_t (*StreamPlane8)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t width, int32_t height);
    // DemosaicBayer's pixels as their grey (BGR24ToGrey's formula), one byte
    // a pixel; the border 0.
    int32_t (*DemosaicBayerGrey)(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                 int32_t destinationStride, int32_t width, int32_t height, int32_t phase,
                                 int32_t firstRow, int32_t rowCount);
};

// The portable reference variants; the yardstick for any faster table.
const KernelTable& PortableKernelTable();

// The table the routines use. Chosen once by SelectKernelTable and read on
// every call; a test may force a table with ForceKernelTable.
const KernelTable& ActiveKernelTable();

// The table of one processor level, 0 (portable) to 3 (SSE4.1); a level
// outside 0 to 3 is clamped. Only a level the processor has may be used.
const KernelTable& KernelTableForLevel(int32_t level);

// The level 3 table with the AVX2 variants in place of their SSE4.1 (or
// lower) entries; the level 3 table itself where a kernel has no AVX2
// variant. Only a processor with AVX2 (ProcessorHasAvx2) may use it.
const KernelTable& Avx2KernelTable();

// Picks the table for this processor's level (see CpuFeatures.h), lowered by
// the environment variable KORVEL_CPU_LEVEL; the AVX2 table at level 3 when
// ChooseAvx2 says so.
void SelectKernelTable();

// Replaces the active table (null restores the selection); for tests only.
void ForceKernelTable(const KernelTable* table);

}  // namespace kernels
