#include "player/mixer_kernel.h"

#include "player/mixer.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define ZUMBRIK_MIX_AVX2 1
#include <immintrin.h>
#endif

namespace zumbrik {

void MixRunPortable(const std::int16_t* data, std::uint32_t /*entries*/, VoiceRun& run, std::uint32_t* out,
                    std::uint32_t frames) {
    std::uint64_t position = run.position;
    std::int32_t left = run.left;
    std::int32_t right = run.right;
    for (std::uint32_t k = 0; k < frames; ++k) {
        const auto i = static_cast<std::uint32_t>(position >> 32);
        const std::int64_t sample = InterpolateSample(data[i], data[i + 1], static_cast<std::uint32_t>(position));
        // The accumulators are plain sums that wrap; unsigned keeps that defined.
        out[2 * k] += static_cast<std::uint32_t>(VoiceContribution(sample, left));
        out[2 * k + 1] += static_cast<std::uint32_t>(VoiceContribution(sample, right));
        left += run.stepLeft;
        right += run.stepRight;
        position += run.delta;
    }
    run.position = position;
    run.left = left;
    run.right = right;
}

#if ZUMBRIK_MIX_AVX2

namespace {

// Volumes of four frames: start, start + step, ... (wrapping like the scalar sums).
__attribute__((target("avx2"))) inline __m128i RampLanes(std::int32_t start, std::int32_t step) {
    const auto s = static_cast<std::uint32_t>(start);
    const auto t = static_cast<std::uint32_t>(step);
    return _mm_setr_epi32(static_cast<int>(s), static_cast<int>(s + t), static_cast<int>(s + 2 * t),
                          static_cast<int>(s + 3 * t));
}

// VoiceContribution on four 64-bit products; the low dword of each lane is the result.
__attribute__((target("avx2"))) inline __m256i Contribution(__m256i product) {
    const __m256i rounded = _mm256_add_epi64(_mm256_srli_epi64(product, 6), _mm256_srli_epi64(product, 63));
    return _mm256_srli_epi64(rounded, 1);
}

// Four frames per round in 64-bit lanes. Every product is exact in 64 bits;
// only the low 32 bits of each shifted product are kept, and those are the
// same for logical and arithmetic shifts, so the scalar formulas hold bit
// for bit.
__attribute__((target("avx2"))) void MixRunAvx2(const std::int16_t* data, std::uint32_t entries, VoiceRun& run,
                                               std::uint32_t* out, std::uint32_t frames) {
    const std::uint32_t rounds = frames / 4;
    if (rounds > 0) {
        const std::uint64_t p = run.position;
        const std::uint64_t d = run.delta;
        __m256i position = _mm256_set_epi64x(static_cast<long long>(p + 3 * d), static_cast<long long>(p + 2 * d),
                                             static_cast<long long>(p + d), static_cast<long long>(p));
        const __m256i delta4 = _mm256_set1_epi64x(static_cast<long long>(4 * d));
        const __m256i lowHalf = _mm256_set1_epi64x(0xFFFFFFFFll);
        const __m256i evenDwords = _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7);
        __m128i left = RampLanes(run.left, run.stepLeft);
        __m128i right = RampLanes(run.right, run.stepRight);
        const __m128i left4 = _mm_set1_epi32(static_cast<int>(4u * static_cast<std::uint32_t>(run.stepLeft)));
        const __m128i right4 = _mm_set1_epi32(static_cast<int>(4u * static_cast<std::uint32_t>(run.stepRight)));
        const auto* words = reinterpret_cast<const int*>(data);
        // Up to one frame per output frame, forward, the four frames' samples
        // lie within eight neighbours: one load and a shuffle replace the gather.
        const bool nearby = d <= (std::uint64_t{1} << 32);
        const __m256i highDwords = _mm256_setr_epi32(1, 3, 5, 7, 0, 2, 4, 6);
        const __m128i broadcastLowByte = _mm_setr_epi8(0, 0, 0, 0, 4, 4, 4, 4, 8, 8, 8, 8, 12, 12, 12, 12);
        const __m128i byteOffsets = _mm_setr_epi8(0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3);
        std::uint64_t roundPosition = p;
        for (std::uint32_t r = 0; r < rounds; ++r, roundPosition += 4 * d) {
            // data[i] | data[i + 1] << 16 for each frame.
            __m128i pair;
            const auto first = static_cast<std::uint32_t>(roundPosition >> 32);
            if (nearby && entries >= 8 && first <= entries - 8) {
                const __m128i window = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + first));
                const __m128i index = _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(position, highDwords));
                const __m128i byteIndex = _mm_slli_epi32(_mm_sub_epi32(index, _mm_set1_epi32(static_cast<int>(first))), 1);
                const __m128i control = _mm_add_epi8(_mm_shuffle_epi8(byteIndex, broadcastLowByte), byteOffsets);
                pair = _mm_shuffle_epi8(window, control);
            } else {
                pair = _mm256_i64gather_epi32(words, _mm256_srli_epi64(position, 32), 2);
            }
            const __m128i s0 = _mm_srai_epi32(_mm_slli_epi32(pair, 16), 16);
            const __m128i s1 = _mm_srai_epi32(pair, 16);
            const __m256i difference = _mm256_cvtepi32_epi64(_mm_sub_epi32(s1, s0));
            const __m256i halfFraction = _mm256_srli_epi64(_mm256_and_si256(position, lowHalf), 1);
            const __m256i slope = _mm256_srli_epi64(_mm256_mul_epi32(difference, halfFraction), 25);
            const __m128i slope32 = _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(slope, evenDwords));
            const __m256i sample = _mm256_cvtepi32_epi64(_mm_add_epi32(_mm_slli_epi32(s0, 6), slope32));

            const __m256i productLeft = _mm256_mul_epi32(sample, _mm256_cvtepi32_epi64(left));
            const __m256i productRight = _mm256_mul_epi32(sample, _mm256_cvtepi32_epi64(right));
            // Left in the even dwords, right in the odd: L0 R0 L1 R1 L2 R2 L3 R3.
            const __m256i frames4 = _mm256_blend_epi32(Contribution(productLeft),
                                                       _mm256_slli_epi64(Contribution(productRight), 32), 0xAA);
            auto* target = reinterpret_cast<__m256i*>(out + 8 * static_cast<std::size_t>(r));
            _mm256_storeu_si256(target, _mm256_add_epi32(_mm256_loadu_si256(target), frames4));

            position = _mm256_add_epi64(position, delta4);
            left = _mm_add_epi32(left, left4);
            right = _mm_add_epi32(right, right4);
        }
        run.position = static_cast<std::uint64_t>(_mm256_extract_epi64(position, 0));
        run.left = _mm_cvtsi128_si32(left);
        run.right = _mm_cvtsi128_si32(right);
    }
    MixRunPortable(data, entries, run, out + 8 * static_cast<std::size_t>(rounds), frames - 4 * rounds);
}

}  // namespace

MixRunFunction VectorMixRun() {
    return __builtin_cpu_supports("avx2") ? MixRunAvx2 : nullptr;
}

#else

MixRunFunction VectorMixRun() {
    return nullptr;
}

#endif

namespace {
MixRunFunction ChooseMixRun() {
    const MixRunFunction vector = VectorMixRun();
    return vector != nullptr ? vector : MixRunPortable;
}
}  // namespace

const MixRunFunction kMixRun = ChooseMixRun();

}  // namespace zumbrik
