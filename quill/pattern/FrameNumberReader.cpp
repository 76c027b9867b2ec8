#include "quill/TestPattern.h"

namespace Quill {
namespace Pattern {

namespace {

// Blocks read as black below this luma and as white above the second; limited
// range video (16..235) and demosaicing stay well clear of the gap.
constexpr int kBlackBelow = 80;
constexpr int kWhiteAbove = 160;

bool ReadStrip(const StripLayout& layout, int strip, const LumaSampler& sampler, uint32_t& number) {
    number = 0;
    for (int bit = 0; bit < kFrameNumberBits; ++bit) {
        const int x0 = layout.BlockX(bit);
        const int y = layout.BlockY(strip, bit) + layout.blockHeight / 2;
        // The middle row, two pixels in from each side: away from every
        // neighbour that subsampling or interpolation could mix in.
        int sum = 0;
        int count = 0;
        for (int x = x0 + 2; x < x0 + layout.blockWidth - 2; ++x) {
            sum += sampler(x, y);
            ++count;
        }
        const int luma = sum / count;
        number <<= 1;
        if (luma > kWhiteAbove) {
            number |= 1;
        } else if (luma >= kBlackBelow) {
            return false;
        }
    }
    return true;
}

}  // namespace

FrameNumberReading ReadFrameNumber(int width, int height, const LumaSampler& sampler) {
    FrameNumberReading reading;
    const StripLayout layout = ComputeStripLayout(width, height);
    if (!layout.valid || !sampler) {
        return reading;
    }
    reading.topValid = ReadStrip(layout, 0, sampler, reading.top);
    reading.bottomValid = ReadStrip(layout, 1, sampler, reading.bottom);
    return reading;
}

}  // namespace Pattern
}  // namespace Quill
