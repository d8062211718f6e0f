#include "player/mixer/sample_conversion.h"

#include <bit>

#include "player/mixer/cpu_dispatch.h"

#if ZUMBRIK_AVX2_KERNELS
#include <immintrin.h>
#endif
#if ZUMBRIK_SSE2_KERNELS
#include <emmintrin.h>
#endif

namespace zumbrik {

// VoiceUnits with the sign put back, written so the compiler vectorises it
// with the baseline instruction set. The clamp is spelled with a mask: as a
// comparison the compiler folds the saturated case into a branch, and then
// the loop does not vectorise. The quotient by 255 is one product in single
// precision (the sixty-fourths, clamped, are exact there): with the float
// nearest 1/255, which lies just above it, the truncated product is exactly
// the quotient for every count up to the clamp, as the excess stays under the
// gap from (255 k + 254) / 255 to the float below k + 1 (checked for every
// accumulator). The sign goes on the factor, since truncation is symmetric
// about zero: one narrowing to 16 bits, with no sign to narrow beside it.
namespace {

constexpr std::int32_t kSaturatedSixtyFourths = 255 * 32767 + 254;  // the largest giving 32767
constexpr float kNearest255th = 0x1.010102p-8f;

// kClear zeroes each accumulator as it is read (never written otherwise, so
// the const view's callers pass it through a cast).
template <bool kClear>
void ConvertPortable(std::int32_t* accumulators, std::int16_t* samples, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::int32_t a = accumulators[i];
        const std::int32_t sign = a >> 31;
        const std::uint32_t signMask = static_cast<std::uint32_t>(sign);
        const std::uint32_t magnitude = (static_cast<std::uint32_t>(a) ^ signMask) - signMask;  // INT_MIN: 2^31
        auto sixtyFourths = static_cast<std::int32_t>((magnitude + 8160) >> 6);
        const std::int32_t over = sixtyFourths - kSaturatedSixtyFourths;
        sixtyFourths = kSaturatedSixtyFourths + (over & (over >> 31));
        // The sign rides on the factor: the truncation is symmetric about zero.
        const auto factor = std::bit_cast<float>(std::bit_cast<std::uint32_t>(kNearest255th) | (signMask & 0x80000000u));
        samples[i] = static_cast<std::int16_t>(static_cast<float>(sixtyFourths) * factor);
        if constexpr (kClear) {
            accumulators[i] = 0;
        }
    }
}

}  // namespace

void ConvertAtUnityPortable(const std::int32_t* accumulators, std::int16_t* samples, std::uint32_t count) {
    ConvertPortable<false>(const_cast<std::int32_t*>(accumulators), samples, count);
}

void ConvertAndClearAtUnityPortable(std::int32_t* accumulators, std::int16_t* samples, std::uint32_t count) {
    ConvertPortable<true>(accumulators, samples, count);
}

#if ZUMBRIK_AVX2_KERNELS

namespace {

// VoiceUnits on eight accumulators at once, with their signs put back: the
// portable version's single-precision quotient.
__attribute__((target("avx2"))) inline __m256i ConvertEight(__m256i accumulators) {
    const __m256i magnitude = _mm256_abs_epi32(accumulators);  // INT_MIN stays 0x80000000, i.e. 2^31
    __m256i sixtyFourths = _mm256_srli_epi32(_mm256_add_epi32(magnitude, _mm256_set1_epi32(8160)), 6);
    sixtyFourths = _mm256_min_epi32(sixtyFourths, _mm256_set1_epi32(kSaturatedSixtyFourths));
    const __m256i units =
        _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(sixtyFourths), _mm256_set1_ps(kNearest255th)));
    return _mm256_sign_epi32(units, accumulators);
}

template <bool kClear>
__attribute__((target("avx2"))) void ConvertAvx2(std::int32_t* accumulators, std::int16_t* samples, std::uint32_t count) {
    std::uint32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        auto* pair = reinterpret_cast<__m256i*>(accumulators + i);
        const __m256i low = ConvertEight(_mm256_loadu_si256(pair));
        const __m256i high = ConvertEight(_mm256_loadu_si256(pair + 1));
        if constexpr (kClear) {
            _mm256_storeu_si256(pair, _mm256_setzero_si256());
            _mm256_storeu_si256(pair + 1, _mm256_setzero_si256());
        }
        // packs works within 128-bit lanes; the permute puts the halves in order.
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packs_epi32(low, high), 0xD8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(samples + i), packed);
    }
    ConvertPortable<kClear>(accumulators + i, samples + i, count - i);
}

__attribute__((target("avx2"))) void ConvertAtUnityAvx2(const std::int32_t* accumulators, std::int16_t* samples,
                                                       std::uint32_t count) {
    ConvertAvx2<false>(const_cast<std::int32_t*>(accumulators), samples, count);
}

}  // namespace

ConvertFunction Avx2ConvertAtUnity() { return ConvertAtUnityAvx2; }
ConvertClearFunction Avx2ConvertAndClearAtUnity() { return ConvertAvx2<true>; }

#else

ConvertFunction Avx2ConvertAtUnity() { return nullptr; }
ConvertClearFunction Avx2ConvertAndClearAtUnity() { return nullptr; }

#endif

#if ZUMBRIK_SSE2_KERNELS

namespace {

// VoiceUnits of four accumulators, with their signs: the portable version's
// single-precision quotient, where the clamp is one minimum in float.
inline __m128i SignedUnits(__m128i accumulators) {
    const __m128i sign = _mm_srai_epi32(accumulators, 31);
    const __m128i magnitude = _mm_sub_epi32(_mm_xor_si128(accumulators, sign), sign);  // INT_MIN: 2^31 unsigned
    const __m128i sixtyFourths = _mm_srli_epi32(_mm_add_epi32(magnitude, _mm_set1_epi32(8160)), 6);
    const __m128 clamped = _mm_min_ps(_mm_cvtepi32_ps(sixtyFourths), _mm_set1_ps(static_cast<float>(kSaturatedSixtyFourths)));
    const __m128 factor = _mm_or_ps(_mm_set1_ps(kNearest255th),
                                    _mm_castsi128_ps(_mm_and_si128(sign, _mm_set1_epi32(INT32_MIN))));
    return _mm_cvttps_epi32(_mm_mul_ps(clamped, factor));
}

template <bool kClear>
void ConvertSse2(std::int32_t* accumulators, std::int16_t* samples, std::uint32_t count) {
    std::uint32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        auto* pair = reinterpret_cast<__m128i*>(accumulators + i);
        const __m128i low = _mm_loadu_si128(pair);
        const __m128i high = _mm_loadu_si128(pair + 1);
        if constexpr (kClear) {
            _mm_storeu_si128(pair, _mm_setzero_si128());
            _mm_storeu_si128(pair + 1, _mm_setzero_si128());
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(samples + i), _mm_packs_epi32(SignedUnits(low), SignedUnits(high)));
    }
    ConvertPortable<kClear>(accumulators + i, samples + i, count - i);
}

void ConvertAtUnitySse2(const std::int32_t* accumulators, std::int16_t* samples, std::uint32_t count) {
    ConvertSse2<false>(const_cast<std::int32_t*>(accumulators), samples, count);
}

}  // namespace

ConvertFunction Sse2ConvertAtUnity() { return ConvertAtUnitySse2; }
ConvertClearFunction Sse2ConvertAndClearAtUnity() { return ConvertSse2<true>; }

#else

ConvertFunction Sse2ConvertAtUnity() { return nullptr; }
ConvertClearFunction Sse2ConvertAndClearAtUnity() { return nullptr; }

#endif

void ConvertAccumulators(const std::int32_t* accumulators, std::int16_t* samples, std::uint32_t count,
                         std::uint32_t masterVolume) {
    if (masterVolume >= kUnityVolume) {
        ActiveKernels().convertAtUnity(accumulators, samples, count);  // the common case needs no scaling
        return;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        samples[i] = ConvertAccumulator(accumulators[i], masterVolume);
    }
}

void ConvertAndClearAccumulators(std::int32_t* accumulators, std::int16_t* samples, std::uint32_t count,
                                 std::uint32_t masterVolume) {
    if (masterVolume >= kUnityVolume) {
        ActiveKernels().convertAndClearAtUnity(accumulators, samples, count);
        return;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        samples[i] = ConvertAccumulator(accumulators[i], masterVolume);
        accumulators[i] = 0;
    }
}

}  // namespace zumbrik
