// DemosaicBayer and DemosaicBayerBGRA with SSSE3: sixteen pixels a step. The two-neighbour averages
// are byte averages (which round half up, as the portable formula does); the
// four-neighbour averages are summed in 16-bit lanes, only at the sites that
// need them. A row's last step overlaps the one before it rather than leaving
// a tail; rows narrower than one step go through the portable row.
#include <tmmintrin.h>

#include <cstddef>

#include "conversion/kernels/BayerDemosaicKernels.h"
#include "conversion/kernels/ColourFormulas.h"

namespace kernels {

namespace {

constexpr int32_t kStep = 16;

// pshufb masks that spread three planes of sixteen bytes into 48 bytes of
// B, G, R pixels: masks[part][plane] builds bytes 16 x part .. 16 x part + 15.
struct InterleaveMasks {
    __m128i masks[3][3];
    InterleaveMasks() {
        for (int part = 0; part < 3; ++part) {
            for (int plane = 0; plane < 3; ++plane) {
                int8_t bytes[16];
                for (int index = 0; index < 16; ++index) {
                    const int position = 16 * part + index;
                    bytes[index] = static_cast<int8_t>(position % 3 == plane ? position / 3 : -128);
                }
                masks[part][plane] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
            }
        }
    }
};

inline __m128i Load(const uint8_t* bytes) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
}

// Sixteen B, G, R pixels from three planes, 48 bytes.
inline void Store3(uint8_t* pixels, __m128i blue, __m128i green, __m128i red, __m128i,
                   const InterleaveMasks& interleave) {
    for (int part = 0; part < 3; ++part) {
        const __m128i bytes = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(blue, interleave.masks[part][0]),
                                                        _mm_shuffle_epi8(green, interleave.masks[part][1])),
                                           _mm_shuffle_epi8(red, interleave.masks[part][2]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels + 16 * part), bytes);
    }
}

// Sixteen B, G, R, alpha pixels, 64 bytes.
inline void Store4(uint8_t* pixels, __m128i blue, __m128i green, __m128i red, __m128i alpha,
                   const InterleaveMasks&) {
    const __m128i blueGreenLow = _mm_unpacklo_epi8(blue, green);
    const __m128i blueGreenHigh = _mm_unpackhi_epi8(blue, green);
    const __m128i redAlphaLow = _mm_unpacklo_epi8(red, alpha);
    const __m128i redAlphaHigh = _mm_unpackhi_epi8(red, alpha);
    __m128i* out = reinterpret_cast<__m128i*>(pixels);
    _mm_storeu_si128(out, _mm_unpacklo_epi16(blueGreenLow, redAlphaLow));
    _mm_storeu_si128(out + 1, _mm_unpackhi_epi16(blueGreenLow, redAlphaLow));
    _mm_storeu_si128(out + 2, _mm_unpacklo_epi16(blueGreenHigh, redAlphaHigh));
    _mm_storeu_si128(out + 3, _mm_unpackhi_epi16(blueGreenHigh, redAlphaHigh));
}

// Sixteen greys, (1225 R + 2404 G + 467 B) >> 12 as the portable formula but in
// 16-bit lanes, on its weights split as 64 h + l (ColourFormulas.h): each
// half weighed by byte multiply-adds on (B, G) and (R, 0) pairs. The unpacks
// and the pack stay within lanes and undo each other.
inline void StoreGrey(uint8_t* pixels, __m128i blue, __m128i green, __m128i red) {
    const __m128i zero = _mm_setzero_si128();
    const auto pair = [](int8_t first, int8_t second) {
        return _mm_set1_epi16(static_cast<int16_t>(uint8_t(first) | uint8_t(second) << 8));
    };
    const __m128i blueGreenHigh = pair(formulas::kGreyHigh.b, formulas::kGreyHigh.g);
    const __m128i blueGreenLow = pair(formulas::kGreyLow.b, formulas::kGreyLow.g);
    const __m128i redHigh = pair(formulas::kGreyHigh.r, 0);
    const __m128i redLow = pair(formulas::kGreyLow.r, 0);
    const auto greys = [&](__m128i blueGreen, __m128i redZero) {
        const __m128i high =
            _mm_add_epi16(_mm_maddubs_epi16(blueGreen, blueGreenHigh), _mm_maddubs_epi16(redZero, redHigh));
        const __m128i low =
            _mm_add_epi16(_mm_maddubs_epi16(blueGreen, blueGreenLow), _mm_maddubs_epi16(redZero, redLow));
        return _mm_srli_epi16(_mm_add_epi16(high, _mm_srli_epi16(low, 6)), 6);
    };
    const __m128i first = greys(_mm_unpacklo_epi8(blue, green), _mm_unpacklo_epi8(red, zero));
    const __m128i second = greys(_mm_unpackhi_epi8(blue, green), _mm_unpackhi_epi8(red, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels), _mm_packus_epi16(first, second));
}

// Sixteen pixels from column 'column'. GreenFirst: the pixel at 'column' is a
// green site (so the even lanes of each 16-bit pair are green).
template <bool GreenFirst, int PixelBytes>
inline void Step(const uint8_t* above, const uint8_t* here, const uint8_t* below, uint8_t* out,
                 int32_t column, bool ownIsBlue, __m128i alpha, const InterleaveMasks& interleave) {
    const __m128i lowBytes = _mm_set1_epi16(0x00FF);
    const __m128i greenMask = GreenFirst ? lowBytes : _mm_slli_epi16(lowBytes, 8);
    // The non-green byte of each pair as a 16-bit value, and back into its byte.
    const auto pick = [&](__m128i v) {
        return GreenFirst ? _mm_srli_epi16(v, 8) : _mm_and_si128(v, lowBytes);
    };
    const auto place = [](__m128i v) { return GreenFirst ? _mm_slli_epi16(v, 8) : v; };

    const __m128i left = Load(here + column - 1);
    const __m128i centre = Load(here + column);
    const __m128i right = Load(here + column + 1);
    const __m128i up = Load(above + column);
    const __m128i down = Load(below + column);
    const __m128i two = _mm_set1_epi16(2);

    const __m128i crossSum = _mm_add_epi16(_mm_add_epi16(pick(left), pick(right)),
                                           _mm_add_epi16(_mm_add_epi16(pick(up), pick(down)), two));
    const __m128i diagonalSum = _mm_add_epi16(
        _mm_add_epi16(pick(Load(above + column - 1)), pick(Load(above + column + 1))),
        _mm_add_epi16(_mm_add_epi16(pick(Load(below + column - 1)), pick(Load(below + column + 1))), two));
    const __m128i cross = place(_mm_srli_epi16(crossSum, 2));
    const __m128i diagonal = place(_mm_srli_epi16(diagonalSum, 2));

    const __m128i own = _mm_or_si128(_mm_and_si128(greenMask, _mm_avg_epu8(left, right)),
                                     _mm_andnot_si128(greenMask, centre));
    const __m128i green = _mm_or_si128(_mm_and_si128(greenMask, centre), cross);
    const __m128i other = _mm_or_si128(_mm_and_si128(greenMask, _mm_avg_epu8(up, down)), diagonal);
    const __m128i blue = ownIsBlue ? own : other;
    const __m128i red = ownIsBlue ? other : own;

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
    const __m128i alpha = _mm_set1_epi8(static_cast<char>(alphaValue));
    const bool greenAtEven = row.colours[0] == kBayerGreen;
    const bool ownIsBlue = (greenAtEven ? row.colours[1] : row.colours[0]) == kBayerBlue;
    const auto step = [&](int32_t column) {
        if (greenAtEven == ((column & 1) == 0)) {
            Step<true, PixelBytes>(above, here, below, out, column, ownIsBlue, alpha, interleave);
        } else {
            Step<false, PixelBytes>(above, here, below, out, column, ownIsBlue, alpha, interleave);
        }
    };
    // A step reads columns column - 1 .. column + kStep, so the last one starts
    // at width - 1 - kStep; it may repeat pixels already written.
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

int32_t DemosaicBayer_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                            int32_t destinationStride, int32_t width, int32_t height, int32_t phase,
                            int32_t firstRow, int32_t rowCount) {
    return DemosaicBayerRows(source, sourceStride, destination, destinationStride, width, height, phase,
                             firstRow, rowCount, 3, 0, InnerRow<3>, kStep + 2);
}

int32_t DemosaicBayerGrey_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                int32_t destinationStride, int32_t width, int32_t height, int32_t phase,
                                int32_t firstRow, int32_t rowCount) {
    return DemosaicBayerRows(source, sourceStride, destination, destinationStride, width, height, phase,
                             firstRow, rowCount, 1, 0, InnerRow<1>, kStep + 2);
}

int32_t DemosaicBayerBGRA_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                                int32_t destinationStride, int32_t width, int32_t height, int32_t phase,
                                int32_t firstRow, int32_t rowCount, uint8_t alpha) {
    return DemosaicBayerRows(source, sourceStride, destination, destinationStride, width, height, phase,
                             firstRow, rowCount, 4, alpha, InnerRow<4>, kStep + 2);
}

}  // namespace kernels
