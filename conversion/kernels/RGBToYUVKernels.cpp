// Kernels from B, G, R (3-byte) and B, G, R, A (4-byte) pixels to YUY2, to
// 4:2:0 planes and to grey. The alpha byte is never read.
#include "conversion/kernels/ColourFormulas.h"
#include "conversion/kernels/PortableKernels.h"

namespace kernels {

namespace {

constexpr uint8_t kYUY2Order[4] = {0, 1, 2, 3};

// YUY2 groups, each rearranged by order (kYUY2Order: as they are).
template <int BytesPerPixel>
int32_t ToPacked422(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                    int32_t destinationStride, int32_t width, int32_t height, const uint8_t* order) {
    if (source == nullptr || destination == nullptr || order == nullptr) {
        return kNullPointer;
    }
    if (width < 2 || height < 1) {
        return kBelowMinimumSize;
    }
    if (order[0] > 3 || order[1] > 3 || order[2] > 3 || order[3] > 3) {
        return kBadChannelIndex;
    }
    const int32_t pairs = width / 2;
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t pair = 0; pair < pairs; ++pair, in += 2 * BytesPerPixel, out += 4) {
            const uint8_t* second = in + BytesPerPixel;
            const int32_t sumB = in[0] + second[0];
            const int32_t sumG = in[1] + second[1];
            const int32_t sumR = in[2] + second[2];
            const uint8_t group[4] = {formulas::Luma(in[2], in[1], in[0]), formulas::PairU(sumB, sumG, sumR),
                                      formulas::Luma(second[2], second[1], second[0]),
                                      formulas::PairV(sumB, sumG, sumR)};
            out[0] = group[order[0]];
            out[1] = group[order[1]];
            out[2] = group[order[2]];
            out[3] = group[order[3]];
        }
        if ((width & 1) != 0) {
            // A lone last pixel: its luma and a U of its own, no V.
            const uint8_t luma = formulas::Luma(in[2], in[1], in[0]);
            const uint8_t u = formulas::LoneU(in[0], in[1], in[2]);
            const uint8_t group[4] = {luma, u, luma, u};
            out[0] = group[order[0]];
            out[1] = group[order[1]];
        }
    }
    return kSuccess;
}

// planes are in memory order; uIndex says which of planes 1 and 2 takes U.
template <int BytesPerPixel>
int32_t ToPlanar420(const uint8_t* source, int32_t sourceStride, Planes destinations,
                    PlaneStrides destinationStrides, int32_t width, int32_t height, int uIndex) {
    if (source == nullptr || destinations == nullptr || destinationStrides == nullptr ||
        destinations[0] == nullptr || destinations[1] == nullptr || destinations[2] == nullptr) {
        return kNullPointer;
    }
    if (width < 2 || height < 2) {
        return kBelowMinimumSize;
    }
    const int vIndex = 3 - uIndex;
    const int32_t blocksAcross = width / 2;
    const int32_t blocksDown = height / 2;
    for (int32_t block = 0; block < blocksDown; ++block) {
        const uint8_t* top = RowAt(source, sourceStride, 2 * block);
        const uint8_t* bottom = RowAt(source, sourceStride, 2 * block + 1);
        uint8_t* lumaTop = RowAt(destinations[0], destinationStrides[0], 2 * block);
        uint8_t* lumaBottom = RowAt(destinations[0], destinationStrides[0], 2 * block + 1);
        uint8_t* u = RowAt(destinations[uIndex], destinationStrides[uIndex], block);
        uint8_t* v = RowAt(destinations[vIndex], destinationStrides[vIndex], block);
        for (int32_t x = 0; x < blocksAcross; ++x) {
            const uint8_t* pixels[4] = {top + 2 * x * BytesPerPixel, top + (2 * x + 1) * BytesPerPixel,
                                        bottom + 2 * x * BytesPerPixel, bottom + (2 * x + 1) * BytesPerPixel};
            int32_t sumB = 0;
            int32_t sumG = 0;
            int32_t sumR = 0;
            for (const uint8_t* pixel : pixels) {
                sumB += pixel[0];
                sumG += pixel[1];
                sumR += pixel[2];
            }
            lumaTop[2 * x] = formulas::Luma(pixels[0][2], pixels[0][1], pixels[0][0]);
            lumaTop[2 * x + 1] = formulas::Luma(pixels[1][2], pixels[1][1], pixels[1][0]);
            lumaBottom[2 * x] = formulas::Luma(pixels[2][2], pixels[2][1], pixels[2][0]);
            lumaBottom[2 * x + 1] = formulas::Luma(pixels[3][2], pixels[3][1], pixels[3][0]);
            u[x] = formulas::BlockU(sumB, sumG, sumR);
            v[x] = formulas::BlockV(sumB, sumG, sumR);
        }
    }
    return ((width | height) & 1) != 0 ? kOddSizeConverted : kSuccess;
}

template <int BytesPerPixel>
int32_t ToGrey(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
               int32_t width, int32_t height) {
    if (const int32_t status = PictureStatus(source, destination, width, height)) {
        return status;
    }
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t x = 0; x < width; ++x, in += BytesPerPixel) {
            out[x] = formulas::Grey(in[0], in[1], in[2]);
        }
    }
    return kSuccess;
}

}  // namespace

int32_t BGR24ToYUY2_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t width, int32_t height) {
    return ToPacked422<3>(source, sourceStride, destination, destinationStride, width, height, kYUY2Order);
}

int32_t BGRA32ToYUY2_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height) {
    return ToPacked422<4>(source, sourceStride, destination, destinationStride, width, height, kYUY2Order);
}

int32_t BGR24ToPacked422_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                  int32_t destinationStride, int32_t width, int32_t height,
                                  const uint8_t* order) {
    return ToPacked422<3>(source, sourceStride, destination, destinationStride, width, height, order);
}

int32_t BGRA32ToPacked422_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                   int32_t destinationStride, int32_t width, int32_t height,
                                   const uint8_t* order) {
    return ToPacked422<4>(source, sourceStride, destination, destinationStride, width, height, order);
}

namespace {

// Each group's YUY2 bytes, then the 12 a Y41P group keeps of them.
template <int BytesPerPixel>
int32_t ToY41P(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
               int32_t groups, int32_t height) {
    if (const int32_t status = PictureStatus(source, destination, groups, height)) {
        return status;
    }
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t group = 0; group < groups; ++group, in += 8 * BytesPerPixel, out += 12) {
            uint8_t yuy2[16];
            ToPacked422<BytesPerPixel>(in, 0, yuy2, 0, 8, 1, kYUY2Order);
            for (int byte = 0; byte < 12; ++byte) {
                out[byte] = yuy2[kYUY2ToY41PBytes[byte]];
            }
        }
    }
    return kSuccess;
}

}  // namespace

int32_t BGR24ToY41P_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t groups, int32_t height) {
    return ToY41P<3>(source, sourceStride, destination, destinationStride, groups, height);
}

int32_t BGRA32ToY41P_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t groups, int32_t height) {
    return ToY41P<4>(source, sourceStride, destination, destinationStride, groups, height);
}

int32_t BGR24ToPlanar420I420_Portable(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                      PlaneStrides destinationStrides, int32_t width, int32_t height) {
    return ToPlanar420<3>(source, sourceStride, destinations, destinationStrides, width, height, 1);
}

int32_t BGR24ToPlanar420YV12_Portable(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                      PlaneStrides destinationStrides, int32_t width, int32_t height) {
    return ToPlanar420<3>(source, sourceStride, destinations, destinationStrides, width, height, 2);
}

int32_t BGRA32ToPlanar420I420_Portable(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                       PlaneStrides destinationStrides, int32_t width, int32_t height) {
    return ToPlanar420<4>(source, sourceStride, destinations, destinationStrides, width, height, 1);
}

int32_t BGRA32ToPlanar420YV12_Portable(const uint8_t* source, int32_t sourceStride, Planes destinations,
                                       PlaneStrides destinationStrides, int32_t width, int32_t height) {
    return ToPlanar420<4>(source, sourceStride, destinations, destinationStrides, width, height, 2);
}

int32_t BGR24ToGrey_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t width, int32_t height) {
    return ToGrey<3>(source, sourceStride, destination, destinationStride, width, height);
}

int32_t BGRA32ToGrey_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height) {
    return ToGrey<4>(source, sourceStride, destination, destinationStride, width, height);
}

}  // namespace kernels
