// BGR24ToGrey with SSSE3: sixteen pixels a step, the grey formula evaluated in
// 32-bit lanes with the portable coefficients, so the result is the portable
// one exactly. The pixels after the last whole step go through the portable
// formula.
#include <tmmintrin.h>

#include "conversion/kernels/ColourFormulas.h"
#include "conversion/kernels/PortableKernels.h"
#include "conversion/kernels/SimdKernels.h"

namespace kernels {

namespace {

// Four pixels whose bytes start at 'first' within 'bytes': grey in 32-bit lanes.
inline __m128i GreyOfFour(__m128i bytes, __m128i blueGreenMask, __m128i redMask) {
    const __m128i blueGreenWeights = _mm_setr_epi16(467, 2404, 467, 2404, 467, 2404, 467, 2404);
    const __m128i redWeights = _mm_setr_epi16(1225, 0, 1225, 0, 1225, 0, 1225, 0);
    const __m128i blueGreen = _mm_shuffle_epi8(bytes, blueGreenMask);
    const __m128i red = _mm_shuffle_epi8(bytes, redMask);
    const __m128i sum =
        _mm_add_epi32(_mm_madd_epi16(blueGreen, blueGreenWeights), _mm_madd_epi16(red, redWeights));
    return _mm_srli_epi32(sum, 12);
}

}  // namespace

int32_t BGR24ToGrey_SSSE3(const uint8_t* source, int32_t sourceStride, uint8_t* destination,
                          int32_t destinationStride, int32_t width, int32_t height) {
    if (const int32_t status = PictureStatus(source, destination, width, height)) {
        return status;
    }
    // Pixels 0..3 at byte 0 of a load; the last load of a step starts at byte
    // 32, so its pixels 12..15 sit four bytes further in.
    const __m128i blueGreenMask = _mm_setr_epi8(0, -1, 1, -1, 3, -1, 4, -1, 6, -1, 7, -1, 9, -1, 10, -1);
    const __m128i redMask = _mm_setr_epi8(2, -1, -1, -1, 5, -1, -1, -1, 8, -1, -1, -1, 11, -1, -1, -1);
    const __m128i four = _mm_set1_epi8(4);
    const __m128i lastBlueGreenMask = _mm_or_si128(_mm_add_epi8(blueGreenMask, four),
                                                   _mm_and_si128(blueGreenMask, _mm_set1_epi8(-128)));
    const __m128i lastRedMask =
        _mm_or_si128(_mm_add_epi8(redMask, four), _mm_and_si128(redMask, _mm_set1_epi8(-128)));
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* in = RowAt(source, sourceStride, row);
        uint8_t* out = RowAt(destination, destinationStride, row);
        int32_t x = 0;
        for (; x + 16 <= width; x += 16) {
            const uint8_t* pixels = in + 3 * x;
            const __m128i g0 = GreyOfFour(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels)),
                                          blueGreenMask, redMask);
            const __m128i g1 = GreyOfFour(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 12)),
                                          blueGreenMask, redMask);
            const __m128i g2 = GreyOfFour(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 24)),
                                          blueGreenMask, redMask);
            const __m128i g3 = GreyOfFour(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 32)),
                                          lastBlueGreenMask, lastRedMask);
            const __m128i grey = _mm_packus_epi16(_mm_packs_epi32(g0, g1), _mm_packs_epi32(g2, g3));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), grey);
        }
        for (; x < width; ++x) {
            const uint8_t* pixel = in + 3 * x;
            out[x] = formulas::Grey(pixel[0], pixel[1], pixel[2]);
        }
    }
    return kSuccess;
}

}  // namespace kernels
