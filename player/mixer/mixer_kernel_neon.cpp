#include <cstring>

#include "player/mixer/mixer_kernel.h"

#if ZUMBRIK_NEON_KERNELS
#include <arm_neon.h>
#endif

namespace zumbrik {

#if ZUMBRIK_NEON_KERNELS

namespace {

// Four frames per round, one per 32-bit lane. The widening multiplies give
// the exact 64-bit products of the portable formulas, and the narrowing
// shifts keep the low 32 bits of each shifted product, which is all the
// accumulators hold.
inline int32x4_t Interpolate(int16x4_t first, int16x4_t second, uint32x4_t fraction) {
    const int32x4_t difference = vsubl_s16(second, first);
    const int32x4_t half = vreinterpretq_s32_u32(vshrq_n_u32(fraction, 1));
    const int32x2_t slopeLow = vshrn_n_s64(vmull_s32(vget_low_s32(difference), vget_low_s32(half)), 25);
    const int32x2_t slopeHigh = vshrn_n_s64(vmull_high_s32(difference, half), 25);
    return vaddq_s32(vshll_n_s16(first, 6), vcombine_s32(slopeLow, slopeHigh));
}

// VoiceContribution: ((P >> 6) + [P < 0]) >> 1, for any volume.
inline int32x2_t Contribution(int64x2_t product) {
    const int64x2_t sixtyFourths = vshrq_n_s64(product, 6);
    const int64x2_t negative = vreinterpretq_s64_u64(vshrq_n_u64(vreinterpretq_u64_s64(product), 63));
    return vshrn_n_s64(vaddq_s64(sixtyFourths, negative), 1);
}

inline uint32x4_t Scale(int32x4_t sample, int32x4_t volume) {
    const int32x2_t low = Contribution(vmull_s32(vget_low_s32(sample), vget_low_s32(volume)));
    const int32x2_t high = Contribution(vmull_high_s32(sample, volume));
    return vreinterpretq_u32_s32(vcombine_s32(low, high));
}

inline std::int32_t PairAt(const std::int16_t* data, std::uint64_t position) {
    std::int32_t pair;  // data[i] in the low half, data[i + 1] in the high (little-endian)
    std::memcpy(&pair, data + (position >> 32), sizeof pair);
    return pair;
}

template <bool kRamp>
void MixRunNeonLanes(const std::int16_t* data, VoiceRun& run, std::uint32_t* out, std::uint32_t rounds) {
    const std::uint64_t d = run.delta;
    std::uint64_t position = run.position;
    const std::uint32_t fractions[4] = {static_cast<std::uint32_t>(position), static_cast<std::uint32_t>(position + d),
                                        static_cast<std::uint32_t>(position + 2 * d),
                                        static_cast<std::uint32_t>(position + 3 * d)};
    uint32x4_t fraction = vld1q_u32(fractions);
    const uint32x4_t fractionStep = vdupq_n_u32(4 * static_cast<std::uint32_t>(d));
    const auto volumes = [](std::int32_t v, std::int32_t step) {
        const auto start = static_cast<std::uint32_t>(v);
        const auto by = static_cast<std::uint32_t>(step);
        const std::uint32_t lanes[4] = {start, start + by, start + 2 * by, start + 3 * by};
        return vreinterpretq_s32_u32(vld1q_u32(lanes));
    };
    int32x4_t left = volumes(run.left, run.stepLeft);
    int32x4_t right = volumes(run.right, run.stepRight);
    const int32x4_t leftStep = vdupq_n_s32(static_cast<std::int32_t>(4 * static_cast<std::uint32_t>(run.stepLeft)));
    const int32x4_t rightStep = vdupq_n_s32(static_cast<std::int32_t>(4 * static_cast<std::uint32_t>(run.stepRight)));
    for (std::uint32_t r = 0; r < rounds; ++r) {
        const std::int32_t pairs[4] = {PairAt(data, position), PairAt(data, position + d),
                                       PairAt(data, position + 2 * d), PairAt(data, position + 3 * d)};
        position += 4 * d;
        const int16x8_t words = vreinterpretq_s16_s32(vld1q_s32(pairs));
        const int16x4_t first = vget_low_s16(vuzp1q_s16(words, words));
        const int16x4_t second = vget_low_s16(vuzp2q_s16(words, words));
        const int32x4_t sample = Interpolate(first, second, fraction);
        std::uint32_t* target = out + 8 * static_cast<std::size_t>(r);
        uint32x4x2_t frames = vld2q_u32(target);  // left and right apart
        frames.val[0] = vaddq_u32(frames.val[0], Scale(sample, left));
        frames.val[1] = vaddq_u32(frames.val[1], Scale(sample, right));
        vst2q_u32(target, frames);
        fraction = vaddq_u32(fraction, fractionStep);
        if constexpr (kRamp) {
            left = vaddq_s32(left, leftStep);
            right = vaddq_s32(right, rightStep);
        }
    }
    run.position = position;
    // Unsigned: a ramp may wrap here as it does frame by frame.
    const auto moved = [rounds](std::int32_t volume, std::int32_t step) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(volume) + 4 * rounds * static_cast<std::uint32_t>(step));
    };
    run.left = moved(run.left, run.stepLeft);
    run.right = moved(run.right, run.stepRight);
}

void MixRunNeon(const std::int16_t* data, std::uint32_t entries, VoiceRun& run, std::uint32_t* out,
                std::uint32_t frames) {
    const std::uint32_t rounds = frames / 4;
    if (run.stepLeft == 0 && run.stepRight == 0) {
        MixRunNeonLanes<false>(data, run, out, rounds);
    } else {
        MixRunNeonLanes<true>(data, run, out, rounds);
    }
    MixRunPortable(data, entries, run, out + 8 * static_cast<std::size_t>(rounds), frames - 4 * rounds);
}

}  // namespace

MixRunFunction NeonMixRun() { return MixRunNeon; }

#else

MixRunFunction NeonMixRun() { return nullptr; }

#endif

}  // namespace zumbrik
