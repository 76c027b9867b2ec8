// The vector body of the byte-moving kernels (plane interleaving, in-place
// channel reordering, the 16-bit pair swap, packed 4:2:2 to and from 4:2:0
// planes), written once over the vector widths of VectorOps.h. They only move
// bytes, so the result is the portable one by construction; the columns after
// the last whole step go through the portable kernels.
#pragma once

#include <cstdint>
#include <cstring>

#include "conversion/kernels/PortableKernels.h"
#include "conversion/kernels/VectorOps.h"

namespace kernels {
namespace {

// A plane copy with streaming stores: each row's bytes before the first
// register-aligned address and after the last whole register go through
// memcpy, the rest straight from a load to a streaming store.
template <class V>
int32_t StreamPlane8Vector(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height) {
    if (const int32_t status = PictureStatus(source, destination, width, height)) {
        return status;
    }
    constexpr int32_t kBytes = 16 * V::kLanes;
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        const int32_t misalignment = static_cast<int32_t>(reinterpret_cast<uintptr_t>(out) % kBytes);
        int32_t x = misalignment == 0 ? 0 : kBytes - misalignment;
        if (x > width) {
            x = width;
        }
        std::memcpy(out, in, static_cast<size_t>(x));
        for (; x + kBytes <= width; x += kBytes) {
            V::StoreStreaming(out + x, V::Load(in + x, 16));
        }
        std::memcpy(out + x, in + x, static_cast<size_t>(width - x));
    }
    V::StreamFence();
    return kSuccess;
}

template <class V>
int32_t MergePlanes3Vector(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height) {
    typedef typename V::Reg Reg;
    if (sources == nullptr || sourceStrides == nullptr || sources[0] == nullptr || sources[1] == nullptr ||
        sources[2] == nullptr || destination == nullptr) {
        return kNullPointer;
    }
    if (width < 1 || height < 1) {
        return kBelowMinimumSize;
    }
    // Output byte p of a 48-byte step is byte p / 3 of plane p % 3; planes 0
    // and 1 arrive interleaved (32 bytes in two registers), plane 2 alone.
    Reg fromPairs[3][2];
    Reg fromThird[3];
    for (int out = 0; out < 3; ++out) {
        int8_t pairMasks[2][16];
        int8_t thirdMask[16];
        for (int byte = 0; byte < 16; ++byte) {
            const int p = 16 * out + byte;
            const int pixel = p / 3;
            const int channel = p % 3;
            const int pairIndex = 2 * pixel + channel;
            pairMasks[0][byte] = channel != 2 && pairIndex < 16 ? static_cast<int8_t>(pairIndex) : -1;
            pairMasks[1][byte] = channel != 2 && pairIndex >= 16 ? static_cast<int8_t>(pairIndex - 16) : -1;
            thirdMask[byte] = channel == 2 ? static_cast<int8_t>(pixel) : -1;
        }
        fromPairs[out][0] = V::Bytes(pairMasks[0]);
        fromPairs[out][1] = V::Bytes(pairMasks[1]);
        fromThird[out] = V::Bytes(thirdMask);
    }
    constexpr int kStep = 16 * V::kLanes;
    const int32_t columns = width / kStep * kStep;
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* first = RowAt(sources[0], sourceStrides[0], row);
        const uint8_t* second = RowAt(sources[1], sourceStrides[1], row);
        const uint8_t* third = RowAt(sources[2], sourceStrides[2], row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t x = 0; x < columns; x += kStep) {
            const Reg a = V::Load(first + x, 16);
            const Reg b = V::Load(second + x, 16);
            const Reg c = V::Load(third + x, 16);
            const Reg pairs[2] = {V::InterleaveLow8(a, b), V::InterleaveHigh8(a, b)};
            for (int part = 0; part < 3; ++part) {
                const Reg bytes = V::Or(V::Or(V::Shuffle8(pairs[0], fromPairs[part][0]),
                                              V::Shuffle8(pairs[1], fromPairs[part][1])),
                                        V::Shuffle8(c, fromThird[part]));
                V::Store(out + 3 * x + 16 * part, 48, bytes);
            }
        }
    }
    if (columns < width) {
        const uint8_t* const rest[3] = {sources[0] + columns, sources[1] + columns, sources[2] + columns};
        MergePlanes3_Portable(rest, sourceStrides, destination + 3 * columns, destinationStride,
                              width - columns, height);
    }
    return kSuccess;
}

template <class V>
int32_t MergePlanes4Vector(const uint8_t* const sources[4], const int32_t sourceStrides[4],
                           uint8_t* destination, int32_t destinationStride, int32_t width, int32_t height) {
    typedef typename V::Reg Reg;
    if (sources == nullptr || sourceStrides == nullptr || destination == nullptr) {
        return kNullPointer;
    }
    for (int plane = 0; plane < 4; ++plane) {
        if (sources[plane] == nullptr) {
            return kNullPointer;
        }
    }
    if (width < 1 || height < 1) {
        return kBelowMinimumSize;
    }
    constexpr int kStep = 16 * V::kLanes;
    const int32_t columns = width / kStep * kStep;
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in[4];
        for (int plane = 0; plane < 4; ++plane) {
            in[plane] = RowAt(sources[plane], sourceStrides[plane], row);
        }
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t x = 0; x < columns; x += kStep) {
            const Reg a = V::Load(in[0] + x, 16);
            const Reg b = V::Load(in[1] + x, 16);
            const Reg c = V::Load(in[2] + x, 16);
            const Reg d = V::Load(in[3] + x, 16);
            const Reg abLow = V::InterleaveLow8(a, b);
            const Reg abHigh = V::InterleaveHigh8(a, b);
            const Reg cdLow = V::InterleaveLow8(c, d);
            const Reg cdHigh = V::InterleaveHigh8(c, d);
            uint8_t* pixels = out + 4 * x;
            V::Store(pixels, 64, V::InterleaveLow16(abLow, cdLow));
            V::Store(pixels + 16, 64, V::InterleaveHigh16(abLow, cdLow));
            V::Store(pixels + 32, 64, V::InterleaveLow16(abHigh, cdHigh));
            V::Store(pixels + 48, 64, V::InterleaveHigh16(abHigh, cdHigh));
        }
    }
    if (columns < width) {
        const uint8_t* const rest[4] = {sources[0] + columns, sources[1] + columns, sources[2] + columns,
                                        sources[3] + columns};
        MergePlanes4_Portable(rest, sourceStrides, destination + 4 * columns, destinationStride,
                              width - columns, height);
    }
    return kSuccess;
}

// Grey to B = G = R triplets, sixteen pixels a lane a step: output byte p of
// a lane's 48 is grey byte p / 3, picked by three shuffles.
template <class V>
int32_t GreyToBGR24Vector(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height) {
    typedef typename V::Reg Reg;
    if (const int32_t status = PictureStatus(source, destination, width, height)) {
        return status;
    }
    Reg spread[3];
    for (int out = 0; out < 3; ++out) {
        int8_t mask[16];
        for (int byte = 0; byte < 16; ++byte) {
            mask[byte] = static_cast<int8_t>((16 * out + byte) / 3);
        }
        spread[out] = V::Bytes(mask);
    }
    constexpr int kStep = 16 * V::kLanes;
    const int32_t columns = width / kStep * kStep;
    for (int32_t row = 0; row < height && columns > 0; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t x = 0; x < columns; x += kStep) {
            const Reg grey = V::Load(in + x, 16);
            uint8_t* pixels = out + 3 * x;
            V::Store(pixels, 48, V::Shuffle8(grey, spread[0]));
            V::Store(pixels + 16, 48, V::Shuffle8(grey, spread[1]));
            V::Store(pixels + 32, 48, V::Shuffle8(grey, spread[2]));
        }
    }
    if (columns < width) {
        GreyToBGR24_Portable(source + columns, sourceStride, destination + 3 * columns, destinationStride,
                             width - columns, height);
    }
    return kSuccess;
}

// Grey to B = G = R, alpha pixels, sixteen a lane a step: each output register
// is four grey bytes spread four times, the alpha byte either spread with
// them (kGreyAlpha) or left zero by the shuffle and filled from a constant.
template <class V>
int32_t GreyToBGRA32Vector(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height, int32_t alpha) {
    typedef typename V::Reg Reg;
    if (const int32_t status = PictureStatus(source, destination, width, height)) {
        return status;
    }
    if (alpha < kGreyAlpha || alpha > 255) {
        return kBadChannelIndex;
    }
    const bool greyAlpha = alpha == kGreyAlpha;
    Reg spread[4];
    for (int out = 0; out < 4; ++out) {
        int8_t mask[16];
        for (int byte = 0; byte < 16; ++byte) {
            const bool alphaByte = byte % 4 == 3;
            mask[byte] = alphaByte && !greyAlpha ? -1 : static_cast<int8_t>(4 * out + byte / 4);
        }
        spread[out] = V::Bytes(mask);
    }
    const Reg alphaBytes =
        greyAlpha ? V::Zero() : V::Set32(static_cast<int32_t>(static_cast<uint32_t>(alpha) << 24));
    constexpr int kStep = 16 * V::kLanes;
    const int32_t columns = width / kStep * kStep;
    for (int32_t row = 0; row < height && columns > 0; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t x = 0; x < columns; x += kStep) {
            uint8_t* pixels = out + 4 * x;
            if (V::kLanes == 1) {
                const Reg grey = V::Load(in + x, 16);
                for (int part = 0; part < 4; ++part) {
                    V::Store(pixels + 16 * part, 16, V::Or(V::Shuffle8(grey, spread[part]), alphaBytes));
                }
                continue;
            }
            // Wider registers: each holds eight pixels, the second lane loaded
            // four greys on, so every store is one whole register of adjacent
            // pixels rather than two halves 64 bytes apart.
            for (int part = 0; part < 4; ++part) {
                const Reg grey = V::Load4(in + x + 8 * part, 4);
                V::Store(pixels + 32 * part, 16, V::Or(V::Shuffle8(grey, spread[0]), alphaBytes));
            }
        }
    }
    if (columns < width) {
        GreyToBGRA32_Portable(source + columns, sourceStride, destination + 4 * columns, destinationStride,
                              width - columns, height, alpha);
    }
    return kSuccess;
}

// The luma bytes of packed 4:2:2 rows, thirty-two pixels a lane a step: the
// even or the odd bytes of 64, packed down from 16-bit lanes.
template <class V>
int32_t Packed422ToGreyVector(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height, int32_t firstLuma) {
    typedef typename V::Reg Reg;
    if (const int32_t status = PictureStatus(source, destination, width, height)) {
        return status;
    }
    if (firstLuma != 0 && firstLuma != 1) {
        return kBadChannelIndex;
    }
    const Reg lowBytes = V::Set16(0x00FF);
    auto luma = [&](Reg packed) {
        return firstLuma == 0 ? V::And(packed, lowBytes) : V::template ShiftRight16<8>(packed);
    };
    constexpr int kStep = 16 * V::kLanes;
    const int32_t columns = width / kStep * kStep;
    for (int32_t row = 0; row < height && columns > 0; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t x = 0; x < columns; x += kStep) {
            const Reg a = V::Load(in + 2 * x, 16);
            const Reg b = V::Load(in + 2 * x + 16 * V::kLanes, 16);
            V::Store(out + x, 16, V::PackUnsigned16Adjacent(luma(a), luma(b)));
        }
    }
    if (columns < width) {
        Packed422ToGrey_Portable(source + 2 * columns, sourceStride, destination + columns, destinationStride,
                                 width - columns, height, firstLuma);
    }
    return kSuccess;
}

// In place, five pixels (15 bytes) a lane a step: each lane loads 16 bytes and
// stores them back with the sixteenth unchanged, so a step needs one byte of
// the next pixel to exist; the next step (or lane) rewrites that byte.
template <class V>
int32_t ReorderChannels3Vector(uint8_t* pixels, int32_t stride, int32_t width, int32_t height,
                               const uint8_t table[3]) {
    typedef typename V::Reg Reg;
    if (const int32_t status = PictureStatus(pixels, table, width, height)) {
        return status;
    }
    if (stride < 1) {
        return kBadStride;
    }
    if (table[0] > 2 || table[1] > 2 || table[2] > 2) {
        return kBadChannelIndex;
    }
    int8_t mask[16];
    for (int byte = 0; byte < 15; ++byte) {
        mask[byte] = static_cast<int8_t>(byte - byte % 3 + table[byte % 3]);
    }
    mask[15] = 15;
    const Reg shuffle = V::Bytes(mask);
    constexpr int kStep = 5 * V::kLanes;
    int32_t columns = 0;
    while (columns + kStep < width) {
        columns += kStep;
    }
    for (int32_t row = 0; row < height && columns > 0; ++row) {
        uint8_t* line = RowAt(pixels, stride, row);
        // Each step's bytes are loaded before the previous step is stored: a
        // load straddling a store just made would wait for it. The byte the
        // two share is stored unchanged, so loading it early reads the same.
        Reg current = V::Load(line, 15);
        int32_t x = 0;
        for (; x + kStep < columns; x += kStep) {
            const Reg next = V::Load(line + 3 * (x + kStep), 15);
            V::Store(line + 3 * x, 15, V::Shuffle8(current, shuffle));
            current = next;
        }
        V::Store(line + 3 * x, 15, V::Shuffle8(current, shuffle));
    }
    if (columns < width) {
        ReorderChannels3_Portable(pixels + 3 * columns, stride, width - columns, height, table);
    }
    return kSuccess;
}

template <class V>
int32_t SwapBytePairsVector(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t width, int32_t height) {
    typedef typename V::Reg Reg;
    if (source == nullptr || destination == nullptr) {
        return kNullPointer;
    }
    if (width < 2 || height < 1) {
        return kBelowMinimumSize;
    }
    static const int8_t kSwap[16] = {1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14};
    const Reg swap = V::Bytes(kSwap);
    constexpr int kStep = 8 * V::kLanes;
    const int32_t columns = VectorColumns(width, kStep);
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t x = 0; x < columns; x += kStep) {
            V::Store(out + 2 * x, 16, V::Shuffle8(V::Load(in + 2 * x, 16), swap));
        }
    }
    if (columns < width) {
        SwapBytePairs_Portable(source + 2 * columns, sourceStride, destination + 2 * columns,
                               destinationStride, width - columns, height);
    }
    return kSuccess;
}

bool AnyNullPlane(const uint8_t* const planes[3], const int32_t* strides) {
    return planes == nullptr || strides == nullptr || planes[0] == nullptr || planes[1] == nullptr ||
           planes[2] == nullptr;
}

// 4:2:0 planes to YUY2 or UYVY, sixteen pixels a lane a step.
template <class V, bool UYVYOrder>
int32_t Planar420ToPackedVector(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                                int32_t destinationStride, int32_t width, int32_t height) {
    typedef typename V::Reg Reg;
    if (AnyNullPlane(sources, sourceStrides) || destination == nullptr) {
        return kNullPointer;
    }
    if (width < 2 || height < 2) {
        return kBelowMinimumSize;
    }
    constexpr int kStep = 16 * V::kLanes;
    const int32_t columns = VectorColumns(width, kStep);
    const int32_t rows = height & ~1;
    for (int32_t row = 0; row < rows; ++row) {
        const uint8_t* luma = RowAt(sources[0], sourceStrides[0], row);
        const uint8_t* u = RowAt(sources[1], sourceStrides[1], row / 2);
        const uint8_t* v = RowAt(sources[2], sourceStrides[2], row / 2);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t x = 0; x < columns; x += kStep) {
            const Reg y = V::Load(luma + x, 16);
            const Reg chroma = V::LoadInterleaved8(u + x / 2, v + x / 2);
            const Reg low = UYVYOrder ? V::InterleaveLow8(chroma, y) : V::InterleaveLow8(y, chroma);
            const Reg high = UYVYOrder ? V::InterleaveHigh8(chroma, y) : V::InterleaveHigh8(y, chroma);
            V::StorePair(out + 2 * x, low, high);
        }
    }
    if (columns < width) {
        const uint8_t* const rest[3] = {sources[0] + columns, sources[1] + columns / 2,
                                        sources[2] + columns / 2};
        if (UYVYOrder) {
            Planar420ToUYVY_Portable(rest, sourceStrides, destination + 2 * columns, destinationStride,
                                     width - columns, height);
        } else {
            Planar420ToYUY2_Portable(rest, sourceStrides, destination + 2 * columns, destinationStride,
                                     width - columns, height);
        }
    }
    return ((width | height) & 1) != 0 ? kOddSizeConverted : kSuccess;
}

// YUY2 or UYVY to 4:2:0 planes, sixteen pixels a lane a step; the chroma of the
// first row of each pair is kept.
template <class V, bool UYVYOrder>
int32_t PackedToPlanar420Vector(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                PlaneStrides destinationStrides, int32_t width, int32_t height) {
    typedef typename V::Reg Reg;
    if (source == nullptr || AnyNullPlane(destinations, destinationStrides)) {
        return kNullPointer;
    }
    if (width < 2 || height < 2) {
        return kBelowMinimumSize;
    }
    constexpr int kStep = 16 * V::kLanes;
    const int32_t columns = VectorColumns(width, kStep);
    const int32_t rows = height & ~1;
    const Reg lowBytes = V::Set16(0x00FF);
    const Reg zero = V::Zero();
    auto evenBytes = [&](Reg a, Reg b) {
        return V::PackUnsigned16(V::And(a, lowBytes), V::And(b, lowBytes));
    };
    auto oddBytes = [&](Reg a, Reg b) {
        return V::PackUnsigned16(V::template ShiftRight16<8>(a), V::template ShiftRight16<8>(b));
    };
    for (int32_t row = 0; row < rows; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* luma = RowAt(destinations[0], destinationStrides[0], row);
        uint8_t* u = RowAt(destinations[1], destinationStrides[1], row / 2);
        uint8_t* v = RowAt(destinations[2], destinationStrides[2], row / 2);
        const bool withChroma = (row & 1) == 0;
        for (int32_t x = 0; x < columns; x += kStep) {
            Reg a;
            Reg b;
            V::LoadPair(in + 2 * x, &a, &b);
            V::Store(luma + x, 16, UYVYOrder ? oddBytes(a, b) : evenBytes(a, b));
            if (withChroma) {
                const Reg chroma = UYVYOrder ? evenBytes(a, b) : oddBytes(a, b);  // U0 V0 U1 V1 ...
                V::Store8(u + x / 2, 8, V::PackUnsigned16(V::And(chroma, lowBytes), zero));
                V::Store8(v + x / 2, 8, V::PackUnsigned16(V::template ShiftRight16<8>(chroma), zero));
            }
        }
    }
    if (columns < width) {
        uint8_t* const rest[3] = {destinations[0] + columns, destinations[1] + columns / 2,
                                  destinations[2] + columns / 2};
        if (UYVYOrder) {
            UYVYToPlanar420_Portable(source + 2 * columns, sourceStride, rest, destinationStrides,
                                     width - columns, height);
        } else {
            YUY2ToPlanar420_Portable(source + 2 * columns, sourceStride, rest, destinationStrides,
                                     width - columns, height);
        }
    }
    return ((width | height) & 1) != 0 ? kOddSizeConverted : kSuccess;
}

// Grey to packed 4:2:2 without colour, sixteen pixels a lane a step: the
// greys interleaved with 128s, in the order the luma position asks.
template <class V>
int32_t GreyToPacked422Vector(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height, int32_t firstLuma) {
    typedef typename V::Reg Reg;
    if (const int32_t status = PictureStatus(source, destination, width, height)) {
        return status;
    }
    if (firstLuma != 0 && firstLuma != 1) {
        return kBadChannelIndex;
    }
    const Reg neutral = V::Set32(static_cast<int32_t>(0x80808080u));
    constexpr int kStep = 16 * V::kLanes;
    const int32_t columns = width / kStep * kStep;
    for (int32_t row = 0; row < height && columns > 0; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t x = 0; x < columns; x += kStep) {
            const Reg grey = V::Load(in + x, 16);
            uint8_t* pixels = out + 2 * x;
            if (firstLuma == 0) {
                V::Store(pixels, 32, V::InterleaveLow8(grey, neutral));
                V::Store(pixels + 16, 32, V::InterleaveHigh8(grey, neutral));
            } else {
                V::Store(pixels, 32, V::InterleaveLow8(neutral, grey));
                V::Store(pixels + 16, 32, V::InterleaveHigh8(neutral, grey));
            }
        }
    }
    if (columns < width) {
        GreyToPacked422_Portable(source + columns, sourceStride, destination + 2 * columns, destinationStride,
                                 width - columns, height, firstLuma);
    }
    return kSuccess;
}

}  // namespace
}  // namespace kernels
