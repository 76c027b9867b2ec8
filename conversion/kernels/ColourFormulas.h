// The integer colour formulas shared by every kernel and routine. All
// intermediate values fit in 32 bits; '>>' on a negative value is an arithmetic
// shift (rounding towards minus infinity) with the compilers this project uses.
#pragma once

#include <cstdint>

// The formulas have internal linkage: translation units compiled for a vector
// instruction set also use them for their tails, and a merged out-of-line copy
// from such a unit must never serve the portable kernels.
namespace formulas {

static inline uint8_t Clamp255(int32_t value) {
    return static_cast<uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

// BT.601 luma, 16 to 235.
static inline uint8_t Luma(int32_t r, int32_t g, int32_t b) {
    return static_cast<uint8_t>((16843 * r + 33030 * g + 6423 * b + 1081344) >> 16);
}

// Chroma of a horizontal pair, from the sums over its two pixels.
static inline uint8_t PairU(int32_t sumB, int32_t sumG, int32_t sumR) {
    return static_cast<uint8_t>((28770 * sumB - 19071 * sumG - 9699 * sumR + 16793600) >> 17);
}
static inline uint8_t PairV(int32_t sumB, int32_t sumG, int32_t sumR) {
    return static_cast<uint8_t>((28770 * sumR - 24117 * sumG - 4653 * sumB + 16793600) >> 17);
}

// U of the lone last pixel of an odd width.
static inline uint8_t LoneU(int32_t b, int32_t g, int32_t r) {
    return static_cast<uint8_t>((28770 * b - 19071 * g - 9699 * r + 8396800) >> 16);
}

// Chroma of a 2 x 2 block, from the sums over its four pixels.
static inline uint8_t BlockU(int32_t sumB, int32_t sumG, int32_t sumR) {
    return static_cast<uint8_t>((28770 * sumB - 19071 * sumG - 9699 * sumR + 33587200) >> 18);
}
static inline uint8_t BlockV(int32_t sumB, int32_t sumG, int32_t sumR) {
    return static_cast<uint8_t>((28770 * sumR - 24117 * sumG - 4653 * sumB + 33587200) >> 18);
}

// Grey from B, G, R.
static inline uint8_t Grey(int32_t b, int32_t g, int32_t r) {
    return static_cast<uint8_t>((1225 * r + 2404 * g + 467 * b) >> 12);
}

// Grey's weights split as 64 h + l, for vector forms in 16-bit lanes: with H
// and L a pixel's sums under h and l (at most 16,065 and 16,320, within a
// signed 16-bit byte multiply-add), its grey is (H + (L >> 6)) >> 6 exactly,
// since floor((64 H + L) / 4096) = floor((H + floor(L / 64)) / 64).
struct GreyWeights {
    int8_t b;
    int8_t g;
    int8_t r;
};
constexpr GreyWeights kGreyHigh = {7, 37, 19};
constexpr GreyWeights kGreyLow = {19, 36, 9};
static_assert(64 * kGreyHigh.r + kGreyLow.r == 1225 && 64 * kGreyHigh.g + kGreyLow.g == 2404 &&
                  64 * kGreyHigh.b + kGreyLow.b == 467,
              "the split weights sum to Grey's");

struct Bgr {
    uint8_t b;
    uint8_t g;
    uint8_t r;
};

// Form A: UYVY-family sources.
static inline Bgr FormA(int32_t y, int32_t u, int32_t v) {
    const int32_t luma = 76282 * (y - 16);
    const int32_t cu = u - 128;
    const int32_t cv = v - 128;
    return Bgr{Clamp255((luma + 132184 * cu + 32768) >> 16),
               Clamp255((luma - 25689 * cu - 53279 * cv + 32768) >> 16),
               Clamp255((luma + 104593 * cv + 32768) >> 16)};
}

// Form B: YUY2-family and Y41P sources, chroma unshifted.
static inline Bgr FormB(int32_t y, int32_t u, int32_t v) {
    const int32_t luma = 76284 * y;
    return Bgr{Clamp255((luma + 132186 * u - 18140365) >> 16),
               Clamp255((luma - 25690 * u - 53281 * v + 8887730) >> 16),
               Clamp255((luma + 104595 * v - 14608761) >> 16)};
}

// Form C: 4:2:0 planar sources.
static inline Bgr FormC(int32_t y, int32_t u, int32_t v) {
    const int32_t luma = 76284 * (y - 16);
    const int32_t cu = u - 128;
    const int32_t cv = v - 128;
    return Bgr{Clamp255((luma + 132186 * cu + 32768) >> 16),
               Clamp255((luma - 25690 * cu - 53281 * cv + 32768) >> 16),
               Clamp255((luma + 104595 * cv + 32768) >> 16)};
}

}  // namespace formulas
