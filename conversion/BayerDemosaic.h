// Bilinear demosaic of an 8-bit Bayer mosaic into B, G, R pixels.
#pragma once

#include <cstdint>

namespace routines {

// The 2 x 2 tile that repeats from the top left corner.
enum class BayerPhase : int {
    BlueGreenGreenRed = 0,  // BYBG, ORBY
    GreenBlueRedGreen = 1,  // BYGB
    RedGreenGreenBlue = 2,  // BYRG
    GreenRedBlueGreen = 3,  // BYGR
};

// Writes 3-byte B, G, R pixels: a black one-pixel border, and for each inner
// pixel its own colour plus the neighbours' average of the other two, rounded
// half up. Rows of destinationStride bytes (negative for a flipped picture).
void DemosaicBayer(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                   int32_t destinationStride, int32_t width, int32_t height, BayerPhase phase);

}  // namespace routines
