// The vector body of the kernels from packed 4:2:2 and 4:2:0 planes to RGB
// pixels, written once over the vector widths of VectorOps.h. Each step
// converts eight pixels a lane with the portable formula forms in 32-bit
// lanes, so the bytes are the portable ones exactly.
//
// A coefficient c of a formula does not fit the signed 16-bit multiplier, so
// it is split as c = 8 * high + low (chroma) or c = 4 * high + low (luma) and
// applied as high * 8x + low * x, two multiply-adds whose sum is the exact
// product (the one on x is left out where low is zero). The chroma terms
// are formed once per pair of pixels, which both pixels share, the formula's
// constant folded in.
#pragma once

#include "conversion/kernels/PortableKernels.h"
#include "conversion/kernels/VectorOps.h"

namespace kernels {
namespace {

struct FormCoefficients {
    int32_t luma;   // times (y - lumaOffset)
    int32_t blueU;  // times (u - chromaOffset)
    int32_t greenU;
    int32_t greenV;
    int32_t redV;
    int32_t blueConstant;  // the formula's constants, rounding included
    int32_t greenConstant;
    int32_t redConstant;
    int16_t lumaOffset;
    int16_t chromaOffset;
};

// Form A (UYVY family), form B (YUY2 family, chroma unshifted), form C (4:2:0).
constexpr FormCoefficients kFormA = {76282, 132184, -25689, -53279, 104593, 32768, 32768, 32768, 16, 128};
constexpr FormCoefficients kFormB = {76284,     132186,  -25690,    -53281, 104595,
                                     -18140365, 8887730, -14608761, 0,      0};
constexpr FormCoefficients kFormC = {76284, 132186, -25690, -53281, 104595, 32768, 32768, 32768, 16, 128};

enum class RGBLayout { RGBTriplets, BGR24, BGRA32 };

template <class V>
struct YUVToRGBConstants {
    typedef typename V::Reg Reg;
    // Luma weights on 4y and on y, for the even and the odd pixels of the pairs.
    Reg evenHigh, evenLow, oddHigh, oddLow;
    bool lumaLow;                                                 // whether the weight on y is not zero
    Reg blueHigh, blueLow, greenHigh, greenLow, redHigh, redLow;  // on (8u, 8v) and (u, v)
    Reg blueConstant, greenConstant, redConstant;
    Reg lumaOffset, chromaOffset;
    Reg lowBytes, highHalves;
    explicit YUVToRGBConstants(const FormCoefficients& form)
        : evenHigh(V::Pair16(static_cast<int16_t>(form.luma / 4), 0)),
          evenLow(V::Pair16(static_cast<int16_t>(form.luma % 4), 0)),
          oddHigh(V::Pair16(0, static_cast<int16_t>(form.luma / 4))),
          oddLow(V::Pair16(0, static_cast<int16_t>(form.luma % 4))),
          lumaLow(form.luma % 4 != 0),
          blueHigh(V::Pair16(static_cast<int16_t>(form.blueU / 8), 0)),
          blueLow(V::Pair16(static_cast<int16_t>(form.blueU % 8), 0)),
          greenHigh(V::Pair16(static_cast<int16_t>(form.greenU / 8), static_cast<int16_t>(form.greenV / 8))),
          greenLow(V::Pair16(static_cast<int16_t>(form.greenU % 8), static_cast<int16_t>(form.greenV % 8))),
          redHigh(V::Pair16(0, static_cast<int16_t>(form.redV / 8))),
          redLow(V::Pair16(0, static_cast<int16_t>(form.redV % 8))),
          blueConstant(V::Set32(form.blueConstant)),
          greenConstant(V::Set32(form.greenConstant)),
          redConstant(V::Set32(form.redConstant)),
          lumaOffset(V::Set16(form.lumaOffset)),
          chromaOffset(V::Set16(form.chromaOffset)),
          lowBytes(V::Set16(0x00FF)),
          highHalves(V::Set32(static_cast<int32_t>(0xFFFF0000u))) {}
};

// The three channels of eight pixels, clamped to bytes: 'outer' holds blue
// (red for RGB triplets) bytes 0..7 then the other of the two, 'inner' green
// bytes 0..7 then the fourth bytes.
template <class V>
struct ColourBytes {
    typename V::Reg outer;
    typename V::Reg inner;
};

// Eight pixels a lane: 'luma' holds their Y and 'chroma' the (U, V) of their
// four pairs, all as 16-bit values. The luma terms are formed apart for the
// even and the odd pixels, so each sits in the 32-bit lane of its pair's
// chroma term; the sums' high halves are the shifted results, gathered back
// into pixel order as 16-bit values without a pack.
template <class V, RGBLayout Layout>
inline ColourBytes<V> ConvertEight(const YUVToRGBConstants<V>& k, typename V::Reg luma,
                                   typename V::Reg chroma, typename V::Reg fourth) {
    typedef typename V::Reg Reg;
    luma = V::Sub16(luma, k.lumaOffset);
    chroma = V::Sub16(chroma, k.chromaOffset);
    const Reg luma4 = V::template ShiftLeft16<2>(luma);
    Reg lumaEven = V::MultiplyAdd16(luma4, k.evenHigh);
    Reg lumaOdd = V::MultiplyAdd16(luma4, k.oddHigh);
    if (k.lumaLow) {
        lumaEven = V::Add32(lumaEven, V::MultiplyAdd16(luma, k.evenLow));
        lumaOdd = V::Add32(lumaOdd, V::MultiplyAdd16(luma, k.oddLow));
    }
    const Reg chroma8 = V::template ShiftLeft16<3>(chroma);
    const Reg blue = V::Add32(
        V::Add32(V::MultiplyAdd16(chroma8, k.blueHigh), V::MultiplyAdd16(chroma, k.blueLow)), k.blueConstant);
    const Reg green =
        V::Add32(V::Add32(V::MultiplyAdd16(chroma8, k.greenHigh), V::MultiplyAdd16(chroma, k.greenLow)),
                 k.greenConstant);
    const Reg red = V::Add32(
        V::Add32(V::MultiplyAdd16(chroma8, k.redHigh), V::MultiplyAdd16(chroma, k.redLow)), k.redConstant);
    // The high half of a 32-bit sum is the sum shifted right by 16 (rounded
    // towards minus infinity, as the portable shift), and every result fits
    // 16 bits; the unsigned pack then clamps to 0..255.
    auto channel = [&](Reg term) {
        return V::Or(V::template ShiftRightLogical32<16>(V::Add32(lumaEven, term)),
                     V::And(V::Add32(lumaOdd, term), k.highHalves));
    };
    const Reg b = channel(blue);
    const Reg g = channel(green);
    const Reg r = channel(red);
    ColourBytes<V> bytes;
    bytes.outer = Layout == RGBLayout::RGBTriplets ? V::PackUnsigned16(r, b) : V::PackUnsigned16(b, r);
    bytes.inner = V::PackUnsigned16(g, fourth);
    return bytes;
}

// Writes eight pixels a lane at 'out'; 'laneBytes' is the distance between lanes.
template <class V, RGBLayout Layout>
inline void StoreEight(uint8_t* out, ptrdiff_t laneBytes, const ColourBytes<V>& bytes) {
    typedef typename V::Reg Reg;
    const Reg firstSecond = V::InterleaveLow8(bytes.outer, bytes.inner);   // b g b g ...
    const Reg thirdFourth = V::InterleaveHigh8(bytes.outer, bytes.inner);  // r a r a ...
    if (Layout == RGBLayout::BGRA32) {
        // laneBytes is 32 here: the lanes' pixels follow one another.
        V::StorePair(out, V::InterleaveLow16(firstSecond, thirdFourth),
                     V::InterleaveHigh16(firstSecond, thirdFourth));
        return;
    }
    static const int8_t kFirstPairs[16] = {0, 1, -1, 2, 3, -1, 4, 5, -1, 6, 7, -1, 8, 9, -1, 10};
    static const int8_t kFirstThirds[16] = {-1, -1, 0, -1, -1, 2, -1, -1, 4, -1, -1, 6, -1, -1, 8, -1};
    static const int8_t kSecondPairs[16] = {11, -1, 12, 13, -1, 14, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    static const int8_t kSecondThirds[16] = {-1, 10, -1, -1, 12, -1, -1, 14, -1, -1, -1, -1, -1, -1, -1, -1};
    const Reg first = V::Or(V::Shuffle8(firstSecond, V::Bytes(kFirstPairs)),
                            V::Shuffle8(thirdFourth, V::Bytes(kFirstThirds)));
    const Reg second = V::Or(V::Shuffle8(firstSecond, V::Bytes(kSecondPairs)),
                             V::Shuffle8(thirdFourth, V::Bytes(kSecondThirds)));
    V::Store(out, laneBytes, first);
    V::Store8(out + 16, laneBytes, second);
}

template <RGBLayout Layout>
constexpr int PixelBytes() {
    return Layout == RGBLayout::BGRA32 ? 4 : 3;
}

// Packed 4:2:2 rows to RGB; the columns after the last whole step go through
// 'finish', the portable kernel of the same conversion. A YVYU source is
// shuffled into UYVY order in the register and converted as UYVY.
template <class V, RGBLayout Layout, bool UYVYOrder, bool YVYUSource = false, class Finish>
int32_t PackedToRGBVector(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha,
                          int32_t minimumWidth, const FormCoefficients& form, Finish finish) {
    typedef typename V::Reg Reg;
    if (source == nullptr || destination == nullptr) {
        return kNullPointer;
    }
    if (width < minimumWidth || height < 1) {
        return kBelowMinimumSize;
    }
    constexpr int kStep = 8 * V::kLanes;
    constexpr int kPixelBytes = PixelBytes<Layout>();
    const int32_t columns = VectorColumns(width, kStep);
    const YUVToRGBConstants<V> k(form);
    const Reg fourth = V::Set16(alpha);
    static const int8_t kYVYUToUYVY[16] = {3, 0, 1, 2, 7, 4, 5, 6, 11, 8, 9, 10, 15, 12, 13, 14};
    const Reg toUYVY = V::Bytes(kYVYUToUYVY);
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t x = 0; x < columns; x += kStep) {
            Reg packed = V::Load(in + 2 * x, 16);
            if (YVYUSource) {
                packed = V::Shuffle8(packed, toUYVY);
            }
            const Reg luma = UYVYOrder ? V::template ShiftRight16<8>(packed) : V::And(packed, k.lowBytes);
            const Reg chroma = UYVYOrder ? V::And(packed, k.lowBytes) : V::template ShiftRight16<8>(packed);
            StoreEight<V, Layout>(out + kPixelBytes * x, 8 * kPixelBytes,
                                  ConvertEight<V, Layout>(k, luma, chroma, fourth));
        }
    }
    if (columns < width) {
        finish(source + 2 * columns, sourceStride, destination + kPixelBytes * columns, destinationStride,
               width - columns, height);
    }
    return kSuccess;
}

// Whole Y41P groups to RGB: each lane loads one 12-byte group (16 bytes, the
// last four belonging to the next group) and shuffles it into its YUY2 form,
// then converts as YUY2 rows are converted. The vector walk leaves at least
// the last group of a row to 'finish', the portable kernel of the same
// conversion, so no load reaches past a row.
template <class V, RGBLayout Layout, class Finish>
int32_t Y41PToRGBVector(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                        int32_t destinationStride, int32_t groups, int32_t height, uint8_t alpha,
                        Finish finish) {
    typedef typename V::Reg Reg;
    if (const int32_t status = PictureStatus(source, destination, groups, height)) {
        return status;
    }
    int8_t expand[16];
    for (int byte = 0; byte < 16; ++byte) {
        expand[byte] = static_cast<int8_t>(kY41PToYUY2Bytes[byte]);
    }
    const Reg toYUY2 = V::Bytes(expand);
    constexpr int kStep = V::kLanes;  // groups
    constexpr int kPixelBytes = PixelBytes<Layout>();
    const int32_t vectorGroups = (groups - 1) / kStep * kStep;
    const YUVToRGBConstants<V> k(kFormB);
    const Reg fourth = V::Set16(alpha);
    for (int32_t row = 0; row < height && vectorGroups > 0; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t group = 0; group < vectorGroups; group += kStep) {
            const Reg packed = V::Shuffle8(V::Load(in + 12 * group, 12), toYUY2);
            StoreEight<V, Layout>(out + 8 * kPixelBytes * group, 8 * kPixelBytes,
                                  ConvertEight<V, Layout>(k, V::And(packed, k.lowBytes),
                                                          V::template ShiftRight16<8>(packed), fourth));
        }
    }
    finish(source + 12 * vectorGroups, sourceStride, destination + 8 * kPixelBytes * vectorGroups,
           destinationStride, groups - vectorGroups, height);
    return kSuccess;
}

// 4:2:0 planes to BGR24 or BGRA32 with form C; only the even part of an odd
// size is converted, as by the portable kernels.
template <class V, RGBLayout Layout>
int32_t Planar420ToRGBVector(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                             int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha) {
    typedef typename V::Reg Reg;
    if (sources == nullptr || sourceStrides == nullptr || sources[0] == nullptr || sources[1] == nullptr ||
        sources[2] == nullptr || destination == nullptr) {
        return kNullPointer;
    }
    if (width < 1 || height < 2) {
        return kBelowMinimumSize;
    }
    constexpr int kStep = 8 * V::kLanes;
    constexpr int kPixelBytes = PixelBytes<Layout>();
    const int32_t columns = (width & ~1) / kStep * kStep;
    const int32_t rows = height & ~1;
    const YUVToRGBConstants<V> k(kFormC);
    const Reg zero = V::Zero();
    const Reg fourth = V::Set16(alpha);
    for (int32_t row = 0; row < rows; ++row) {
        const uint8_t* luma = RowAt(sources[0], sourceStrides[0], row);
        const uint8_t* u = RowAt(sources[1], sourceStrides[1], row / 2);
        const uint8_t* v = RowAt(sources[2], sourceStrides[2], row / 2);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t x = 0; x < columns; x += kStep) {
            const Reg y = V::InterleaveLow8(V::Load8(luma + x, 8), zero);
            const Reg chroma =
                V::InterleaveLow8(V::InterleaveLow8(V::Load4(u + x / 2, 4), V::Load4(v + x / 2, 4)), zero);
            StoreEight<V, Layout>(out + kPixelBytes * x, 8 * kPixelBytes,
                                  ConvertEight<V, Layout>(k, y, chroma, fourth));
        }
    }
    if (columns < (width & ~1)) {
        const uint8_t* const rest[3] = {sources[0] + columns, sources[1] + columns / 2,
                                        sources[2] + columns / 2};
        if (Layout == RGBLayout::BGRA32) {
            Planar420ToBGRA32_Portable(rest, sourceStrides, destination + kPixelBytes * columns,
                                       destinationStride, width - columns, height, alpha);
        } else {
            Planar420ToBGR24_Portable(rest, sourceStrides, destination + kPixelBytes * columns,
                                      destinationStride, width - columns, height);
        }
    }
    return ((width | height) & 1) != 0 ? kOddSizeConverted : kSuccess;
}

}  // namespace
}  // namespace kernels
