// DemosaicBayer and DemosaicBayerBGRA with AVX2: thirty-two pixels a step,
// the same arithmetic as the SSSE3 variant on 256-bit registers (byte averages
// for the two-neighbour sites, 16-bit sums for the four-neighbour ones). Byte
// shuffles and unpacks stay within 128-bit lanes, so each lane builds the
// bytes of its sixteen pixels and the halves are put in order before the
// stores. The last step of a row overlaps the one before it; rows narrower
// than one step go through the portable row.
#include <immintrin.h>

#include <cstddef>

#include "conversion/kernels/BayerDemosaicKernels.h"
#include "conversion/kernels/ColourFormulas.h"

namespace kernels {

namespace {

constexpr int32_t kStep = 32;

// In-lane shuffle masks: masks[part][plane] builds bytes 16 x part ..
// 16 x part + 15 of the 48 bytes of a lane's sixteen pixels.
struct InterleaveMasks {
    __m256i masks[3][3];
    InterleaveMasks() {
        for (int part = 0; part < 3; ++part) {
            for (int plane = 0; plane < 3; ++plane) {
                int8_t bytes[32];
                for (int index = 0; index < 32; ++index) {
                    const int position = 16 * part + index % 16;
                    bytes[index] = static_cast<int8_t>(position % 3 == plane ? position / 3 : -128);
                }
                masks[part][plane] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes));
            }
        }
    }
};

inline __m256i Load(const uint8_t* bytes) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes));
}

// Thirty-two B, G, R pixels from three planes, 96 bytes. Each lane builds
// the 48 bytes of its sixteen pixels: parts[k] holds bytes 16k.. of the low
// lane's pixels and 48 + 16k.. of the high lane's.
inline void Store3(uint8_t* pixels, __m256i blue, __m256i green, __m256i red, __m256i,
                   const InterleaveMasks& interleave) {
    __m256i parts[3];
    for (int part = 0; part < 3; ++part) {
        parts[part] = _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(blue, interleave.masks[part][0]),
                                                      _mm256_shuffle_epi8(green, interleave.masks[part][1])),
                                      _mm256_shuffle_epi8(red, interleave.masks[part][2]));
    }
    __m256i* out = reinterpret_cast<__m256i*>(pixels);
    _mm256_storeu_si256(out, _mm256_permute2x128_si256(parts[0], parts[1], 0x20));
    _mm256_storeu_si256(out + 1, _mm256_permute2x128_si256(parts[2], parts[0], 0x30));
    _mm256_storeu_si256(out + 2, _mm256_permute2x128_si256(parts[1], parts[2], 0x31));
}

// Thirty-two B, G, R, alpha pixels, 128 bytes. The unpacks work within lanes:
// the low lane's results are pixels 0..15, the high lane's 16..31.
inline void Store4(uint8_t* pixels, __m256i blue, __m256i green, __m256i red, __m256i alpha,
                   const InterleaveMasks&) {
    const __m256i blueGreenLow = _mm256_unpacklo_epi8(blue, green);
    const __m256i blueGreenHigh = _mm256_unpackhi_epi8(blue, green);
    const __m256i redAlphaLow = _mm256_unpacklo_epi8(red, alpha);
    const __m256i redAlphaHigh = _mm256_unpackhi_epi8(red, alpha);
    const __m256i first = _mm256_unpacklo_epi16(blueGreenLow, redAlphaLow);     // 0..3, 16..19
    const __m256i second = _mm256_unpackhi_epi16(blueGreenLow, redAlphaLow);    // 4..7, 20..23
    const __m256i third = _mm256_unpacklo_epi16(blueGreenHigh, redAlphaHigh);   // 8..11, 24..27
    const __m256i fourth = _mm256_unpackhi_epi16(blueGreenHigh, redAlphaHigh);  // 12..15, 28..31
    __m256i* out = reinterpret_cast<__m256i*>(pixels);
    _mm256_storeu_si256(out, _mm256_permute2x128_si256(first, second, 0x20));
    _mm256_storeu_si256(out + 1, _mm256_permute2x128_si256(third, fourth, 0x20));
    _mm256_storeu_si256(out + 2, _mm256_permute2x128_si256(first, second, 0x31));
    _mm256_storeu_si256(out + 3, _mm256_permute2x128_si256(third, fourth, 0x31));
}

// Thirty-two greys, (1225 R + 2404 G + 467 B) >> 12 as the portable formula but in
// 16-bit lanes, on its weights split as 64 h + l (ColourFormulas.h): each
// half weighed by byte multiply-adds on (B, G) and (R, 0) pairs. The unpacks
// and the pack stay within lanes and undo each other.
inline void StoreGrey(uint8_t* pixels, __m256i blue, __m256i green, __m256i red) {
    const __m256i zero = _mm256_setzero_si256();
    const auto pair = [](int8_t first, int8_t second) {
        return _mm256_set1_epi16(static_cast<int16_t>(uint8_t(first) | uint8_t(second) << 8));
    };
    const __m256i blueGreenHigh = pair(formulas::kGreyHigh.b, formulas::kGreyHigh.g);
    const __m256i blueGreenLow = pair(formulas::kGreyLow.b, formulas::kGreyLow.g);
    const __m256i redHigh = pair(formulas::kGreyHigh.r, 0);
    const __m256i redLow = pair(formulas::kGreyLow.r, 0);
    const auto greys = [&](__m256i blueGreen, __m256i redZero) {
        const __m256i high = _mm256_add_epi16(_mm256_maddubs_epi16(blueGreen, blueGreenHigh),
                                              _mm256_maddubs_epi16(redZero, redHigh));
        const __m256i low = _mm256_add_epi16(_mm256_maddubs_epi16(blueGreen, blueGreenLow),
                                             _mm256_maddubs_epi16(redZero, redLow));
        return _mm256_srli_epi16(_mm256_add_epi16(high, _mm256_srli_epi16(low, 6)), 6);
    };
    const __m256i first = greys(_mm256_unpacklo_epi8(blue, green), _mm256_unpacklo_epi8(red, zero));
    const __m256i second = greys(_mm256_unpackhi_epi8(blue, green), _mm256_unpackhi_epi8(red, zero));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(pixels), _mm256_packus_epi16(first, second));
}

// Thirty-two pixels from column 'column'. GreenFirst: the pixel at 'column' is
// a green site (so the even lanes of each 16-bit pair are green).
template <bool GreenFirst, int PixelBytes>
inline void Step(const uint8_t* above, const uint8_t* here, const uint8_t* below, uint8_t* out,
                 int32_t column, bool ownIsBlue, __m256i alpha, const InterleaveMasks& interleave) {
    const __m256i lowBytes = _mm256_set1_epi16(0x00FF);
    const __m256i greenMask = GreenFirst ? lowBytes : _mm256_slli_epi16(lowBytes, 8);
    const auto pick = [&](__m256i v) {
        return GreenFirst ? _mm256_srli_epi16(v, 8) : _mm256_and_si256(v, lowBytes);
    };
    const auto place = [](__m256i v) { return GreenFirst ? _mm256_slli_epi16(v, 8) : v; };

    const __m256i left = Load(here + column - 1);
    const __m256i centre = Load(here + column);
    const __m256i right = Load(here + column + 1);
    const __m256i up = Load(above + column);
    const __m256i down = Load(below + column);
    const __m256i two = _mm256_set1_epi16(2);

    const __m256i crossSum = _mm256_add_epi16(_mm256_add_epi16(pick(left), pick(right)),
                                              _mm256_add_epi16(_mm256_add_epi16(pick(up), pick(down)), two));
    const __m256i diagonalSum = _mm256_add_epi16(
        _mm256_add_epi16(pick(Load(above + column - 1)), pick(Load(above + column + 1))),
        _mm256_add_epi16(_mm256_add_epi16(pick(Load(below + column - 1)), pick(Load(below + column + 1))),
                         two));
    const __m256i cross = place(_mm256_srli_epi16(crossSum, 2));
    const __m256i diagonal = place(_mm256_srli_epi16(diagonalSum, 2));

    const __m256i own = _mm256_blendv_epi8(centre, _mm256_avg_epu8(left, right), greenMask);
    const __m256i green = _mm256_or_si256(_mm256_and_si256(greenMask, centre), cross);
    const __m256i other = _mm256_or_si256(_mm256_and_si256(greenMask, _mm256_avg_epu8(up, down)), diagonal);
    const __m256i blue = ownIsBlue ? own : other;
    const __m256i red = ownIsBlue ? other : own;

    uint8_t* pixels = out + PixelBytes * static_cast<ptrdiff_t>(column);
    if (PixelBytes == 3) {
        Store3(pixels, blue, green, red, alpha, interleave);
    } else if (PixelBytes == 4) {
        Store4(pixels, blue, green, red, alpha, interleave);
    } else {
        StoreGrey(pixels, blue, green, red);
    }
}

template <int PixelBytes>
void InnerRow(const uint8_t* above, const uint8_t* here, const uint8_t* below, uint8_t* out, int32_t width,
              BayerRowColours row, int32_t, uint8_t alphaValue) {
    static const InterleaveMasks interleave;
    const __m256i alpha = _mm256_set1_epi8(static_cast<char>(alphaValue));
    const bool greenAtEven = row.colours[0] == kBayerGreen;
    const bool ownIsBlue = (greenAtEven ? row.colours[1] : row.colours[0]) == kBayerBlue;
    const auto step = [&](int32_t column) {
        if (greenAtEven == ((column & 1) == 0)) {
            Step<true, PixelBytes>(above, here, below, out, column, ownIsBlue, alpha, interleave);
        } else {
            Step<false, PixelBytes>(above, here, below, out, column, ownIsBlue, alpha, interleave);
        }
    };
    const int32_t lastStep = width - 1 - kStep;
    int32_t column = 1;
    for (; column <= lastStep; column += kStep) {
        step(column);
    }
    if (column < width - 1) {
        step(lastStep);
    }
}

}  // namespace

int32_t DemosaicBayer_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                           int32_t destinationStride, int32_t width, int32_t height, int32_t phase,
                           int32_t firstRow, int32_t rowCount) {
    return DemosaicBayerRows(source, sourceStride, destination, destinationStride, width, height, phase,
                             firstRow, rowCount, 3, 0, InnerRow<3>, kStep + 2);
}

int32_t DemosaicBayerGrey_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                               int32_t destinationStride, int32_t width, int32_t height, int32_t phase,
                               int32_t firstRow, int32_t rowCount) {
    return DemosaicBayerRows(source, sourceStride, destination, destinationStride, width, height, phase,
                             firstRow, rowCount, 1, 0, InnerRow<1>, kStep + 2);
}

int32_t DemosaicBayerBGRA_AVX2(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                               int32_t destinationStride, int32_t width, int32_t height, int32_t phase,
                               int32_t firstRow, int32_t rowCount, uint8_t alpha) {
    return DemosaicBayerRows(source, sourceStride, destination, destinationStride, width, height, phase,
                             firstRow, rowCount, 4, alpha, InnerRow<4>, kStep + 2);
}

}  // namespace kernels
