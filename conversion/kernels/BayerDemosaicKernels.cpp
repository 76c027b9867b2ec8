// The portable bilinear demosaic and the row walk every variant shares: the
// argument checks, the black border and the rows too narrow for a vector step
// are handled here once, so a variant supplies only its inner row.
#include "conversion/kernels/BayerDemosaicKernels.h"

#include <cstddef>
#include <cstring>

#include "conversion/kernels/ColourFormulas.h"
#include "conversion/kernels/KernelTable.h"
#include "conversion/kernels/PortableKernels.h"

namespace kernels {

namespace {

// Colours at (row parity, column parity) for each phase, as the 2 x 2 tile
// that repeats from the top left corner.
constexpr BayerRowColours kTiles[4][2] = {
    {{{kBayerBlue, kBayerGreen}}, {{kBayerGreen, kBayerRed}}},
    {{{kBayerGreen, kBayerBlue}}, {{kBayerRed, kBayerGreen}}},
    {{{kBayerRed, kBayerGreen}}, {{kBayerGreen, kBayerBlue}}},
    {{{kBayerGreen, kBayerRed}}, {{kBayerBlue, kBayerGreen}}},
};

}  // namespace

void DemosaicInnerRow_Portable(const uint8_t* above, const uint8_t* here, const uint8_t* below, uint8_t* out,
                               int32_t width, BayerRowColours row, int32_t pixelBytes, uint8_t alpha) {
    // The row's own colour lies left and right of its green sites; the other
    // row's colour above and below them.
    const int own = row.colours[0] == kBayerGreen ? row.colours[1] : row.colours[0];
    const int other = kBayerRed + kBayerBlue - own;
    for (int32_t x = 1; x + 1 < width; ++x) {
        uint8_t colours[3];
        uint8_t* pixel = pixelBytes == 1 ? colours : out + pixelBytes * static_cast<ptrdiff_t>(x);
        if (row.colours[x & 1] == kBayerGreen) {
            pixel[kBayerGreen] = here[x];
            pixel[own] = static_cast<uint8_t>((here[x - 1] + here[x + 1] + 1) >> 1);
            pixel[other] = static_cast<uint8_t>((above[x] + below[x] + 1) >> 1);
        } else {
            pixel[own] = here[x];
            pixel[kBayerGreen] =
                static_cast<uint8_t>((above[x] + below[x] + here[x - 1] + here[x + 1] + 2) >> 2);
            pixel[other] =
                static_cast<uint8_t>((above[x - 1] + above[x + 1] + below[x - 1] + below[x + 1] + 2) >> 2);
        }
        if (pixelBytes == 4) {
            pixel[3] = alpha;
        } else if (pixelBytes == 1) {
            out[x] = formulas::Grey(colours[kBayerBlue], colours[kBayerGreen], colours[kBayerRed]);
        }
    }
}

namespace {

// Black pixels from 'first' to 'end' (exclusive) of a row; black's grey is 0.
void BlackPixels(uint8_t* out, int32_t first, int32_t end, int32_t pixelBytes, uint8_t alpha) {
    uint8_t* pixel = out + pixelBytes * static_cast<ptrdiff_t>(first);
    if (pixelBytes != 4) {
        std::memset(pixel, 0, static_cast<size_t>(pixelBytes) * static_cast<size_t>(end - first));
        return;
    }
    for (int32_t x = first; x < end; ++x, pixel += 4) {
        pixel[0] = 0;
        pixel[1] = 0;
        pixel[2] = 0;
        pixel[3] = alpha;
    }
}

}  // namespace

int32_t DemosaicBayerRows(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height, int32_t phase,
                          int32_t firstRow, int32_t rowCount, int32_t pixelBytes, uint8_t alpha,
                          DemosaicInnerRow innerRow, int32_t minimumWidth) {
    if (source == nullptr || destination == nullptr) {
        return kNullPointer;
    }
    if (width < 1 || height < 1 || firstRow < 0 || rowCount < 1 || firstRow > height - rowCount) {
        return kBelowMinimumSize;
    }
    if (phase < 0 || phase > 3) {
        return kBadChannelIndex;
    }
    if (width < minimumWidth) {
        innerRow = DemosaicInnerRow_Portable;
    }
    for (int32_t index = 0; index < rowCount; ++index) {
        const int32_t y = firstRow + index;
        uint8_t* out = RowAt(destination, destinationStride, index);
        if (y == 0 || y == height - 1) {
            BlackPixels(out, 0, width, pixelBytes, alpha);
            continue;
        }
        BlackPixels(out, 0, 1, pixelBytes, alpha);
        BlackPixels(out, width - 1, width, pixelBytes, alpha);
        if (width >= 3) {
            innerRow(RowAt(source, sourceStride, y - 1), RowAt(source, sourceStride, y),
                     RowAt(source, sourceStride, y + 1), out, width, kTiles[phase][y & 1], pixelBytes, alpha);
        }
    }
    return kSuccess;
}

int32_t DemosaicBayer_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                               int32_t destinationStride, int32_t width, int32_t height, int32_t phase,
                               int32_t firstRow, int32_t rowCount) {
    return DemosaicBayerRows(source, sourceStride, destination, destinationStride, width, height, phase,
                             firstRow, rowCount, 3, 0, DemosaicInnerRow_Portable, 1);
}

int32_t DemosaicBayerGrey_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                   int32_t destinationStride, int32_t width, int32_t height, int32_t phase,
                                   int32_t firstRow, int32_t rowCount) {
    return DemosaicBayerRows(source, sourceStride, destination, destinationStride, width, height, phase,
                             firstRow, rowCount, 1, 0, DemosaicInnerRow_Portable, 1);
}

int32_t DemosaicBayerBGRA_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                   int32_t destinationStride, int32_t width, int32_t height, int32_t phase,
                                   int32_t firstRow, int32_t rowCount, uint8_t alpha) {
    return DemosaicBayerRows(source, sourceStride, destination, destinationStride, width, height, phase,
                             firstRow, rowCount, 4, alpha, DemosaicInnerRow_Portable, 1);
}

}  // namespace kernels
