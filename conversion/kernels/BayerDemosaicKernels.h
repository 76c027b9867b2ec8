// The bilinear Bayer demosaic kernels (3-byte and 4-byte pixels): their
// portable variants, the vector variants, and the row walk they share. Only KernelTable.cpp and the variant
// files refer to these names; routines reach the kernel through the table.
#pragma once

#include <cstdint>

namespace kernels {

// Colours as byte indices of a B, G, R pixel.
enum BayerColour : int8_t { kBayerBlue = 0, kBayerGreen = 1, kBayerRed = 2 };

// The colours of one mosaic row: colours[0] at even columns, colours[1] at odd
// ones. One of them is green, the other the row's own colour (blue or red).
struct BayerRowColours {
    int8_t colours[2];
};

// Fills inner pixels 1 .. width - 2 of one output row from the mosaic rows
// above, at and below it: pixels of pixelBytes bytes, 3 (B, G, R), 4 (B, G,
// R, alpha) or 1 (the grey of B, G, R, as BGR24ToGrey computes it). Called
// only for rows 1 .. height - 2 of a picture at least minimumWidth pixels
// wide; the border pixels are written by the shared walk.
typedef void (*DemosaicInnerRow)(const uint8_t* above, const uint8_t* here, const uint8_t* below,
                                 uint8_t* out, int32_t width, BayerRowColours row, int32_t pixelBytes,
                                 uint8_t alpha);

// The shared walk: validates the arguments, writes the black border (alpha
// as given in 4-byte pixels), and fills the inner pixels of each row with
// innerRow when the picture is at least minimumWidth wide, else with the
// portable row. Rows firstRow .. firstRow + rowCount - 1 of the picture are
// written, the first of them at destination; source addresses the picture's
// row 0. Status as DemosaicBayer in the table.
int32_t DemosaicBayerRows(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height, int32_t phase,
                          int32_t firstRow, int32_t rowCount, int32_t pixelBytes, uint8_t alpha,
                          DemosaicInnerRow innerRow, int32_t minimumWidth);

// The portable inner row, also the vector variants' way with rows too narrow
// for one vector step.
void DemosaicInnerRow_Portable(const uint8_t* above, const uint8_t* here, const uint8_t* below, uint8_t* out,
                               int32_t width, BayerRowColours row, int32_t pixelBytes, uint8_t alpha);

int32_t DemosaicBayer_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                               int32_t destinationStride, int32_t width, int32_t height, int32_t phase,
                               int32_t firstRow, int32_t rowCount);
int32_t DemosaicBayerGrey_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                   int32_t destinationStride, int32_t width, int32_t height, int32_t phase,
                                   int32_t firstRow, int32_t rowCount);
int32_t DemosaicBayerBGRA_Portable(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                   int32_t destinationStride, int32_t width, int32_t height, int32_t phase,
                                   int32_t firstRow, int32_t rowCount, uint8_t alpha);

#if defined(KORVEL_X86_KERNELS)
int32_t DemosaicBayer_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t width, int32_t height, int32_t phase,
                            int32_t firstRow, int32_t rowCount);
int32_t DemosaicBayer_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height, int32_t phase,
                           int32_t firstRow, int32_t rowCount);
int32_t DemosaicBayerBGRA_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                int32_t destinationStride, int32_t width, int32_t height, int32_t phase,
                                int32_t firstRow, int32_t rowCount, uint8_t alpha);
int32_t DemosaicBayerBGRA_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                               int32_t destinationStride, int32_t width, int32_t height, int32_t phase,
                               int32_t firstRow, int32_t rowCount, uint8_t alpha);
int32_t DemosaicBayerGrey_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                int32_t destinationStride, int32_t width, int32_t height, int32_t phase,
                                int32_t firstRow, int32_t rowCount);
int32_t DemosaicBayerGrey_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                               int32_t destinationStride, int32_t width, int32_t height, int32_t phase,
                               int32_t firstRow, int32_t rowCount);
#endif

}  // namespace kernels
