// The frame-number strips of the emulated cameras' test pattern, and a reader
// for them that works on any picture derived from a camera frame.
//
// Every frame carries its number (16 bits, most significant first, white = 1)
// twice: in a strip of black and white blocks near the top and in an identical
// strip near the bottom, so a picture made of two frames is detectable. Blocks
// start on multiples of 8 pixels and are wide and tall enough that a picture
// keeps them through YUV 4:2:2, 4:2:0 and 4:1:1 subsampling, RGB, grey and a
// bilinear Bayer demosaic; their chroma is neutral. A picture too small for
// them (narrower than 32 pixels, or too low) carries none: see StripLayout::valid.
#pragma once

#include <cstdint>
#include <functional>

namespace Quill {
namespace Pattern {

constexpr int kFrameNumberBits = 16;

// Where the blocks of a width x height picture lie (top-down coordinates).
struct StripLayout {
    bool valid = false;
    int columns = 0;      // blocks per row of a strip
    int rows = 0;         // rows of blocks per strip
    int blockWidth = 0;   // pixels, a multiple of 8
    int blockHeight = 0;  // pixels
    int left = 0;         // x of the first column, a multiple of 8
    int top[2] = {0, 0};  // y of the top strip and of the bottom strip

    // Block of bit index i (0 = most significant) in strip s.
    int BlockX(int bit) const { return left + (bit % columns) * blockWidth; }
    int BlockY(int strip, int bit) const { return top[strip] + (bit / columns) * blockHeight; }
};

StripLayout ComputeStripLayout(int width, int height);

// Luma 0..255 of the picture at (x, y), y counted from the top row.
typedef std::function<int(int x, int y)> LumaSampler;

struct FrameNumberReading {
    bool topValid = false;     // every block of the top strip read clearly black or white
    bool bottomValid = false;  // the same for the bottom strip
    uint32_t top = 0;
    uint32_t bottom = 0;

    bool Valid() const { return topValid && bottomValid; }
    // Both strips read and carry the same number: the picture is one whole frame.
    bool Agree() const { return Valid() && top == bottom; }
};

FrameNumberReading ReadFrameNumber(int width, int height, const LumaSampler& sampler);

// A sampler for a raw camera payload in one of the emulated cameras' pixel
// formats (Mono8/10/12/16, Bayer??8, YUV422Packed, YUV422_YUYV_Packed,
// YUV411Packed, RGB8/BGR8/RGBA8/BGRA8Packed). strideBytes 0 means rows are
// packed. An unknown format gives an empty sampler.
LumaSampler MakeCameraLumaSampler(const char* pixelFormat, const void* buffer, int width, int height,
                                  int strideBytes = 0);

}  // namespace Pattern
}  // namespace Quill
