#include "conversion/BayerDemosaic.h"

#include <cstring>

#include "conversion/kernels/PortableKernels.h"

namespace routines {

namespace {

enum Colour : int { kBlue = 0, kGreen = 1, kRed = 2 };

// Colour at (row parity, column parity) for each phase; the value is also the
// byte index of that colour in a B, G, R pixel.
constexpr int kTiles[4][2][2] = {
    {{kBlue, kGreen}, {kGreen, kRed}},
    {{kGreen, kBlue}, {kRed, kGreen}},
    {{kRed, kGreen}, {kGreen, kBlue}},
    {{kGreen, kRed}, {kBlue, kGreen}},
};

}  // namespace

void DemosaicBayer(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                   int32_t destinationStride, int32_t width, int32_t height, BayerPhase phase) {
    using kernels::RowAt;
    const auto& tile = kTiles[static_cast<int>(phase)];
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    std::memset(RowAt(destination, destinationStride, 0), 0, rowBytes);
    std::memset(RowAt(destination, destinationStride, height - 1), 0, rowBytes);
    for (int32_t y = 1; y + 1 < height; ++y) {
        const uint8_t* above = RowAt(source, sourceStride, y - 1);
        const uint8_t* here = RowAt(source, sourceStride, y);
        const uint8_t* below = RowAt(source, sourceStride, y + 1);
        uint8_t* out = RowAt(destination, destinationStride, y);
        std::memset(out, 0, 3);
        std::memset(out + 3 * (width - 1), 0, 3);
        for (int32_t x = 1; x + 1 < width; ++x) {
            uint8_t* pixel = out + 3 * x;
            const int own = tile[y & 1][x & 1];
            pixel[own] = here[x];
            if (own == kGreen) {
                // Left and right lie one colour, above and below the other.
                const int sideways = tile[y & 1][(x + 1) & 1];
                const int vertical = tile[(y + 1) & 1][x & 1];
                pixel[sideways] = static_cast<uint8_t>((here[x - 1] + here[x + 1] + 1) >> 1);
                pixel[vertical] = static_cast<uint8_t>((above[x] + below[x] + 1) >> 1);
            } else {
                const int diagonal = kRed + kBlue - own;
                pixel[kGreen] =
                    static_cast<uint8_t>((above[x] + below[x] + here[x - 1] + here[x + 1] + 2) >> 2);
                pixel[diagonal] = static_cast<uint8_t>(
                    (above[x - 1] + above[x + 1] + below[x - 1] + below[x + 1] + 2) >> 2);
            }
        }
    }
}

}  // namespace routines
