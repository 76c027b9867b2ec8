// Helpers the routine files share: plane geometry of 4:2:0 pictures, scratch
// reservation, and the byte rearrangements between the packed YUV layouts that
// need no arithmetic.
#pragma once

#include <cstdint>

#include "conversion/PortableTypes.h"
#include "conversion/ScratchBuffers.h"

namespace routines {
namespace support {

// Logical planes of a three-plane 4:2:0 picture.
struct PlanarPlanes {
    uint8_t* y;
    uint8_t* u;
    uint8_t* v;
    int32_t lumaStride;
    int32_t chromaStride;
};

// The planes of a picture whose luma rows are |stride| bytes and whose chroma
// planes ((|stride| / 2) x (height / 2)) follow the luma plane in memory, V
// first for YV12. A negative stride walks every plane from its last row, the
// pointer addressing the last luma row: that is how a flipped planar
// destination is written.
PlanarPlanes LocatePlanes(uint8_t* picture, int32_t stride, int32_t height, bool yv12Order);
inline PlanarPlanes LocatePlanes(const uint8_t* picture, int32_t stride, int32_t height, bool yv12Order) {
    return LocatePlanes(const_cast<uint8_t*>(picture), stride, height, yv12Order);
}

// S_OK for a kernel that ran (also on the odd-size status), E_FAIL for a refusal.
inline HRESULT FromKernel(int32_t status) {
    return status < 0 ? E_FAIL : S_OK;
}

// Bytes of a packed 4:2:2 row: whole two-pixel groups.
inline int64_t PackedRowBytes(int32_t width) {
    return (static_cast<int64_t>(width) + 1) / 2 * 4;
}

// Rows of a strip that a two-pass routine converts while it is still in the
// cache: an even number (4:2:0 works on row pairs) of rows of rowBytes that fit
// in about 96 KB, between 2 and 64.
inline int32_t StripRows(int64_t rowBytes) {
    const int64_t rows = rowBytes > 0 ? 98304 / rowBytes : 64;
    return rows < 2 ? 2 : rows > 64 ? 64 : static_cast<int32_t>(rows & ~int64_t{1});
}

// A scratch picture of rowLength x height bytes, or null when it cannot be had
// (no scratch, a row too long for a 32-bit stride, or no memory).
uint8_t* ReserveScratch(ScratchBuffers* scratch, int slot, int64_t rowLength, int32_t height);

// Strip by strip for 4:2:0 pictures: step(firstRow, rows) for each strip of
// stripRows rows from the top, so every strip starts on an even row; a last
// odd row joins the strip before it, so no strip is a single row unless the
// picture is. Stops at the first failure.
template <class Step>
HRESULT ForEachStrip(int32_t height, int32_t stripRows, const Step& step) {
    for (int32_t firstRow = 0; firstRow < height;) {
        const int32_t left = height - firstRow;
        const int32_t rows = left <= stripRows + 1 ? left : stripRows;
        const HRESULT result = step(firstRow, rows);
        if (FAILED(result)) {
            return result;
        }
        firstRow += rows;
    }
    return S_OK;
}

// The scratch for ForEachStrip's tallest strip, rows of rowBytes, or null.
inline uint8_t* ReserveStripScratch(ScratchBuffers* scratch, int slot, int64_t rowBytes, int32_t stripRows,
                                    int32_t height) {
    return ReserveScratch(scratch, slot, rowBytes, height <= stripRows + 1 ? height : stripRows + 1);
}

// A packed 4:2:2 strip in the packed slot for a picture of this width and
// height: its buffer (null when it cannot be had), stride and rows.
struct PackedStrip {
    uint8_t* buffer;
    int32_t stride;
    int32_t rows;
};
inline PackedStrip ReservePackedStrip(ScratchBuffers* scratch, int32_t width, int32_t height) {
    const int64_t rowBytes = PackedRowBytes(width);
    const int32_t rows = StripRows(rowBytes);
    return PackedStrip{ReserveStripScratch(scratch, ScratchBuffers::kPackedSlot, rowBytes, rows, height),
                       static_cast<int32_t>(rowBytes), rows};
}

// Byte offsets of the first luma, U, second luma and V inside a 4-byte group.
struct GroupOrder {
    int firstLuma;
    int u;
    int secondLuma;
    int v;
};
constexpr GroupOrder kUYVYGroup = {1, 0, 3, 2};
constexpr GroupOrder kYUY2Group = {0, 1, 2, 3};
constexpr GroupOrder kYVYUGroup = {0, 3, 2, 1};

// The byte order that rearranges groups of order 'from' into order 'to', as
// PermuteGroups4 and the RGB to packed 4:2:2 kernels take it.
void GroupPermutation(GroupOrder from, GroupOrder to, uint8_t order[4]);

// Packed 4:2:2 to packed 4:2:2 in another byte order. A lone last pixel of an
// odd width gets the first two bytes of its group in the destination order.
void Reorder422(const uint8_t* source, int32_t sourceStride, GroupOrder from, uint8_t* destination,
                int32_t destinationStride, GroupOrder to, int32_t width, int32_t height);

// Y41P works on whole groups of 8 pixels (12 bytes): U0 Y0 V0 Y1 U4 Y2 V4 Y3 Y4
// Y5 Y6 Y7. A remainder of a row is left unwritten.
void Packed422ToY41P(const uint8_t* source, int32_t sourceStride, GroupOrder from, uint8_t* destination,
                     int32_t destinationStride, int32_t width, int32_t height);
void Y41PToPacked422(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                     int32_t destinationStride, GroupOrder to, int32_t width, int32_t height);
void Y41PToGrey(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
                int32_t width, int32_t height);
void GreyToY41P(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
                int32_t width, int32_t height);

// Grey to a packed 4:2:2 picture with chroma 128 (the way back is the
// Packed422ToGrey kernel).
void GreyToPacked422(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                     int32_t destinationStride, GroupOrder to, int32_t width, int32_t height);

}  // namespace support
}  // namespace routines
