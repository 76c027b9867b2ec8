// Kernels from packed 4:2:2 and 4:2:0 planes to RGB pixels, in the three
// formula forms. Both pixels of a pair, and all four of a 2 x 2 block, use the
// same chroma.
#include "conversion/kernels/ColourFormulas.h"
#include "conversion/kernels/PortableKernels.h"

namespace kernels {

namespace {

enum class Output { RGBTriplets, BGR24, BGRA32 };

template <Output Layout>
void Store(uint8_t* out, formulas::Bgr colour, uint8_t alpha) {
    if (Layout == Output::RGBTriplets) {
        out[0] = colour.r;
        out[1] = colour.g;
        out[2] = colour.b;
    } else {
        out[0] = colour.b;
        out[1] = colour.g;
        out[2] = colour.r;
        if (Layout == Output::BGRA32) {
            out[3] = alpha;
        }
    }
}

enum class PackedOrder { UYVY, YUY2, YVYU };

// Packed 4:2:2 rows; a lone last pixel reads the chroma of its whole group,
// which every accepted row holds. UYVY and YVYU convert with form A, YUY2
// with form B.
template <Output Layout, PackedOrder Order>
int32_t PackedToRGB(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                    int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha,
                    int32_t minimumWidth) {
    if (source == nullptr || destination == nullptr) {
        return kNullPointer;
    }
    if (width < minimumWidth || height < 1) {
        return kBelowMinimumSize;
    }
    constexpr int kPixelBytes = Layout == Output::BGRA32 ? 4 : 3;
    constexpr bool kFormA = Order != PackedOrder::YUY2;
    constexpr int kU = Order == PackedOrder::UYVY ? 0 : Order == PackedOrder::YUY2 ? 1 : 3;
    constexpr int kV = Order == PackedOrder::UYVY ? 2 : Order == PackedOrder::YUY2 ? 3 : 1;
    constexpr int kFirstLuma = Order == PackedOrder::UYVY ? 1 : 0;
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t x = 0; x < width; ++x, out += kPixelBytes) {
            const uint8_t* group = in + 4 * (x / 2);
            const int32_t y = group[kFirstLuma + 2 * (x & 1)];
            const formulas::Bgr colour =
                kFormA ? formulas::FormA(y, group[kU], group[kV]) : formulas::FormB(y, group[kU], group[kV]);
            Store<Layout>(out, colour, alpha);
        }
    }
    return kSuccess;
}

}  // namespace

int32_t UYVYToRGBTriplets_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                   int32_t destinationStride, int32_t width, int32_t height) {
    return PackedToRGB<Output::RGBTriplets, PackedOrder::UYVY>(source, sourceStride, destination,
                                                               destinationStride, width, height, 0, 1);
}

int32_t UYVYToBGRA32_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha) {
    return PackedToRGB<Output::BGRA32, PackedOrder::UYVY>(source, sourceStride, destination,
                                                          destinationStride, width, height, alpha, 1);
}

int32_t UYVYToBGR24_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t width, int32_t height) {
    return PackedToRGB<Output::BGR24, PackedOrder::UYVY>(source, sourceStride, destination, destinationStride,
                                                         width, height, 0, 1);
}

int32_t YUY2ToBGR24_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t width, int32_t height) {
    return PackedToRGB<Output::BGR24, PackedOrder::YUY2>(source, sourceStride, destination, destinationStride,
                                                         width, height, 0, 2);
}

int32_t YUY2ToBGRA32_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha) {
    return PackedToRGB<Output::BGRA32, PackedOrder::YUY2>(source, sourceStride, destination,
                                                          destinationStride, width, height, alpha, 2);
}

int32_t YVYUToBGR24_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t width, int32_t height) {
    return PackedToRGB<Output::BGR24, PackedOrder::YVYU>(source, sourceStride, destination, destinationStride,
                                                         width, height, 0, 1);
}

int32_t YVYUToBGRA32_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha) {
    return PackedToRGB<Output::BGRA32, PackedOrder::YVYU>(source, sourceStride, destination,
                                                          destinationStride, width, height, alpha, 1);
}

namespace {

// Each Y41P group through its YUY2 form, one group at a time.
template <class ConvertGroup>
int32_t Y41PToRGB(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                  int32_t destinationStride, int32_t groups, int32_t height, int32_t pixelBytes,
                  ConvertGroup convertGroup) {
    if (const int32_t status = PictureStatus(source, destination, groups, height)) {
        return status;
    }
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t group = 0; group < groups; ++group, in += 12, out += 8 * pixelBytes) {
            uint8_t yuy2[16];
            for (int byte = 0; byte < 16; ++byte) {
                yuy2[byte] = in[kY41PToYUY2Bytes[byte]];
            }
            convertGroup(yuy2, out);
        }
    }
    return kSuccess;
}

}  // namespace

int32_t Y41PToBGR24_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t groups, int32_t height) {
    return Y41PToRGB(
        source, sourceStride, destination, destinationStride, groups, height, 3,
        [](const uint8_t* yuy2, uint8_t* out) { YUY2ToBGR24_Portable(yuy2, 16, out, 24, 8, 1); });
}

int32_t Y41PToBGRA32_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t groups, int32_t height, uint8_t alpha) {
    return Y41PToRGB(source, sourceStride, destination, destinationStride, groups, height, 4,
                     [alpha](const uint8_t* yuy2, uint8_t* out) {
                         YUY2ToBGRA32_Portable(yuy2, 16, out, 32, 8, 1, alpha);
                     });
}

namespace {

template <Output Layout>
int32_t Planar420ToRGB(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                       int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha) {
    if (sources == nullptr || sourceStrides == nullptr || sources[0] == nullptr || sources[1] == nullptr ||
        sources[2] == nullptr || destination == nullptr) {
        return kNullPointer;
    }
    if (width < 1 || height < 2) {
        return kBelowMinimumSize;
    }
    // The chroma planes are width / 2 wide: an odd last column has no chroma
    // sample of its own and an odd last row none below, so both are left alone.
    constexpr int kPixelBytes = Layout == Output::BGRA32 ? 4 : 3;
    const int32_t columns = width & ~1;
    const int32_t rows = height & ~1;
    for (int32_t row = 0; row < rows; ++row) {
        const uint8_t* luma = RowAt(sources[0], sourceStrides[0], row);
        const uint8_t* u = RowAt(sources[1], sourceStrides[1], row / 2);
        const uint8_t* v = RowAt(sources[2], sourceStrides[2], row / 2);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t x = 0; x < columns; ++x, out += kPixelBytes) {
            Store<Layout>(out, formulas::FormC(luma[x], u[x / 2], v[x / 2]), alpha);
        }
    }
    return ((width | height) & 1) != 0 ? kOddSizeConverted : kSuccess;
}

}  // namespace

int32_t Planar420ToBGR24_Portable(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                                  int32_t destinationStride, int32_t width, int32_t height) {
    return Planar420ToRGB<Output::BGR24>(sources, sourceStrides, destination, destinationStride, width,
                                         height, 0);
}

int32_t Planar420ToBGRA32_Portable(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                                   int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha) {
    return Planar420ToRGB<Output::BGRA32>(sources, sourceStrides, destination, destinationStride, width,
                                          height, alpha);
}

}  // namespace kernels
