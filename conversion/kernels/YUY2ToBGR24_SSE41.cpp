// YUY2ToBGR24 with SSE4.1: eight pixels a step, form B evaluated in 32-bit
// lanes with the portable coefficients and clamped by saturating packs, so the
// result is the portable one exactly. The pixels after the last whole step
// (and a lone last pixel) go through the portable formula.
#include <smmintrin.h>

#include "conversion/kernels/ColourFormulas.h"
#include "conversion/kernels/PortableKernels.h"
#include "conversion/kernels/SimdKernels.h"

namespace kernels {

namespace {

struct FourPixels {
    __m128i b;
    __m128i g;
    __m128i r;
};

// Form B for four pixels given as 32-bit lanes of Y, U and V.
inline FourPixels FormB(__m128i y, __m128i u, __m128i v) {
    const __m128i luma = _mm_mullo_epi32(y, _mm_set1_epi32(76284));
    FourPixels result;
    result.b = _mm_srai_epi32(_mm_add_epi32(_mm_add_epi32(luma, _mm_mullo_epi32(u, _mm_set1_epi32(132186))),
                                            _mm_set1_epi32(-18140365)),
                              16);
    result.g = _mm_srai_epi32(
        _mm_add_epi32(_mm_sub_epi32(luma, _mm_add_epi32(_mm_mullo_epi32(u, _mm_set1_epi32(25690)),
                                                        _mm_mullo_epi32(v, _mm_set1_epi32(53281)))),
                      _mm_set1_epi32(8887730)),
        16);
    result.r = _mm_srai_epi32(_mm_add_epi32(_mm_add_epi32(luma, _mm_mullo_epi32(v, _mm_set1_epi32(104595))),
                                            _mm_set1_epi32(-14608761)),
                              16);
    return result;
}

// Eight 32-bit lanes to eight bytes clamped to 0..255 in the low half.
inline __m128i ClampToBytes(__m128i low, __m128i high) {
    return _mm_packus_epi16(_mm_packs_epi32(low, high), _mm_setzero_si128());
}

}  // namespace

int32_t YUY2ToBGR24_SSE41(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height) {
    if (source == nullptr || destination == nullptr) {
        return kNullPointer;
    }
    if (width < 2 || height < 1) {
        return kBelowMinimumSize;
    }
    const __m128i lumaLow = _mm_setr_epi8(0, -1, -1, -1, 2, -1, -1, -1, 4, -1, -1, -1, 6, -1, -1, -1);
    const __m128i uLow = _mm_setr_epi8(1, -1, -1, -1, 1, -1, -1, -1, 5, -1, -1, -1, 5, -1, -1, -1);
    const __m128i vLow = _mm_setr_epi8(3, -1, -1, -1, 3, -1, -1, -1, 7, -1, -1, -1, 7, -1, -1, -1);
    const __m128i lumaHighMask = _mm_setr_epi8(8, -1, -1, -1, 10, -1, -1, -1, 12, -1, -1, -1, 14, -1, -1, -1);
    const __m128i uHighMask = _mm_setr_epi8(9, -1, -1, -1, 9, -1, -1, -1, 13, -1, -1, -1, 13, -1, -1, -1);
    const __m128i vHighMask = _mm_setr_epi8(11, -1, -1, -1, 11, -1, -1, -1, 15, -1, -1, -1, 15, -1, -1, -1);
    // B and G interleaved, then R placed into every third byte.
    const __m128i firstBlueGreen = _mm_setr_epi8(0, 1, -1, 2, 3, -1, 4, 5, -1, 6, 7, -1, 8, 9, -1, 10);
    const __m128i firstRed = _mm_setr_epi8(-1, -1, 0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1);
    const __m128i secondBlueGreen =
        _mm_setr_epi8(11, -1, 12, 13, -1, 14, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m128i secondRed = _mm_setr_epi8(-1, 5, -1, -1, 6, -1, -1, 7, -1, -1, -1, -1, -1, -1, -1, -1);
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        int32_t x = 0;
        for (; x + 8 <= width; x += 8) {
            const __m128i packed = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * x));
            const FourPixels low = FormB(_mm_shuffle_epi8(packed, lumaLow), _mm_shuffle_epi8(packed, uLow),
                                         _mm_shuffle_epi8(packed, vLow));
            const FourPixels high =
                FormB(_mm_shuffle_epi8(packed, lumaHighMask), _mm_shuffle_epi8(packed, uHighMask),
                      _mm_shuffle_epi8(packed, vHighMask));
            const __m128i blueGreen =
                _mm_unpacklo_epi8(ClampToBytes(low.b, high.b), ClampToBytes(low.g, high.g));
            const __m128i red = ClampToBytes(low.r, high.r);
            const __m128i first =
                _mm_or_si128(_mm_shuffle_epi8(blueGreen, firstBlueGreen), _mm_shuffle_epi8(red, firstRed));
            const __m128i second =
                _mm_or_si128(_mm_shuffle_epi8(blueGreen, secondBlueGreen), _mm_shuffle_epi8(red, secondRed));
            uint8_t* pixels = out + 3 * x;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels), first);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(pixels + 16), second);
        }
        for (; x < width; ++x) {
            const uint8_t* group = in + 4 * (x / 2);
            const formulas::Bgr colour = formulas::FormB(group[2 * (x & 1)], group[1], group[3]);
            uint8_t* pixel = out + 3 * x;
            pixel[0] = colour.b;
            pixel[1] = colour.g;
            pixel[2] = colour.r;
        }
    }
    return kSuccess;
}

}  // namespace kernels
