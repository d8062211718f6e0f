#include "player/mixer_kernel.h"

#include <array>

#include "player/cpu_dispatch.h"
#include "player/mixer.h"

#if ZUMBRIK_AVX2_KERNELS
#include <immintrin.h>
#endif

namespace zumbrik {

#if ZUMBRIK_AVX2_KERNELS

namespace {

// Four frames per round, one per 64-bit lane, each value in the lane's low
// dword. Products are exact in 64 bits, and only the low dword of each shifted
// product is kept; for a result that fits 32 bits that dword is the same after
// a logical as after an arithmetic shift, so the portable formulas hold bit
// for bit. With every volume of the run at or above 0 a product is negative
// exactly when the interpolated sample is, which folds VoiceContribution's
// rounding into one add: ((P >> 6) + [P < 0]) >> 1 = (P + 64 [J < 0]) >> 7.
// Where a round's samples are found: the gather reads anywhere; the windows
// are 16-byte loads shuffled into place. Forward steps up to one frame keep
// all four frames within eight samples of the first (one window); steps up
// to six frames keep each lane's two frames within eight samples of the
// lane's lower frame (a window per lane).
enum class SampleReach { OneWindow, TwoWindowsForward, TwoWindowsBackward, Gather };

// Whether every round's window lies inside the data, known from the run's
// ends: the windows' starts move one way through a run.
template <SampleReach kReach>
bool WindowsStayInside(std::uint64_t p, std::uint64_t d, std::uint32_t rounds, std::uint32_t entries) {
    if (kReach == SampleReach::Gather || entries < 8 || rounds >= (1u << 26)) return false;
    const std::uint64_t lastFrame = 4 * std::uint64_t{rounds} - 1;
    std::uint64_t highest;  // the highest window start of the run, 32.32
    if constexpr (kReach == SampleReach::TwoWindowsBackward) {
        const std::uint64_t s = 0 - d;
        if (lastFrame * s > p) return false;  // would pass below sample 0
        highest = p - s;
    } else {
        const std::uint64_t span = (kReach == SampleReach::OneWindow ? lastFrame - 3 : lastFrame - 1) * d;
        if (p + span < p) return false;
        highest = p + span;
    }
    return (highest >> 32) <= entries - 8;
}

// The rounds of a run whose windows all lie inside the data. A lane's
// distance from its window's first frame is fixed by the step: its whole
// part and its fraction c, and the lane's sample lies one further exactly
// when its own fraction wrapped below c on the way, so the shuffle control
// comes from two constant ones and a compare.
template <bool kRamp, SampleReach kReach>
__attribute__((target("avx2"))) inline void MixWindowRounds(const std::int16_t* data, std::uint64_t p,
                                                           std::uint64_t d, __m256i& left, __m256i& right,
                                                           __m256i left4, __m256i right4, std::uint32_t* out,
                                                           std::uint32_t rounds) {
    // The window of lanes 0-1 starts at frame lowerA, that of lanes 2-3 at lowerA + lowerB.
    constexpr std::uint64_t kLower[4] = {kReach == SampleReach::TwoWindowsBackward ? 1u : 0u,
                                         kReach == SampleReach::TwoWindowsBackward ? 1u : 0u,
                                         kReach == SampleReach::TwoWindowsForward ? 2u
                                         : kReach == SampleReach::TwoWindowsBackward ? 3u : 0u,
                                         kReach == SampleReach::TwoWindowsForward ? 2u
                                         : kReach == SampleReach::TwoWindowsBackward ? 3u : 0u};
    alignas(32) std::uint8_t exact[32];
    alignas(32) std::uint8_t carried[32];
    alignas(32) std::uint32_t wrapBelow[8];
    for (int k = 0; k < 4; ++k) {
        const std::uint64_t offset = (k - kLower[k]) * d;  // >= 0 as wrapping arithmetic
        const auto whole = static_cast<std::uint8_t>(offset >> 32);
        wrapBelow[2 * k] = static_cast<std::uint32_t>(offset);
        wrapBelow[2 * k + 1] = 0;
        for (int b = 0; b < 4; ++b) {
            exact[8 * k + b] = static_cast<std::uint8_t>(2 * whole + b);
            carried[8 * k + b] = static_cast<std::uint8_t>(2 * whole + 2 + b);
            exact[8 * k + 4 + b] = 0x80;  // the high dword stays 0
            carried[8 * k + 4 + b] = 0x80;
        }
    }
    const __m256i exactControl = _mm256_load_si256(reinterpret_cast<const __m256i*>(exact));
    const __m256i carriedControl = _mm256_load_si256(reinterpret_cast<const __m256i*>(carried));
    const __m256i fractionAtLower = _mm256_load_si256(reinterpret_cast<const __m256i*>(wrapBelow));
    __m256i fraction = _mm256_setr_epi64x(static_cast<std::uint32_t>(p), static_cast<std::uint32_t>(p + d),
                                          static_cast<std::uint32_t>(p + 2 * d), static_cast<std::uint32_t>(p + 3 * d));
    const __m256i fraction4 = _mm256_set1_epi64x(static_cast<std::uint32_t>(4 * d));
    const __m256i negativeRounding = _mm256_set1_epi64x(64);
    const __m256i timesSixtyFour = _mm256_set1_epi32(64);
    const __m256i difference = _mm256_set1_epi32(static_cast<int>(0x0001FFFF));  // words -1, +1
    const std::uint64_t firstA = kLower[0] * d;
    const std::uint64_t firstB = kLower[2] * d;
    for (std::uint32_t r = 0; r < rounds; ++r, p += 4 * d) {
        __m256i window;
        if constexpr (kReach == SampleReach::OneWindow) {
            window = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + ((p + firstA) >> 32))));
        } else {
            window = _mm256_inserti128_si256(
                _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + ((p + firstA) >> 32)))),
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + ((p + firstB) >> 32))), 1);
        }
        const __m256i exactLane = _mm256_cmpeq_epi32(_mm256_max_epu32(fraction, fractionAtLower), fraction);
        const __m256i pair = _mm256_shuffle_epi8(window, _mm256_blendv_epi8(carriedControl, exactControl, exactLane));
        const __m256i base = _mm256_madd_epi16(pair, timesSixtyFour);
        const __m256i slope = _mm256_srli_epi64(
            _mm256_mul_epi32(_mm256_madd_epi16(pair, difference), _mm256_srli_epi32(fraction, 1)), 25);
        const __m256i sample = _mm256_add_epi32(base, slope);
        const __m256i rounding = _mm256_and_si256(_mm256_srai_epi32(sample, 31), negativeRounding);
        const __m256i sumLeft = _mm256_add_epi64(_mm256_mul_epi32(sample, left), rounding);
        const __m256i sumRight = _mm256_add_epi64(_mm256_mul_epi32(sample, right), rounding);
        const __m256i frames4 = _mm256_blend_epi32(_mm256_srli_epi64(sumLeft, 7), _mm256_slli_epi64(sumRight, 25), 0xAA);
        auto* target = reinterpret_cast<__m256i*>(out + 8 * static_cast<std::size_t>(r));
        _mm256_storeu_si256(target, _mm256_add_epi32(_mm256_loadu_si256(target), frames4));
        fraction = _mm256_add_epi32(fraction, fraction4);
        if constexpr (kRamp) {
            left = _mm256_add_epi64(left, left4);
            right = _mm256_add_epi64(right, right4);
        }
    }
}

template <bool kRamp, SampleReach kReach>
__attribute__((target("avx2"))) void MixRunAvx2Lanes(const std::int16_t* data, std::uint32_t entries, VoiceRun& run,
                                                    std::uint32_t* out, std::uint32_t frames) {
    const std::uint32_t rounds = frames / 4;
    const std::int64_t lastLeft = run.left + static_cast<std::int64_t>(run.stepLeft) * (static_cast<std::int64_t>(frames) - 1);
    const std::int64_t lastRight =
        run.right + static_cast<std::int64_t>(run.stepRight) * (static_cast<std::int64_t>(frames) - 1);
    if (rounds == 0 || run.left < 0 || run.right < 0 || lastLeft < 0 || lastRight < 0) {
        MixRunPortable(data, entries, run, out, frames);  // ramps overshooting below 0 are rare
        return;
    }
    const std::uint64_t p = run.position;
    const std::uint64_t d = run.delta;
    const auto lanes = [](std::uint64_t start, std::uint64_t step) {
        return std::array<long long, 4>{static_cast<long long>(start), static_cast<long long>(start + step),
                                        static_cast<long long>(start + 2 * step),
                                        static_cast<long long>(start + 3 * step)};
    };
    const auto positions = lanes(p, d);
    const auto lefts = lanes(static_cast<std::uint64_t>(std::int64_t{run.left}), static_cast<std::uint64_t>(std::int64_t{run.stepLeft}));
    const auto rights = lanes(static_cast<std::uint64_t>(std::int64_t{run.right}), static_cast<std::uint64_t>(std::int64_t{run.stepRight}));
    __m256i position = _mm256_setr_epi64x(positions[0], positions[1], positions[2], positions[3]);
    __m256i left = _mm256_setr_epi64x(lefts[0], lefts[1], lefts[2], lefts[3]);
    __m256i right = _mm256_setr_epi64x(rights[0], rights[1], rights[2], rights[3]);
    const __m256i delta4 = _mm256_set1_epi64x(static_cast<long long>(4 * d));
    const __m256i left4 = _mm256_set1_epi64x(4 * static_cast<long long>(run.stepLeft));
    const __m256i right4 = _mm256_set1_epi64x(4 * static_cast<long long>(run.stepRight));
    const __m256i lowHalf = _mm256_set1_epi64x(0xFFFFFFFFll);
    const __m256i negativeRounding = _mm256_set1_epi64x(64);
    // Byte 0 of each lane's index spread over the lane's low dword; the high dword zeroed.
    const __m256i spread = _mm256_setr_epi8(0, 0, 0, 0, -128, -128, -128, -128, 8, 8, 8, 8, -128, -128, -128, -128, 0, 0,
                                            0, 0, -128, -128, -128, -128, 8, 8, 8, 8, -128, -128, -128, -128);
    const __m256i byteOffsets = _mm256_setr_epi8(0, 1, 2, 3, -128, -128, -128, -128, 0, 1, 2, 3, -128, -128, -128, -128,
                                                 0, 1, 2, 3, -128, -128, -128, -128, 0, 1, 2, 3, -128, -128, -128, -128);
    const auto* words = reinterpret_cast<const int*>(data);
    // lowerFrame: the frame of a lane (first or second) with the lower index.
    const std::uint64_t lowerFrame = kReach == SampleReach::TwoWindowsBackward ? d : 0;
    // pmaddwd on (data[i], data[i + 1]) word pairs: 64 s0, and s1 - s0.
    const __m256i timesSixtyFour = _mm256_set1_epi32(64);
    const __m256i difference = _mm256_set1_epi32(static_cast<int>(0x0001FFFF));  // words -1, +1
    const __m256i evenBytes = _mm256_set1_epi64x(~1ll);
    if (WindowsStayInside<kReach>(p, d, rounds, entries)) {
        MixWindowRounds<kRamp, kReach>(data, p, d, left, right, left4, right4, out, rounds);
        run.position = p + 4 * std::uint64_t{rounds} * d;
        run.left = static_cast<std::int32_t>(_mm256_extract_epi64(left, 0));
        run.right = static_cast<std::int32_t>(_mm256_extract_epi64(right, 0));
        MixRunPortable(data, entries, run, out + 8 * static_cast<std::size_t>(rounds), frames - 4 * rounds);
        return;
    }
    std::uint64_t roundPosition = p;
    for (std::uint32_t r = 0; r < rounds; ++r, roundPosition += 4 * d) {
        __m256i pair;  // data[i] | data[i + 1] << 16 in each low dword, 0 above
        const std::uint64_t lowerA = roundPosition + lowerFrame;
        const std::uint64_t lowerB = kReach == SampleReach::OneWindow ? lowerA : lowerA + 2 * d;
        const auto firstA = static_cast<std::uint32_t>(lowerA >> 32);
        const auto firstB = static_cast<std::uint32_t>(lowerB >> 32);
        if (kReach != SampleReach::Gather && entries >= 8 && firstA <= entries - 8 && firstB <= entries - 8) {
            const __m128i windowA = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + firstA));
            __m256i window;
            if constexpr (kReach == SampleReach::OneWindow) {
                window = _mm256_broadcastsi128_si256(windowA);
            } else {
                window = _mm256_inserti128_si256(_mm256_castsi128_si256(windowA),
                                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + firstB)), 1);
            }
            const auto startA = static_cast<long long>(std::uint64_t{firstA} << 32);
            const auto startB = static_cast<long long>(std::uint64_t{firstB} << 32);
            // 2 (i - first): twice the distance from the lane's window start, in bytes.
            const __m256i fromFirst = _mm256_sub_epi64(position, _mm256_setr_epi64x(startA, startA, startB, startB));
            const __m256i byteIndex = _mm256_and_si256(_mm256_srli_epi64(fromFirst, 31), evenBytes);
            const __m256i control = _mm256_add_epi8(_mm256_shuffle_epi8(byteIndex, spread), byteOffsets);
            pair = _mm256_shuffle_epi8(window, control);
        } else {
            pair = _mm256_cvtepu32_epi64(_mm256_i64gather_epi32(words, _mm256_srli_epi64(position, 32), 2));
        }
        const __m256i base = _mm256_madd_epi16(pair, timesSixtyFour);
        const __m256i halfFraction = _mm256_srli_epi64(_mm256_and_si256(position, lowHalf), 1);
        const __m256i slope =
            _mm256_srli_epi64(_mm256_mul_epi32(_mm256_madd_epi16(pair, difference), halfFraction), 25);
        const __m256i sample = _mm256_add_epi32(base, slope);
        const __m256i rounding = _mm256_and_si256(_mm256_srai_epi32(sample, 31), negativeRounding);
        const __m256i sumLeft = _mm256_add_epi64(_mm256_mul_epi32(sample, left), rounding);
        const __m256i sumRight = _mm256_add_epi64(_mm256_mul_epi32(sample, right), rounding);
        // Left (>> 7) in the even dwords, right (>> 7, then << 32) in the odd:
        // L0 R0 L1 R1 L2 R2 L3 R3.
        const __m256i frames4 = _mm256_blend_epi32(_mm256_srli_epi64(sumLeft, 7), _mm256_slli_epi64(sumRight, 25), 0xAA);
        auto* target = reinterpret_cast<__m256i*>(out + 8 * static_cast<std::size_t>(r));
        _mm256_storeu_si256(target, _mm256_add_epi32(_mm256_loadu_si256(target), frames4));

        position = _mm256_add_epi64(position, delta4);
        if constexpr (kRamp) {
            left = _mm256_add_epi64(left, left4);
            right = _mm256_add_epi64(right, right4);
        }
    }
    run.position = static_cast<std::uint64_t>(_mm256_extract_epi64(position, 0));
    run.left = static_cast<std::int32_t>(_mm256_extract_epi64(left, 0));
    run.right = static_cast<std::int32_t>(_mm256_extract_epi64(right, 0));
    MixRunPortable(data, entries, run, out + 8 * static_cast<std::size_t>(rounds), frames - 4 * rounds);
}

// Steady volumes (the usual case) spare the two ramp additions per round.
__attribute__((target("avx2"))) void MixRunAvx2(const std::int16_t* data, std::uint32_t entries, VoiceRun& run,
                                               std::uint32_t* out, std::uint32_t frames) {
    constexpr std::uint64_t kOneFrame = std::uint64_t{1} << 32;
    const std::uint64_t d = run.delta;
    const bool steady = run.stepLeft == 0 && run.stepRight == 0;
    if (d <= kOneFrame) {
        steady ? MixRunAvx2Lanes<false, SampleReach::OneWindow>(data, entries, run, out, frames)
               : MixRunAvx2Lanes<true, SampleReach::OneWindow>(data, entries, run, out, frames);
    } else if (d <= 6 * kOneFrame) {
        steady ? MixRunAvx2Lanes<false, SampleReach::TwoWindowsForward>(data, entries, run, out, frames)
               : MixRunAvx2Lanes<true, SampleReach::TwoWindowsForward>(data, entries, run, out, frames);
    } else if (0 - d <= 6 * kOneFrame) {
        steady ? MixRunAvx2Lanes<false, SampleReach::TwoWindowsBackward>(data, entries, run, out, frames)
               : MixRunAvx2Lanes<true, SampleReach::TwoWindowsBackward>(data, entries, run, out, frames);
    } else {
        steady ? MixRunAvx2Lanes<false, SampleReach::Gather>(data, entries, run, out, frames)
               : MixRunAvx2Lanes<true, SampleReach::Gather>(data, entries, run, out, frames);
    }
}

}  // namespace

MixRunFunction Avx2MixRun() { return MixRunAvx2; }

#else

MixRunFunction Avx2MixRun() { return nullptr; }

#endif

}  // namespace zumbrik
