// Byte-moving kernels: plane copies and fills, plane interleaving, in-place
// channel reordering and the 16-bit pair swap.
#include <cstring>

#include "conversion/kernels/PortableKernels.h"

namespace kernels {

int32_t CopyPlane8_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t width, int32_t height) {
    if (const int32_t status = PictureStatus(source, destination, width, height)) {
        return status;
    }
    // Rows that follow each other without padding on both sides, in the same
    // direction, are one block: one call instead of one per row.
    if (sourceStride == width && destinationStride == width) {
        std::memcpy(destination, source, static_cast<size_t>(width) * static_cast<size_t>(height));
        return kSuccess;
    }
    for (int32_t row = 0; row < height; ++row) {
        std::memcpy(RowAt(destination, destinationStride, row), RowAt(source, sourceStride, row),
                    static_cast<size_t>(width));
    }
    return kSuccess;
}

int32_t FillPlane8_Portable(uint8_t value, uint8_t* destination, int32_t destinationStride, int32_t width,
                            int32_t height) {
    if (destination == nullptr) {
        return kNullPointer;
    }
    if (width < 1 || height < 1) {
        return kBelowMinimumSize;
    }
    if (destinationStride == width) {
        std::memset(destination, value, static_cast<size_t>(width) * static_cast<size_t>(height));
        return kSuccess;
    }
    for (int32_t row = 0; row < height; ++row) {
        std::memset(RowAt(destination, destinationStride, row), value, static_cast<size_t>(width));
    }
    return kSuccess;
}

int32_t MergePlanes3_Portable(ConstPlanes sources, PlaneStrides sourceStrides, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height) {
    if (sources == nullptr || sourceStrides == nullptr || sources[0] == nullptr || sources[1] == nullptr ||
        sources[2] == nullptr || destination == nullptr) {
        return kNullPointer;
    }
    if (width < 1 || height < 1) {
        return kBelowMinimumSize;
    }
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* first = RowAt(sources[0], sourceStrides[0], row);
        const uint8_t* second = RowAt(sources[1], sourceStrides[1], row);
        const uint8_t* third = RowAt(sources[2], sourceStrides[2], row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t x = 0; x < width; ++x) {
            out[3 * x] = first[x];
            out[3 * x + 1] = second[x];
            out[3 * x + 2] = third[x];
        }
    }
    return kSuccess;
}

int32_t MergePlanes4_Portable(const uint8_t* const sources[4], const int32_t sourceStrides[4],
                              uint8_t* destination, int32_t destinationStride, int32_t width,
                              int32_t height) {
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
    for (int32_t row = 0; row < height; ++row) {
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int plane = 0; plane < 4; ++plane) {
            const uint8_t* in = RowAt(sources[plane], sourceStrides[plane], row);
            for (int32_t x = 0; x < width; ++x) {
                out[4 * x + plane] = in[x];
            }
        }
    }
    return kSuccess;
}

int32_t GreyToBGR24_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                             int32_t destinationStride, int32_t width, int32_t height) {
    if (const int32_t status = PictureStatus(source, destination, width, height)) {
        return status;
    }
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t x = 0; x < width; ++x, out += 3) {
            out[0] = in[x];
            out[1] = in[x];
            out[2] = in[x];
        }
    }
    return kSuccess;
}

int32_t GreyToBGRA32_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                              int32_t destinationStride, int32_t width, int32_t height, int32_t alpha) {
    if (const int32_t status = PictureStatus(source, destination, width, height)) {
        return status;
    }
    if (alpha < kGreyAlpha || alpha > 255) {
        return kBadChannelIndex;
    }
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t x = 0; x < width; ++x, out += 4) {
            out[0] = in[x];
            out[1] = in[x];
            out[2] = in[x];
            out[3] = alpha == kGreyAlpha ? in[x] : static_cast<uint8_t>(alpha);
        }
    }
    return kSuccess;
}

int32_t Packed422ToGrey_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                 int32_t destinationStride, int32_t width, int32_t height,
                                 int32_t firstLuma) {
    if (const int32_t status = PictureStatus(source, destination, width, height)) {
        return status;
    }
    if (firstLuma != 0 && firstLuma != 1) {
        return kBadChannelIndex;
    }
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row) + firstLuma;
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t x = 0; x < width; ++x) {
            out[x] = in[2 * x];
        }
    }
    return kSuccess;
}

int32_t ReorderChannels3_Portable(uint8_t* pixels, int32_t stride, int32_t width, int32_t height,
                                  const uint8_t table[3]) {
    if (const int32_t status = PictureStatus(pixels, table, width, height)) {
        return status;
    }
    if (stride < 1) {
        return kBadStride;
    }
    if (table[0] > 2 || table[1] > 2 || table[2] > 2) {
        return kBadChannelIndex;
    }
    for (int32_t row = 0; row < height; ++row) {
        uint8_t* pixel = RowAt(pixels, stride, row);
        for (int32_t x = 0; x < width; ++x, pixel += 3) {
            const uint8_t old[3] = {pixel[0], pixel[1], pixel[2]};
            pixel[0] = old[table[0]];
            pixel[1] = old[table[1]];
            pixel[2] = old[table[2]];
        }
    }
    return kSuccess;
}

int32_t SwapBytePairs_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                               int32_t destinationStride, int32_t width, int32_t height) {
    if (source == nullptr || destination == nullptr) {
        return kNullPointer;
    }
    if (width < 2 || height < 1) {
        return kBelowMinimumSize;
    }
    // One 16-bit pair per pixel: a lone last pixel of an odd width keeps its
    // luma and its one chroma byte.
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t first = in[2 * x];
            const uint8_t second = in[2 * x + 1];
            out[2 * x] = second;
            out[2 * x + 1] = first;
        }
    }
    return kSuccess;
}

int32_t BGR24ToBGRA32_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                               int32_t destinationStride, int32_t width, int32_t height, uint8_t alpha) {
    if (const int32_t status = PictureStatus(source, destination, width, height)) {
        return status;
    }
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t x = 0; x < width; ++x, in += 3, out += 4) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = alpha;
        }
    }
    return kSuccess;
}

int32_t BGRA32ToBGR24_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                               int32_t destinationStride, int32_t width, int32_t height) {
    if (const int32_t status = PictureStatus(source, destination, width, height)) {
        return status;
    }
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t x = 0; x < width; ++x, in += 4, out += 3) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
        }
    }
    return kSuccess;
}

int32_t PermuteGroups4_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                int32_t destinationStride, int32_t groups, int32_t height, const uint8_t* order) {
    if (source == nullptr || destination == nullptr || order == nullptr) {
        return kNullPointer;
    }
    if (groups < 1 || height < 1) {
        return kBelowMinimumSize;
    }
    if (order[0] > 3 || order[1] > 3 || order[2] > 3 || order[3] > 3) {
        return kBadChannelIndex;
    }
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t group = 0; group < groups; ++group, in += 4, out += 4) {
            const uint8_t bytes[4] = {in[0], in[1], in[2], in[3]};
            out[0] = bytes[order[0]];
            out[1] = bytes[order[1]];
            out[2] = bytes[order[2]];
            out[3] = bytes[order[3]];
        }
    }
    return kSuccess;
}

int32_t GreyToPacked422_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                 int32_t destinationStride, int32_t width, int32_t height, int32_t firstLuma) {
    if (const int32_t status = PictureStatus(source, destination, width, height)) {
        return status;
    }
    if (firstLuma != 0 && firstLuma != 1) {
        return kBadChannelIndex;
    }
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t x = 0; x < width; ++x, out += 2) {
            out[firstLuma] = in[x];
            out[1 - firstLuma] = 128;
        }
    }
    return kSuccess;
}

namespace {

// Rows of groups of 'in' bytes to groups of 'out' bytes through a byte map.
int32_t MapGroups(const uint8_t* source, int32_t sourceStride, uint8_t* destination, int32_t destinationStride,
                  int32_t groups, int32_t height, const uint8_t* map, int in, int out) {
    if (source == nullptr || destination == nullptr || map == nullptr) {
        return kNullPointer;
    }
    if (groups < 1 || height < 1) {
        return kBelowMinimumSize;
    }
    for (int byte = 0; byte < out; ++byte) {
        if (map[byte] >= in) {
            return kBadChannelIndex;
        }
    }
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* from = RowAt(source, sourceStride, row);
        uint8_t* to = RowAt(destination, destinationStride, row);
        for (int32_t group = 0; group < groups; ++group, from += in, to += out) {
            for (int byte = 0; byte < out; ++byte) {
                to[byte] = from[map[byte]];
            }
        }
    }
    return kSuccess;
}

}  // namespace

int32_t ExpandGroups12To16_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                    int32_t destinationStride, int32_t groups, int32_t height, const uint8_t* map) {
    return MapGroups(source, sourceStride, destination, destinationStride, groups, height, map, 12, 16);
}

int32_t PackGroups16To12_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                  int32_t destinationStride, int32_t groups, int32_t height, const uint8_t* map) {
    return MapGroups(source, sourceStride, destination, destinationStride, groups, height, map, 16, 12);
}

int32_t Y41PToGrey_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t groups, int32_t height) {
    if (const int32_t status = PictureStatus(source, destination, groups, height)) {
        return status;
    }
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t group = 0; group < groups; ++group, in += 12, out += 8) {
            for (int pixel = 0; pixel < 8; ++pixel) {
                out[pixel] = in[kY41PLumaBytes[pixel]];
            }
        }
    }
    return kSuccess;
}

int32_t GreyToY41P_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t groups, int32_t height) {
    if (const int32_t status = PictureStatus(source, destination, groups, height)) {
        return status;
    }
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        for (int32_t group = 0; group < groups; ++group, in += 8, out += 12) {
            for (int pixel = 0; pixel < 8; ++pixel) {
                out[kY41PLumaBytes[pixel]] = in[pixel];
            }
            out[0] = 128;
            out[2] = 128;
            out[4] = 128;
            out[6] = 128;
        }
    }
    return kSuccess;
}

}  // namespace kernels
