// Two vector widths behind one set of names, so a kernel body written once
// serves the SSSE3 and the AVX2 variants. Every operation works within 128-bit
// lanes: the 256-bit form is two copies of the 128-bit step side by side, the
// second lane fed from 'laneOffset' bytes further on by the loads and stores.
// So a body computes exactly the same bytes at either width.
//
// Included only by variant translation units, each compiled for its own
// instruction set; everything here has internal linkage so no copy built with
// wider instructions can stand in for another unit's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <immintrin.h>

namespace kernels {
namespace {

#if defined(__SSSE3__)
struct Vector128 {
    typedef __m128i Reg;
    static constexpr int kLanes = 1;

    static Reg Zero() { return _mm_setzero_si128(); }
    static Reg Set16(int16_t value) { return _mm_set1_epi16(value); }
    static Reg Set32(int32_t value) { return _mm_set1_epi32(value); }
    static Reg Pair16(int16_t first, int16_t second) {
        return _mm_setr_epi16(first, second, first, second, first, second, first, second);
    }
    static Reg Bytes(const int8_t (&bytes)[16]) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    }

    static Reg Load(const uint8_t* p, ptrdiff_t) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    }
    static Reg Load8(const uint8_t* p, ptrdiff_t) {
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    }
    // Eight bytes of 'a' interleaved with eight of 'b' a lane, the lanes' bytes
    // consecutive in memory: a0 b0 a1 b1 ...
    static Reg LoadInterleaved8(const uint8_t* a, const uint8_t* b) {
        return _mm_unpacklo_epi8(Load8(a, 8), Load8(b, 8));
    }
    static Reg Load4(const uint8_t* p, ptrdiff_t) {
        int32_t value;
        std::memcpy(&value, p, 4);
        return _mm_cvtsi32_si128(value);
    }
    static void Store(uint8_t* p, ptrdiff_t, Reg r) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), r); }
    // A store past the caches to an address aligned to the register's width;
    // StreamFence orders such stores before whatever follows.
    static void StoreStreaming(uint8_t* p, Reg r) { _mm_stream_si128(reinterpret_cast<__m128i*>(p), r); }
    static void StreamFence() { _mm_sfence(); }
    // Two registers of 16 bytes each a lane, 'a' at p and 'b' at p + 16, lanes 32 bytes apart.
    static void LoadPair(const uint8_t* p, Reg* a, Reg* b) {
        *a = Load(p, 32);
        *b = Load(p + 16, 32);
    }
    static void StorePair(uint8_t* p, Reg a, Reg b) {
        Store(p, 32, a);
        Store(p + 16, 32, b);
    }
    static void Store8(uint8_t* p, ptrdiff_t, Reg r) { _mm_storel_epi64(reinterpret_cast<__m128i*>(p), r); }
    static void Store4(uint8_t* p, ptrdiff_t, Reg r) {
        const int32_t value = _mm_cvtsi128_si32(r);
        std::memcpy(p, &value, 4);
    }

    static Reg And(Reg a, Reg b) { return _mm_and_si128(a, b); }
    static Reg Or(Reg a, Reg b) { return _mm_or_si128(a, b); }
    static Reg Add16(Reg a, Reg b) { return _mm_add_epi16(a, b); }
    static Reg Sub16(Reg a, Reg b) { return _mm_sub_epi16(a, b); }
    static Reg Add32(Reg a, Reg b) { return _mm_add_epi32(a, b); }
    template <int N>
    static Reg ShiftLeft16(Reg a) {
        return _mm_slli_epi16(a, N);
    }
    template <int N>
    static Reg ShiftRight16(Reg a) {
        return _mm_srli_epi16(a, N);
    }
    template <int N>
    static Reg ShiftLeft32(Reg a) {
        return _mm_slli_epi32(a, N);
    }
    template <int N>
    static Reg ShiftRightArithmetic32(Reg a) {
        return _mm_srai_epi32(a, N);
    }
    template <int N>
    static Reg ShiftRightLogical32(Reg a) {
        return _mm_srli_epi32(a, N);
    }
    template <int N>
    static Reg ShiftRightBytes(Reg a) {
        return _mm_srli_si128(a, N);
    }
    static Reg MultiplyAdd16(Reg a, Reg b) { return _mm_madd_epi16(a, b); }
    // Unsigned bytes of 'a' times signed bytes of 'b', adjacent products summed
    // to 16 bits (saturating; callers keep the sums in range).
    static Reg MultiplyAddBytes(Reg a, Reg b) { return _mm_maddubs_epi16(a, b); }
    static Reg HorizontalAdd16(Reg a, Reg b) { return _mm_hadd_epi16(a, b); }
    // The bytes of a pack of two HorizontalAdd16 results of four loads, in
    // memory order (here they already are).
    static Reg OrderPackedQuarters(Reg r) { return r; }
    static Reg HorizontalAdd32(Reg a, Reg b) { return _mm_hadd_epi32(a, b); }
    static Reg PackSigned32(Reg a, Reg b) { return _mm_packs_epi32(a, b); }
    static Reg PackUnsigned16(Reg a, Reg b) { return _mm_packus_epi16(a, b); }
    // For a and b loaded from one run of memory, a first: their 16-bit lanes
    // packed to bytes in the memory order.
    static Reg PackUnsigned16Adjacent(Reg a, Reg b) { return _mm_packus_epi16(a, b); }
    static Reg Shuffle8(Reg a, Reg mask) { return _mm_shuffle_epi8(a, mask); }
    static Reg InterleaveLow8(Reg a, Reg b) { return _mm_unpacklo_epi8(a, b); }
    static Reg InterleaveHigh8(Reg a, Reg b) { return _mm_unpackhi_epi8(a, b); }
    static Reg InterleaveLow16(Reg a, Reg b) { return _mm_unpacklo_epi16(a, b); }
    static Reg InterleaveHigh16(Reg a, Reg b) { return _mm_unpackhi_epi16(a, b); }
    static Reg InterleaveLow32(Reg a, Reg b) { return _mm_unpacklo_epi32(a, b); }
    static Reg InterleaveHigh32(Reg a, Reg b) { return _mm_unpackhi_epi32(a, b); }
    static Reg InterleaveHigh64(Reg a, Reg b) { return _mm_unpackhi_epi64(a, b); }
};
#endif

#if defined(__AVX2__)
struct Vector256 {
    typedef __m256i Reg;
    static constexpr int kLanes = 2;

    static Reg Zero() { return _mm256_setzero_si256(); }
    static Reg Set16(int16_t value) { return _mm256_set1_epi16(value); }
    static Reg Set32(int32_t value) { return _mm256_set1_epi32(value); }
    static Reg Pair16(int16_t first, int16_t second) {
        return _mm256_set1_epi32(
            static_cast<int32_t>(static_cast<uint16_t>(first)) |
            static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(second)) << 16));
    }
    static Reg Bytes(const int8_t (&bytes)[16]) {
        return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes)));
    }

    static Reg Join(__m128i low, __m128i high) {
        return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
    }
    static Reg Load(const uint8_t* p, ptrdiff_t laneOffset) {
        if (laneOffset == 16) {
            return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));  // the lanes are adjacent
        }
        return Join(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + laneOffset)));
    }
    // Two registers of 16 bytes each a lane, 'a' at p and 'b' at p + 16, lanes
    // 32 bytes apart: two whole loads and an exchange of halves.
    static void LoadPair(const uint8_t* p, Reg* a, Reg* b) {
        const Reg first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const Reg second = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
        *a = _mm256_permute2x128_si256(first, second, 0x20);
        *b = _mm256_permute2x128_si256(first, second, 0x31);
    }
    static void StorePair(uint8_t* p, Reg a, Reg b) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), _mm256_permute2x128_si256(a, b, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 32), _mm256_permute2x128_si256(a, b, 0x31));
    }
    static Reg Load8(const uint8_t* p, ptrdiff_t laneOffset) {
        return Join(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)),
                    _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + laneOffset)));
    }
    // Widening loads put each lane's eight bytes in place without a lane insert.
    static Reg LoadInterleaved8(const uint8_t* a, const uint8_t* b) {
        const Reg low = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a)));
        const Reg high = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(b)));
        return _mm256_or_si256(low, _mm256_slli_epi16(high, 8));
    }
    static Reg Load4(const uint8_t* p, ptrdiff_t laneOffset) {
        int32_t low;
        int32_t high;
        std::memcpy(&low, p, 4);
        std::memcpy(&high, p + laneOffset, 4);
        return Join(_mm_cvtsi32_si128(low), _mm_cvtsi32_si128(high));
    }
    static void StoreStreaming(uint8_t* p, Reg r) { _mm256_stream_si256(reinterpret_cast<__m256i*>(p), r); }
    static void StreamFence() { _mm_sfence(); }
    static void Store(uint8_t* p, ptrdiff_t laneOffset, Reg r) {
        if (laneOffset == 16) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), r);
            return;
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(r));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + laneOffset), _mm256_extracti128_si256(r, 1));
    }
    static void Store8(uint8_t* p, ptrdiff_t laneOffset, Reg r) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(r));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p + laneOffset), _mm256_extracti128_si256(r, 1));
    }
    static void Store4(uint8_t* p, ptrdiff_t laneOffset, Reg r) {
        const int32_t low = _mm_cvtsi128_si32(_mm256_castsi256_si128(r));
        const int32_t high = _mm_cvtsi128_si32(_mm256_extracti128_si256(r, 1));
        std::memcpy(p, &low, 4);
        std::memcpy(p + laneOffset, &high, 4);
    }

    static Reg And(Reg a, Reg b) { return _mm256_and_si256(a, b); }
    static Reg Or(Reg a, Reg b) { return _mm256_or_si256(a, b); }
    static Reg Add16(Reg a, Reg b) { return _mm256_add_epi16(a, b); }
    static Reg Sub16(Reg a, Reg b) { return _mm256_sub_epi16(a, b); }
    static Reg Add32(Reg a, Reg b) { return _mm256_add_epi32(a, b); }
    template <int N>
    static Reg ShiftLeft16(Reg a) {
        return _mm256_slli_epi16(a, N);
    }
    template <int N>
    static Reg ShiftRight16(Reg a) {
        return _mm256_srli_epi16(a, N);
    }
    template <int N>
    static Reg ShiftLeft32(Reg a) {
        return _mm256_slli_epi32(a, N);
    }
    template <int N>
    static Reg ShiftRightArithmetic32(Reg a) {
        return _mm256_srai_epi32(a, N);
    }
    template <int N>
    static Reg ShiftRightLogical32(Reg a) {
        return _mm256_srli_epi32(a, N);
    }
    template <int N>
    static Reg ShiftRightBytes(Reg a) {
        return _mm256_srli_si256(a, N);
    }
    static Reg MultiplyAdd16(Reg a, Reg b) { return _mm256_madd_epi16(a, b); }
    static Reg MultiplyAddBytes(Reg a, Reg b) { return _mm256_maddubs_epi16(a, b); }
    static Reg HorizontalAdd16(Reg a, Reg b) { return _mm256_hadd_epi16(a, b); }
    // Both the horizontal adds and the pack work within lanes, so the
    // 4-byte groups come out as 0, 2, 4, 6 | 1, 3, 5, 7.
    static Reg OrderPackedQuarters(Reg r) {
        return _mm256_permutevar8x32_epi32(r, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
    }
    static Reg HorizontalAdd32(Reg a, Reg b) { return _mm256_hadd_epi32(a, b); }
    static Reg PackSigned32(Reg a, Reg b) { return _mm256_packs_epi32(a, b); }
    static Reg PackUnsigned16(Reg a, Reg b) { return _mm256_packus_epi16(a, b); }
    // The pack works within lanes, giving quarters a0 b0 a1 b1; one exchange
    // of the middle two puts them in memory order.
    static Reg PackUnsigned16Adjacent(Reg a, Reg b) {
        return _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8);
    }
    static Reg Shuffle8(Reg a, Reg mask) { return _mm256_shuffle_epi8(a, mask); }
    static Reg InterleaveLow8(Reg a, Reg b) { return _mm256_unpacklo_epi8(a, b); }
    static Reg InterleaveHigh8(Reg a, Reg b) { return _mm256_unpackhi_epi8(a, b); }
    static Reg InterleaveLow16(Reg a, Reg b) { return _mm256_unpacklo_epi16(a, b); }
    static Reg InterleaveHigh16(Reg a, Reg b) { return _mm256_unpackhi_epi16(a, b); }
    static Reg InterleaveLow32(Reg a, Reg b) { return _mm256_unpacklo_epi32(a, b); }
    static Reg InterleaveHigh32(Reg a, Reg b) { return _mm256_unpackhi_epi32(a, b); }
    static Reg InterleaveHigh64(Reg a, Reg b) { return _mm256_unpackhi_epi64(a, b); }
};
#endif

// The count of whole vector steps of 'step' pixels in a row of 'width' pixels,
// reduced by one when it would leave a single pixel over: the portable kernels
// that finish a row refuse a width of one where pixels come in pairs.
inline int32_t VectorColumns(int32_t width, int32_t step) {
    int32_t columns = width / step * step;
    if (columns > 0 && width - columns == 1) {
        columns -= step;
    }
    return columns;
}

}  // namespace
}  // namespace kernels
