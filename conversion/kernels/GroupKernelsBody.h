// The vector body of the kernels that rearrange fixed-size byte groups: 4-byte
// groups in place of one another (the packed 4:2:2 orders), 12-byte groups to
// 16-byte ones and back (BGR24 and BGRA32 pixels four at a time, Y41P and
// packed 4:2:2 groups of eight pixels), written once over the vector widths of
// VectorOps.h. They only move bytes, so the result is the portable one by
// construction; the columns after the last whole step go through the portable
// kernels.
#pragma once

#include "conversion/kernels/PortableKernels.h"
#include "conversion/kernels/VectorOps.h"

namespace kernels {
namespace {

// 4-byte groups rearranged by one shuffle, four groups a lane, two registers
// a step.
template <class V>
int32_t PermuteGroups4Vector(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t groups, int32_t height, const uint8_t* order) {
    typedef typename V::Reg Reg;
    if (source == nullptr || destination == nullptr || order == nullptr) {
        return kNullPointer;
    }
    if (groups < 1 || height < 1) {
        return kBelowMinimumSize;
    }
    if (order[0] > 3 || order[1] > 3 || order[2] > 3 || order[3] > 3) {
        return kBadChannelIndex;
    }
    int8_t mask[16];
    for (int byte = 0; byte < 16; ++byte) {
        mask[byte] = static_cast<int8_t>((byte & ~3) + order[byte & 3]);
    }
    const Reg permute = V::Bytes(mask);
    constexpr int kStep = 8 * V::kLanes;  // groups
    const int32_t columns = groups / kStep * kStep;
    for (int32_t row = 0; row < height && columns > 0; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t group = 0; group < columns; group += kStep) {
            // The shuffle stays within each 16-byte lane, so the groups go
            // back where they came from without any exchange of lanes.
            const Reg first = V::Load(in + 4 * group, 16);
            const Reg second = V::Load(in + 4 * group + 16 * V::kLanes, 16);
            V::Store(out + 4 * group, 16, V::Shuffle8(first, permute));
            V::Store(out + 4 * group + 16 * V::kLanes, 16, V::Shuffle8(second, permute));
        }
    }
    if (columns < groups) {
        PermuteGroups4_Portable(source + 4 * columns, sourceStride, destination + 4 * columns, destinationStride,
                                groups - columns, height, order);
    }
    return kSuccess;
}

// Rows of 12-byte groups to 16-byte ones, four groups a lane a step: four
// overlapping 16-byte loads at bytes 0, 12, 24 and 32 of the lane's 48 each
// hold one whole group, which one shuffle maps; output bytes mapped to -1 take
// the byte of 'fill'. Walks the whole steps of each row and returns how many
// groups that is; the caller converts the rest.
template <class V>
int32_t ExpandRows12To16(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t groups, int32_t height, const int8_t (&map)[16],
                         typename V::Reg fill) {
    typedef typename V::Reg Reg;
    static const int kLoadAt[4] = {0, 12, 24, 32};
    Reg masks[4];
    for (int part = 0; part < 4; ++part) {
        int8_t mask[16];
        for (int byte = 0; byte < 16; ++byte) {
            mask[byte] = map[byte] < 0 ? -1 : static_cast<int8_t>(12 * part - kLoadAt[part] + map[byte]);
        }
        masks[part] = V::Bytes(mask);
    }
    constexpr int kStep = 4 * V::kLanes;
    const int32_t columns = groups / kStep * kStep;
    for (int32_t row = 0; row < height && columns > 0; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t group = 0; group < columns; group += kStep) {
            const uint8_t* from = in + 12 * group;
            uint8_t* to = out + 16 * group;
            for (int part = 0; part < 4; ++part) {
                const Reg mapped = V::Shuffle8(V::Load(from + kLoadAt[part], 48), masks[part]);
                V::Store(to + 16 * part, 64, V::Or(mapped, fill));
            }
        }
    }
    return columns;
}

// Rows of 16-byte groups to 12-byte ones, four groups a lane a step: each
// input register's twelve bytes are placed by two shuffles where they fall in
// the three output registers, which are then joined. Returns the groups
// walked, as ExpandRows12To16.
template <class V>
int32_t PackRows16To12(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                       int32_t destinationStride, int32_t groups, int32_t height, const uint8_t (&map)[12]) {
    typedef typename V::Reg Reg;
    // Byte c (0..11) of input register r's share is output byte 12 r + c of
    // the step; for output register o it sits at 12 r + c - 16 o when that lies
    // in 0..15. masks[r][k] builds input r's share of output register r - 1 + k.
    Reg masks[4][2];
    for (int r = 0; r < 4; ++r) {
        for (int k = 0; k < 2; ++k) {
            const int o = r == 0 ? 0 : r - 1 + k;
            int8_t mask[16];
            for (int byte = 0; byte < 16; ++byte) {
                const int c = 16 * o + byte - 12 * r;
                mask[byte] = c >= 0 && c < 12 ? static_cast<int8_t>(map[c]) : -1;
            }
            masks[r][k] = V::Bytes(mask);
        }
    }
    constexpr int kStep = 4 * V::kLanes;
    const int32_t columns = groups / kStep * kStep;
    for (int32_t row = 0; row < height && columns > 0; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t group = 0; group < columns; group += kStep) {
            const uint8_t* from = in + 16 * group;
            uint8_t* to = out + 12 * group;
            const Reg g0 = V::Load(from, 64);
            const Reg g1 = V::Load(from + 16, 64);
            const Reg g2 = V::Load(from + 32, 64);
            const Reg g3 = V::Load(from + 48, 64);
            V::Store(to, 48, V::Or(V::Shuffle8(g0, masks[0][0]), V::Shuffle8(g1, masks[1][0])));
            V::Store(to + 16, 48, V::Or(V::Shuffle8(g1, masks[1][1]), V::Shuffle8(g2, masks[2][0])));
            V::Store(to + 32, 48, V::Or(V::Shuffle8(g2, masks[2][1]), V::Shuffle8(g3, masks[3][0])));
        }
    }
    return columns;
}

// 3-byte pixels to 4-byte ones: four pixels are one 12-byte group.
template <class V>
int32_t BGR24ToBGRA32Vector(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha) {
    if (const int32_t status = PictureStatus(source, destination, width, height)) {
        return status;
    }
    static const int8_t kMap[16] = {0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1};
    const int32_t columns =
        4 * ExpandRows12To16<V>(source, sourceStride, destination, destinationStride, width / 4, height, kMap,
                                V::Set32(static_cast<int32_t>(static_cast<uint32_t>(alpha) << 24)));
    if (columns < width) {
        BGR24ToBGRA32_Portable(source + 3 * columns, sourceStride, destination + 4 * columns,
                               destinationStride, width - columns, height, alpha);
    }
    return kSuccess;
}

// 4-byte pixels to their first three bytes: four pixels are one 16-byte group.
template <class V>
int32_t BGRA32ToBGR24Vector(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t width, int32_t height) {
    if (const int32_t status = PictureStatus(source, destination, width, height)) {
        return status;
    }
    static const uint8_t kMap[12] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14};
    const int32_t columns =
        4 * PackRows16To12<V>(source, sourceStride, destination, destinationStride, width / 4, height, kMap);
    if (columns < width) {
        BGRA32ToBGR24_Portable(source + 4 * columns, sourceStride, destination + 3 * columns,
                               destinationStride, width - columns, height);
    }
    return kSuccess;
}

// 12-byte groups to 16-byte ones through a byte map.
template <class V>
int32_t ExpandGroups12To16Vector(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                 int32_t destinationStride, int32_t groups, int32_t height, const uint8_t* map) {
    if (source == nullptr || destination == nullptr || map == nullptr) {
        return kNullPointer;
    }
    if (groups < 1 || height < 1) {
        return kBelowMinimumSize;
    }
    int8_t checked[16];
    for (int byte = 0; byte < 16; ++byte) {
        if (map[byte] >= 12) {
            return kBadChannelIndex;
        }
        checked[byte] = static_cast<int8_t>(map[byte]);
    }
    const int32_t columns = ExpandRows12To16<V>(source, sourceStride, destination, destinationStride, groups,
                                                height, checked, V::Zero());
    if (columns < groups) {
        ExpandGroups12To16_Portable(source + 12 * columns, sourceStride, destination + 16 * columns,
                                    destinationStride, groups - columns, height, map);
    }
    return kSuccess;
}

// 16-byte groups to 12-byte ones through a byte map.
template <class V>
int32_t PackGroups16To12Vector(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                               int32_t destinationStride, int32_t groups, int32_t height, const uint8_t* map) {
    if (source == nullptr || destination == nullptr || map == nullptr) {
        return kNullPointer;
    }
    if (groups < 1 || height < 1) {
        return kBelowMinimumSize;
    }
    uint8_t checked[12];
    for (int byte = 0; byte < 12; ++byte) {
        if (map[byte] >= 16) {
            return kBadChannelIndex;
        }
        checked[byte] = map[byte];
    }
    const int32_t columns =
        PackRows16To12<V>(source, sourceStride, destination, destinationStride, groups, height, checked);
    if (columns < groups) {
        PackGroups16To12_Portable(source + 16 * columns, sourceStride, destination + 12 * columns,
                                  destinationStride, groups - columns, height, map);
    }
    return kSuccess;
}

// Y41P luma, four groups a lane a step: overlapping loads at bytes 0, 12, 24
// and 32 of the lane's 48 each hold one group, whose eight luma bytes one
// shuffle puts in the low or the high half of an output register.
template <class V>
int32_t Y41PToGreyVector(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t groups, int32_t height) {
    typedef typename V::Reg Reg;
    if (const int32_t status = PictureStatus(source, destination, groups, height)) {
        return status;
    }
    static const int kLoadAt[4] = {0, 12, 24, 32};
    Reg masks[4];
    for (int part = 0; part < 4; ++part) {
        int8_t mask[16];
        for (int byte = 0; byte < 16; ++byte) {
            const bool mine = byte / 8 == part % 2;
            mask[byte] = mine ? static_cast<int8_t>(12 * part - kLoadAt[part] + kY41PLumaBytes[byte % 8]) : -1;
        }
        masks[part] = V::Bytes(mask);
    }
    constexpr int kStep = 4 * V::kLanes;
    const int32_t columns = groups / kStep * kStep;
    for (int32_t row = 0; row < height && columns > 0; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t group = 0; group < columns; group += kStep) {
            const uint8_t* from = in + 12 * group;
            uint8_t* to = out + 8 * group;
            for (int half = 0; half < 2; ++half) {
                const Reg low = V::Shuffle8(V::Load(from + kLoadAt[2 * half], 48), masks[2 * half]);
                const Reg high = V::Shuffle8(V::Load(from + kLoadAt[2 * half + 1], 48), masks[2 * half + 1]);
                V::Store(to + 16 * half, 32, V::Or(low, high));
            }
        }
    }
    if (columns < groups) {
        Y41PToGrey_Portable(source + 12 * columns, sourceStride, destination + 8 * columns, destinationStride,
                            groups - columns, height);
    }
    return kSuccess;
}

// Greys to Y41P groups with chroma 128, four groups a lane a step: the 32
// greys of two input registers fill three output registers, each output byte
// taken by one of two shuffles or, at a chroma position, from the constant.
template <class V>
int32_t GreyToY41PVector(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                         int32_t destinationStride, int32_t groups, int32_t height) {
    typedef typename V::Reg Reg;
    if (const int32_t status = PictureStatus(source, destination, groups, height)) {
        return status;
    }
    // Output byte k of the 48 is byte k % 12 of group k / 12: a luma byte
    // comes from grey 8 * (k / 12) + its pixel, which input register
    // (k / 12) / 2 holds at 8 * ((k / 12) % 2) + pixel.
    Reg fromInput[3][2];
    Reg chroma[3];
    for (int o = 0; o < 3; ++o) {
        int8_t masks[2][16];
        int8_t neutral[16];
        for (int byte = 0; byte < 16; ++byte) {
            const int k = 16 * o + byte;
            const int group = k / 12;
            const int position = k % 12;
            int pixel = -1;
            for (int p = 0; p < 8; ++p) {
                if (kY41PLumaBytes[p] == position) {
                    pixel = p;
                }
            }
            masks[0][byte] = -1;
            masks[1][byte] = -1;
            neutral[byte] = pixel < 0 ? static_cast<int8_t>(-128) : 0;
            if (pixel >= 0) {
                masks[group / 2][byte] = static_cast<int8_t>(8 * (group % 2) + pixel);
            }
        }
        fromInput[o][0] = V::Bytes(masks[0]);
        fromInput[o][1] = V::Bytes(masks[1]);
        chroma[o] = V::Bytes(neutral);
    }
    constexpr int kStep = 4 * V::kLanes;
    const int32_t columns = groups / kStep * kStep;
    for (int32_t row = 0; row < height && columns > 0; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t group = 0; group < columns; group += kStep) {
            const uint8_t* from = in + 8 * group;
            uint8_t* to = out + 12 * group;
            const Reg first = V::Load(from, 32);
            const Reg second = V::Load(from + 16, 32);
            for (int o = 0; o < 3; ++o) {
                const Reg bytes = V::Or(V::Shuffle8(first, fromInput[o][0]), V::Shuffle8(second, fromInput[o][1]));
                V::Store(to + 16 * o, 48, V::Or(bytes, chroma[o]));
            }
        }
    }
    if (columns < groups) {
        GreyToY41P_Portable(source + 8 * columns, sourceStride, destination + 12 * columns, destinationStride,
                            groups - columns, height);
    }
    return kSuccess;
}

}  // namespace
}  // namespace kernels
