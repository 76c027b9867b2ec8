// Bilinear demosaic of an 8-bit Bayer mosaic into B, G, R pixels, whole or in
// strips of rows, through the active kernel table.
#pragma once

#include <cstdint>

#include "conversion/PortableTypes.h"

namespace routines {

// The 2 x 2 tile that repeats from the top left corner.
enum class BayerPhase : int {
    BlueGreenGreenRed = 0,  // BYBG, ORBY
    GreenBlueRedGreen = 1,  // BYGB
    RedGreenGreenBlue = 2,  // BYRG
    GreenRedBlueGreen = 3,  // BYGR
};

// Writes rows firstRow .. firstRow + rowCount - 1 of the demosaiced width x
// height picture as 3-byte B, G, R pixels, the first of them at destination
// (rows destinationStride bytes apart, negative for a flipped picture): a
// black one-pixel border, and for each inner pixel its own colour plus the
// neighbours' average of the other two, rounded half up. Source addresses the
// mosaic's row 0. E_FAIL when the kernel refuses the arguments (nothing written).
HRESULT DemosaicBayerRows(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height, BayerPhase phase,
                          int32_t firstRow, int32_t rowCount);

// The whole picture as 4-byte B, G, R, alpha pixels, the border black with
// that alpha.
HRESULT DemosaicBayerBGRA(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height, BayerPhase phase,
                          uint8_t alpha);

// The whole picture as the grey of each demosaiced pixel (the RGB24 to Y800
// formula), one byte a pixel; the border 0.
HRESULT DemosaicBayerGrey(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height, BayerPhase phase);

}  // namespace routines
