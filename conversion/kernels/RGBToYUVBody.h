// The vector body of the kernels from B, G, R (3-byte) and B, G, R, A (4-byte)
// pixels to YUY2, to 4:2:0 planes and to grey, written once over the vector
// widths of VectorOps.h: eight pixels a lane a step, the portable formulas in
// 32-bit lanes, so the bytes are the portable ones exactly.
//
// Each pixel's bytes become the 16-bit pairs (B, G) and (G, R), and every
// formula is two multiply-adds on them. The luma weight of green, 33030, does
// not fit the signed 16-bit multiplier, so green is weighed twice by 16515.
// The chroma of a pair or block is linear in its pixels: each pixel's share is
// formed, then the shares are summed (horizontally within a row, plainly
// across the two rows of a block) before the constant and the shift.
#pragma once

#include "conversion/kernels/ColourFormulas.h"
#include "conversion/kernels/PortableKernels.h"
#include "conversion/kernels/VectorOps.h"

namespace kernels {
namespace {

template <class V>
struct RGBToYUVConstants {
    typedef typename V::Reg Reg;
    Reg blueGreenFirst, greenRedFirst;    // the shuffles of pixels 0..3 of a lane's first load
    Reg blueGreenSecond, greenRedSecond;  // and of pixels 4..7 of its second load
    explicit RGBToYUVConstants(int bytesPerPixel) {
        // A 3-byte second load starts 8 bytes in, not 12, so it stays within
        // the step's 24 bytes: its pixels sit four bytes further into it.
        const int secondStart = bytesPerPixel == 3 ? 4 : 0;
        int8_t blueGreen[2][16];
        int8_t greenRed[2][16];
        for (int load = 0; load < 2; ++load) {
            const int start = load == 0 ? 0 : secondStart;
            for (int pixel = 0; pixel < 4; ++pixel) {
                const int at = start + bytesPerPixel * pixel;
                const int8_t lane[2][4] = {
                    {static_cast<int8_t>(at), -1, static_cast<int8_t>(at + 1), -1},
                    {static_cast<int8_t>(at + 1), -1, static_cast<int8_t>(at + 2), -1}};
                for (int byte = 0; byte < 4; ++byte) {
                    blueGreen[load][4 * pixel + byte] = lane[0][byte];
                    greenRed[load][4 * pixel + byte] = lane[1][byte];
                }
            }
        }
        blueGreenFirst = V::Bytes(blueGreen[0]);
        greenRedFirst = V::Bytes(greenRed[0]);
        blueGreenSecond = V::Bytes(blueGreen[1]);
        greenRedSecond = V::Bytes(greenRed[1]);
    }
};

// Four pixels as two registers of 16-bit pairs: (B, G) and (G, R) from 3-byte
// pixels (shuffled out), (B, R) and (G, A) from 4-byte ones (masked and
// shifted out, no shuffle needed). The weights below follow the pairing.
template <class V>
struct FourPixels {
    typename V::Reg first;
    typename V::Reg second;
};

// The weights of one formula on the two pairs.
struct PairWeights {
    int16_t first[2];
    int16_t second[2];
};

template <int BytesPerPixel>
struct FormulaWeights;
template <>
struct FormulaWeights<3> {
    // Green's luma weight 33030 is split as 16515 on each pair.
    static constexpr PairWeights kLuma = {{6423, 16515}, {16515, 16843}};
    static constexpr PairWeights kU = {{28770, -19071}, {0, -9699}};
    static constexpr PairWeights kV = {{-4653, -24117}, {0, 28770}};
    static constexpr PairWeights kGrey = {{467, 2404}, {0, 1225}};
};
template <>
struct FormulaWeights<4> {
    // Green's luma weight 33030 is applied as 16515 twice; alpha weighs nothing.
    static constexpr PairWeights kLuma = {{6423, 16843}, {16515, 0}};
    static constexpr PairWeights kU = {{28770, -9699}, {-19071, 0}};
    static constexpr PairWeights kV = {{-4653, 28770}, {-24117, 0}};
};

// The eight pixels of each lane at 'in'; 'laneBytes' is the distance between lanes.
template <class V, int BytesPerPixel>
inline void LoadEight(const RGBToYUVConstants<V>& k, const uint8_t* in, ptrdiff_t laneBytes,
                      FourPixels<V>* first, FourPixels<V>* second) {
    const typename V::Reg low = V::Load(in, laneBytes);
    const typename V::Reg high = V::Load(in + (BytesPerPixel == 3 ? 8 : 16), laneBytes);
    if (BytesPerPixel == 3) {
        first->first = V::Shuffle8(low, k.blueGreenFirst);
        first->second = V::Shuffle8(low, k.greenRedFirst);
        second->first = V::Shuffle8(high, k.blueGreenSecond);
        second->second = V::Shuffle8(high, k.greenRedSecond);
    } else {
        const typename V::Reg lowBytes = V::Set16(0x00FF);
        first->first = V::And(low, lowBytes);
        first->second = V::template ShiftRight16<8>(low);
        second->first = V::And(high, lowBytes);
        second->second = V::template ShiftRight16<8>(high);
    }
}

// The weighted sum of four pixels in 32-bit lanes.
template <class V>
inline typename V::Reg Weigh(const FourPixels<V>& pixels, const PairWeights& weights) {
    return V::Add32(V::MultiplyAdd16(pixels.first, V::Pair16(weights.first[0], weights.first[1])),
                    V::MultiplyAdd16(pixels.second, V::Pair16(weights.second[0], weights.second[1])));
}

// Luma of four pixels in 32-bit lanes: (16843 R + 33030 G + 6423 B + 1081344) >> 16.
template <class V, int BytesPerPixel>
inline typename V::Reg LumaOfFour(const FourPixels<V>& pixels) {
    typedef FormulaWeights<BytesPerPixel> W;
    typename V::Reg sum = Weigh<V>(pixels, W::kLuma);
    if (BytesPerPixel == 4) {
        sum = V::Add32(sum, V::MultiplyAdd16(pixels.second, V::Pair16(W::kLuma.second[0], 0)));
    }
    return V::template ShiftRightArithmetic32<16>(V::Add32(sum, V::Set32(1081344)));
}

// Each pixel's share of U (28770 B - 19071 G - 9699 R) and of V (28770 R - 24117 G - 4653 B).
template <class V, int BytesPerPixel>
inline typename V::Reg UShare(const FourPixels<V>& pixels) {
    return Weigh<V>(pixels, FormulaWeights<BytesPerPixel>::kU);
}
template <class V, int BytesPerPixel>
inline typename V::Reg VShare(const FourPixels<V>& pixels) {
    return Weigh<V>(pixels, FormulaWeights<BytesPerPixel>::kV);
}

// Eight luma values of 32-bit lanes to bytes in the low eight bytes.
template <class V>
inline typename V::Reg LumaBytes(typename V::Reg low, typename V::Reg high) {
    return V::PackUnsigned16(V::PackSigned32(low, high), V::Zero());
}

// The YUY2 bytes of the eight pixels of each lane at 'in' (lanes
// 8 * BytesPerPixel bytes apart).
template <class V, int BytesPerPixel>
inline typename V::Reg YUY2OfEight(const RGBToYUVConstants<V>& k, const uint8_t* in) {
    typedef typename V::Reg Reg;
    FourPixels<V> first;
    FourPixels<V> second;
    LoadEight<V, BytesPerPixel>(k, in, 8 * BytesPerPixel, &first, &second);
    const Reg chromaConstant = V::Set32(16793600);
    const Reg luma =
        V::PackSigned32(LumaOfFour<V, BytesPerPixel>(first), LumaOfFour<V, BytesPerPixel>(second));
    const Reg u = V::template ShiftRightArithmetic32<17>(
        V::Add32(V::HorizontalAdd32(UShare<V, BytesPerPixel>(first), UShare<V, BytesPerPixel>(second)),
                 chromaConstant));
    const Reg v = V::template ShiftRightArithmetic32<17>(
        V::Add32(V::HorizontalAdd32(VShare<V, BytesPerPixel>(first), VShare<V, BytesPerPixel>(second)),
                 chromaConstant));
    const Reg chroma = V::Or(u, V::template ShiftLeft32<16>(v));  // 16-bit (U, V) pairs
    return V::PackUnsigned16(V::InterleaveLow16(luma, chroma), V::InterleaveHigh16(luma, chroma));
}

// YUY2 groups; with an order, each group rearranged by it (PermuteGroups4's
// meaning) before it is stored.
template <class V, int BytesPerPixel>
int32_t ToYUY2Vector(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                     int32_t destinationStride, int32_t width, int32_t height, const uint8_t* order = nullptr,
                     bool ordered = false) {
    typedef typename V::Reg Reg;
    if (source == nullptr || destination == nullptr || (ordered && order == nullptr)) {
        return kNullPointer;
    }
    if (width < 2 || height < 1) {
        return kBelowMinimumSize;
    }
    int8_t mask[16];
    for (int byte = 0; byte < 16; ++byte) {
        mask[byte] = static_cast<int8_t>(byte);
    }
    if (ordered) {
        if (order[0] > 3 || order[1] > 3 || order[2] > 3 || order[3] > 3) {
            return kBadChannelIndex;
        }
        for (int byte = 0; byte < 16; ++byte) {
            mask[byte] = static_cast<int8_t>((byte & ~3) + order[byte & 3]);
        }
    }
    const Reg permute = V::Bytes(mask);
    constexpr int kStep = 8 * V::kLanes;
    const int32_t columns = VectorColumns(width, kStep);
    const RGBToYUVConstants<V> k(BytesPerPixel);
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t x = 0; x < columns; x += kStep) {
            Reg packed = YUY2OfEight<V, BytesPerPixel>(k, in + BytesPerPixel * x);
            if (ordered) {
                packed = V::Shuffle8(packed, permute);
            }
            V::Store(out + 2 * x, 16, packed);
        }
    }
    if (columns < width) {
        const uint8_t* rest = source + BytesPerPixel * columns;
        if (ordered) {
            if (BytesPerPixel == 3) {
                BGR24ToPacked422_Portable(rest, sourceStride, destination + 2 * columns, destinationStride,
                                          width - columns, height, order);
            } else {
                BGRA32ToPacked422_Portable(rest, sourceStride, destination + 2 * columns, destinationStride,
                                           width - columns, height, order);
            }
        } else if (BytesPerPixel == 3) {
            BGR24ToYUY2_Portable(rest, sourceStride, destination + 2 * columns, destinationStride,
                                 width - columns, height);
        } else {
            BGRA32ToYUY2_Portable(rest, sourceStride, destination + 2 * columns, destinationStride,
                                  width - columns, height);
        }
    }
    return kSuccess;
}

// Whole Y41P groups of 8 pixels: each lane's YUY2 bytes shuffled into the
// group's 12 and stored 16 bytes wide, the 4 spare bytes overwritten by the
// next group. The vector walk leaves at least the last group of a row to
// the portable kernel, so no store reaches past a row.
template <class V, int BytesPerPixel>
int32_t ToY41PVector(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                     int32_t destinationStride, int32_t groups, int32_t height) {
    typedef typename V::Reg Reg;
    if (const int32_t status = PictureStatus(source, destination, groups, height)) {
        return status;
    }
    int8_t pick[16];
    for (int byte = 0; byte < 16; ++byte) {
        pick[byte] = static_cast<int8_t>(byte < 12 ? kYUY2ToY41PBytes[byte] : -1);
    }
    const Reg toY41P = V::Bytes(pick);
    constexpr int kStep = V::kLanes;  // groups
    const int32_t vectorGroups = (groups - 1) / kStep * kStep;
    const RGBToYUVConstants<V> k(BytesPerPixel);
    for (int32_t row = 0; row < height && vectorGroups > 0; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t group = 0; group < vectorGroups; group += kStep) {
            const Reg packed = YUY2OfEight<V, BytesPerPixel>(k, in + 8 * BytesPerPixel * group);
            V::Store(out + 12 * group, 12, V::Shuffle8(packed, toY41P));
        }
    }
    const uint8_t* rest = source + 8 * BytesPerPixel * vectorGroups;
    if (BytesPerPixel == 3) {
        BGR24ToY41P_Portable(rest, sourceStride, destination + 12 * vectorGroups, destinationStride,
                             groups - vectorGroups, height);
    } else {
        BGRA32ToY41P_Portable(rest, sourceStride, destination + 12 * vectorGroups, destinationStride,
                              groups - vectorGroups, height);
    }
    return kSuccess;
}

// planes are in memory order; uIndex says which of planes 1 and 2 takes U.
template <class V, int BytesPerPixel>
int32_t ToPlanar420Vector(const uint8_t* source, int32_t sourceStride, Planes destinations,
                          PlaneStrides destinationStrides, int32_t width, int32_t height, int uIndex) {
    typedef typename V::Reg Reg;
    if (source == nullptr || destinations == nullptr || destinationStrides == nullptr ||
        destinations[0] == nullptr || destinations[1] == nullptr || destinations[2] == nullptr) {
        return kNullPointer;
    }
    if (width < 2 || height < 2) {
        return kBelowMinimumSize;
    }
    constexpr int kStep = 8 * V::kLanes;
    const int vIndex = 3 - uIndex;
    const int32_t columns = VectorColumns(width, kStep);
    const int32_t blocksDown = height / 2;
    const RGBToYUVConstants<V> k(BytesPerPixel);
    const Reg chromaConstant = V::Set32(33587200);
    for (int32_t block = 0; block < blocksDown; ++block) {
        const uint8_t* top = RowAt(source, sourceStride, 2 * block);
        const uint8_t* bottom = RowAt(source, sourceStride, 2 * block + 1);
        uint8_t* lumaTop = RowAt(destinations[0], destinationStrides[0], 2 * block);
        uint8_t* lumaBottom = RowAt(destinations[0], destinationStrides[0], 2 * block + 1);
        uint8_t* u = RowAt(destinations[uIndex], destinationStrides[uIndex], block);
        uint8_t* v = RowAt(destinations[vIndex], destinationStrides[vIndex], block);
        for (int32_t x = 0; x < columns; x += kStep) {
            FourPixels<V> topFirst;
            FourPixels<V> topSecond;
            FourPixels<V> bottomFirst;
            FourPixels<V> bottomSecond;
            LoadEight<V, BytesPerPixel>(k, top + BytesPerPixel * x, 8 * BytesPerPixel, &topFirst, &topSecond);
            LoadEight<V, BytesPerPixel>(k, bottom + BytesPerPixel * x, 8 * BytesPerPixel, &bottomFirst,
                                        &bottomSecond);
            V::Store8(lumaTop + x, 8,
                      LumaBytes<V>(LumaOfFour<V, BytesPerPixel>(topFirst),
                                   LumaOfFour<V, BytesPerPixel>(topSecond)));
            V::Store8(lumaBottom + x, 8,
                      LumaBytes<V>(LumaOfFour<V, BytesPerPixel>(bottomFirst),
                                   LumaOfFour<V, BytesPerPixel>(bottomSecond)));
            const Reg uSum = V::HorizontalAdd32(
                V::Add32(UShare<V, BytesPerPixel>(topFirst), UShare<V, BytesPerPixel>(bottomFirst)),
                V::Add32(UShare<V, BytesPerPixel>(topSecond), UShare<V, BytesPerPixel>(bottomSecond)));
            const Reg vSum = V::HorizontalAdd32(
                V::Add32(VShare<V, BytesPerPixel>(topFirst), VShare<V, BytesPerPixel>(bottomFirst)),
                V::Add32(VShare<V, BytesPerPixel>(topSecond), VShare<V, BytesPerPixel>(bottomSecond)));
            const Reg uBlocks = V::template ShiftRightArithmetic32<18>(V::Add32(uSum, chromaConstant));
            const Reg vBlocks = V::template ShiftRightArithmetic32<18>(V::Add32(vSum, chromaConstant));
            const Reg chroma = LumaBytes<V>(uBlocks, vBlocks);  // U0..U3 then V0..V3
            V::Store4(u + x / 2, 4, chroma);
            V::Store4(v + x / 2, 4, V::template ShiftRightBytes<4>(chroma));
        }
    }
    if (columns < width) {
        uint8_t* const rest[3] = {destinations[0] + columns, destinations[1] + columns / 2,
                                  destinations[2] + columns / 2};
        const uint8_t* in = source + BytesPerPixel * columns;
        if (BytesPerPixel == 3) {
            if (uIndex == 1) {
                BGR24ToPlanar420I420_Portable(in, sourceStride, rest, destinationStrides, width - columns,
                                              height);
            } else {
                BGR24ToPlanar420YV12_Portable(in, sourceStride, rest, destinationStrides, width - columns,
                                              height);
            }
        } else if (uIndex == 1) {
            BGRA32ToPlanar420I420_Portable(in, sourceStride, rest, destinationStrides, width - columns,
                                           height);
        } else {
            BGRA32ToPlanar420YV12_Portable(in, sourceStride, rest, destinationStrides, width - columns,
                                           height);
        }
    }
    return ((width | height) & 1) != 0 ? kOddSizeConverted : kSuccess;
}

// Grey, (1225 R + 2404 G + 467 B) >> 12, of 3-byte pixels in 32-bit lanes.
template <class V>
int32_t BGR24ToGreyVector(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height) {
    if (const int32_t status = PictureStatus(source, destination, width, height)) {
        return status;
    }
    constexpr int kStep = 8 * V::kLanes;
    const int32_t columns = width / kStep * kStep;
    const RGBToYUVConstants<V> k(3);
    auto greyOfFour = [](const FourPixels<V>& pixels) {
        return V::template ShiftRightArithmetic32<12>(Weigh<V>(pixels, FormulaWeights<3>::kGrey));
    };
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t x = 0; x < columns; x += kStep) {
            FourPixels<V> first;
            FourPixels<V> second;
            LoadEight<V, 3>(k, in + 3 * x, 24, &first, &second);
            V::Store8(out + x, 8, LumaBytes<V>(greyOfFour(first), greyOfFour(second)));
        }
    }
    if (columns < width) {
        BGR24ToGrey_Portable(source + 3 * columns, sourceStride, destination + columns, destinationStride,
                             width - columns, height);
    }
    return kSuccess;
}

// Grey of 4-byte pixels, the same formula exactly but in 16-bit lanes, on
// its weights split as 64 h + l (ColourFormulas.h): byte multiply-adds on the
// pairs (B, G) and (R, A), then one horizontal add for each half. (Spreading 3-byte pixels to four bytes for
// this measured slower than their 32-bit lanes above.)
template <class V>
int32_t BGRA32ToGreyVector(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height) {
    typedef typename V::Reg Reg;
    if (const int32_t status = PictureStatus(source, destination, width, height)) {
        return status;
    }
    constexpr int kStep = 16 * V::kLanes;  // four loads of four pixels a lane
    const int32_t columns = width / kStep * kStep;
    const auto weights = [](const formulas::GreyWeights& split) {
        return V::Set32(static_cast<int32_t>(static_cast<uint8_t>(split.b) | uint32_t(uint8_t(split.g)) << 8 |
                                             uint32_t(uint8_t(split.r)) << 16));
    };
    const Reg high = weights(formulas::kGreyHigh);  // B, G, R, A bytes; alpha weighs nothing
    const Reg low = weights(formulas::kGreyLow);
    // The greys of two loads' pixels as 16-bit values.
    const auto greys = [&](const uint8_t* at) {
        const Reg first = V::Load(at, 16);
        const Reg second = V::Load(at + 16 * V::kLanes, 16);
        const Reg sumHigh =
            V::HorizontalAdd16(V::MultiplyAddBytes(first, high), V::MultiplyAddBytes(second, high));
        const Reg sumLow =
            V::HorizontalAdd16(V::MultiplyAddBytes(first, low), V::MultiplyAddBytes(second, low));
        return V::template ShiftRight16<6>(V::Add16(sumHigh, V::template ShiftRight16<6>(sumLow)));
    };
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t x = 0; x < columns; x += kStep) {
            const uint8_t* at = in + 4 * x;
            const Reg packed = V::PackUnsigned16(greys(at), greys(at + 32 * V::kLanes));
            V::Store(out + x, 16, V::OrderPackedQuarters(packed));
        }
    }
    if (columns < width) {
        BGRA32ToGrey_Portable(source + 4 * columns, sourceStride, destination + columns, destinationStride,
                              width - columns, height);
    }
    return kSuccess;
}

}  // namespace
}  // namespace kernels
