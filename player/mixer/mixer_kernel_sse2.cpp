#include <cstring>

#include "player/mixer/mixer_kernel.h"

#if ZUMBRIK_SSE2_KERNELS
#include <emmintrin.h>
#endif

namespace zumbrik {

#if ZUMBRIK_SSE2_KERNELS

namespace {

// Four frames per round, one per 32-bit lane, every product a pmaddwd of
// 16-bit factors. Interpolation, with f = fraction >> 1 = 2^16 h + 2 m + l
// (h, m below 2^15, l a bit) and d = s1 - s0:
//   (d f) >> 25 = (d h + (d m + (d l >> 1)) >> 15) >> 9, each part exact in 32 bits.
// Scaling, for a volume V in 0..32767, with J = 128 a + b (0 <= b < 128):
//   ((J V >> 6) + [J V < 0]) >> 1 = a V + ((b V + 64 [J < 0]) >> 7).

// Words (x, -x) in each lane, for x below 2^15: pmaddwd with (s0, s1) gives -d x.
inline __m128i NegatedDifferenceFactor(__m128i x) { return _mm_sub_epi32(x, _mm_slli_epi32(x, 16)); }

inline __m128i Interpolate(__m128i pair, __m128i fraction) {
    const __m128i h = _mm_srli_epi32(fraction, 17);
    const __m128i m = _mm_and_si128(_mm_srli_epi32(fraction, 2), _mm_set1_epi32(0x7FFF));
    const __m128i lMask = _mm_srai_epi32(_mm_slli_epi32(fraction, 30), 31);
    const __m128i minusDH = _mm_madd_epi16(pair, NegatedDifferenceFactor(h));
    const __m128i minusDM = _mm_madd_epi16(pair, NegatedDifferenceFactor(m));
    const __m128i minusD = _mm_madd_epi16(pair, _mm_set1_epi32(static_cast<int>(0xFFFF0001u)));  // words (1, -1)
    const __m128i dL = _mm_sub_epi32(_mm_setzero_si128(), _mm_and_si128(minusD, lMask));
    const __m128i low = _mm_srai_epi32(_mm_sub_epi32(_mm_srai_epi32(dL, 1), minusDM), 15);
    const __m128i slope = _mm_srai_epi32(_mm_sub_epi32(low, minusDH), 9);
    return _mm_add_epi32(_mm_madd_epi16(pair, _mm_set1_epi32(64)), slope);  // words (64, 0)
}

// volume: words (V, 64) per lane.
inline __m128i Scale(__m128i high, __m128i lowAndSign, __m128i volume) {
    return _mm_add_epi32(_mm_madd_epi16(high, volume), _mm_srli_epi32(_mm_madd_epi16(lowAndSign, volume), 7));
}

inline std::int32_t PairAt(const std::int16_t* data, std::uint64_t position) {
    std::int32_t pair;  // data[i] in the low word, data[i + 1] in the high (little-endian)
    std::memcpy(&pair, data + (position >> 32), sizeof pair);
    return pair;
}

// A centred voice (both sides at one steady volume) is scaled once.
template <bool kRamp, bool kCentred>
void MixRunSse2Lanes(const std::int16_t* data, VoiceRun& run, std::uint32_t* out, std::uint32_t rounds) {
    const std::uint64_t d = run.delta;
    std::uint64_t position = run.position;
    const auto lowDelta = static_cast<std::uint32_t>(d);
    __m128i fraction = _mm_setr_epi32(static_cast<int>(position), static_cast<int>(position + d),
                                      static_cast<int>(position + 2 * d), static_cast<int>(position + 3 * d));
    const __m128i fractionStep = _mm_set1_epi32(static_cast<int>(4 * lowDelta));
    const __m128i sixtyFour = _mm_set1_epi32(64 << 16);
    const auto volumes = [&](std::int32_t v, std::int32_t step) {
        return _mm_or_si128(_mm_setr_epi32(v, v + step, v + 2 * step, v + 3 * step), sixtyFour);
    };
    __m128i left = volumes(run.left, run.stepLeft);
    __m128i right = volumes(run.right, run.stepRight);
    const __m128i leftStep = _mm_set1_epi32(4 * run.stepLeft);
    const __m128i rightStep = _mm_set1_epi32(4 * run.stepRight);
    for (std::uint32_t r = 0; r < rounds; ++r) {
        const std::int32_t p0 = PairAt(data, position);
        const std::int32_t p1 = PairAt(data, position + d);
        const std::int32_t p2 = PairAt(data, position + 2 * d);
        const std::int32_t p3 = PairAt(data, position + 3 * d);
        position += 4 * d;
        const __m128i sample = Interpolate(_mm_setr_epi32(p0, p1, p2, p3), fraction);
        const __m128i high = _mm_and_si128(_mm_srai_epi32(sample, 7), _mm_set1_epi32(0xFFFF));
        const __m128i sign = _mm_and_si128(_mm_srai_epi32(sample, 31), _mm_set1_epi32(0x10000));
        const __m128i lowAndSign = _mm_or_si128(_mm_and_si128(sample, _mm_set1_epi32(127)), sign);
        const __m128i sumLeft = Scale(high, lowAndSign, left);
        __m128i sumRight = sumLeft;
        if constexpr (!kCentred) sumRight = Scale(high, lowAndSign, right);
        auto* target = reinterpret_cast<__m128i*>(out + 8 * static_cast<std::size_t>(r));
        _mm_storeu_si128(target, _mm_add_epi32(_mm_loadu_si128(target), _mm_unpacklo_epi32(sumLeft, sumRight)));
        _mm_storeu_si128(target + 1,
                         _mm_add_epi32(_mm_loadu_si128(target + 1), _mm_unpackhi_epi32(sumLeft, sumRight)));
        fraction = _mm_add_epi32(fraction, fractionStep);
        if constexpr (kRamp) {
            left = _mm_add_epi32(left, leftStep);
            right = _mm_add_epi32(right, rightStep);
        }
    }
    run.position = position;
    run.left += static_cast<std::int32_t>(4 * rounds) * run.stepLeft;
    run.right += static_cast<std::int32_t>(4 * rounds) * run.stepRight;
}

bool InSixteenBits(std::int64_t volume) { return volume >= 0 && volume <= 32767; }

void MixRunSse2(const std::int16_t* data, std::uint32_t entries, VoiceRun& run, std::uint32_t* out,
                std::uint32_t frames) {
    const std::uint32_t rounds = frames / 4;
    const std::int64_t lastLeft = run.left + std::int64_t{run.stepLeft} * (std::int64_t{frames} - 1);
    const std::int64_t lastRight = run.right + std::int64_t{run.stepRight} * (std::int64_t{frames} - 1);
    if (rounds > 0 && InSixteenBits(run.left) && InSixteenBits(run.right) && InSixteenBits(lastLeft) &&
        InSixteenBits(lastRight)) {
        if (run.stepLeft != 0 || run.stepRight != 0) {
            MixRunSse2Lanes<true, false>(data, run, out, rounds);
        } else if (run.left == run.right) {
            MixRunSse2Lanes<false, true>(data, run, out, rounds);
        } else {
            MixRunSse2Lanes<false, false>(data, run, out, rounds);
        }
        out += 8 * static_cast<std::size_t>(rounds);
        frames -= 4 * rounds;
    }
    MixRunPortable(data, entries, run, out, frames);  // the rest, and volumes past 16 bits
}

}  // namespace

MixRunFunction Sse2MixRun() { return MixRunSse2; }

#else

MixRunFunction Sse2MixRun() { return nullptr; }

#endif

}  // namespace zumbrik
