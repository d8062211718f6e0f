#include "player/mixer/mixer_kernel.h"

#include "player/mixer/cpu_dispatch.h"
#include "player/mixer/mixer.h"

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

// The frame (from a round's first) where the window of lanes 0-1, and that
// of lanes 2-3, starts: the lower of the lanes' two frames.
template <SampleReach kReach>
constexpr std::uint64_t kWindowFrameA = kReach == SampleReach::TwoWindowsBackward ? 1 : 0;
template <SampleReach kReach>
constexpr std::uint64_t kWindowFrameB = kReach == SampleReach::TwoWindowsForward    ? 2
                                        : kReach == SampleReach::TwoWindowsBackward ? 3
                                                                                    : 0;

// Window starts move one way through a run, so its ends tell where the
// windows lie inside the data: for a run forward, how many of its first
// frames the window loop may take (all of them when every window, the last
// round's over the run's last four frames included, lies inside; else a
// whole number of rounds, maybe none); backward, how many of its first frames,
// a whole number of rounds, must take the gather before the windows fit
// (all of them when they never do).
constexpr std::uint32_t kRunFramesChecked = 1u << 28;  // keeps the products below within 64 bits

inline std::uint64_t LastWindowStart(std::uint32_t entries) { return (std::uint64_t{entries - 8} << 32) | 0xFFFFFFFFu; }

template <SampleReach kReach>
std::uint32_t FramesInsideWindows(std::uint64_t p, std::uint64_t d, std::uint32_t frames, std::uint32_t entries) {
    if (entries < 8 || frames < 4 || frames >= kRunFramesChecked) return 0;
    const std::uint64_t limit = LastWindowStart(entries);
    const std::uint64_t lastStart = p + (frames - 4 + kWindowFrameB<kReach>) * d;
    if (lastStart >= p && lastStart <= limit) return frames;
    const std::uint64_t firstStart = p + kWindowFrameB<kReach> * d;
    if (d == 0 || firstStart < p || firstStart > limit) return 0;
    const std::uint64_t rounds = (limit - firstStart) / (4 * d) + 1;
    return 4 * static_cast<std::uint32_t>(rounds < frames / 4 ? rounds : frames / 4);
}

inline std::uint32_t FramesBeforeWindowsFit(std::uint64_t p, std::uint64_t s, std::uint32_t frames,
                                            std::uint32_t entries) {
    if (entries < 8 || frames >= kRunFramesChecked || s == 0 || (frames - 1) * s > p) return frames;
    const std::uint64_t limit = LastWindowStart(entries);
    if (p - s <= limit) return 0;
    // Round r's highest window starts at p - (4 r + 1) s.
    const std::uint64_t rounds = (p - s - limit + 4 * s - 1) / (4 * s);
    return rounds < frames / 4 ? 4 * static_cast<std::uint32_t>(rounds) : frames;
}

// Four frames from their sample pairs (data[i] | data[i + 1] << 16 in each
// lane's low dword), the halves of their fractions (low dwords) and their
// volumes: left in the even dwords, right in the odd, L0 R0 L1 R1 L2 R2 L3 R3.
// A centred voice (both sides at one steady volume) scales once and copies
// the result to the other side.
template <bool kCentred>
__attribute__((target("avx2"), always_inline)) inline __m256i MixedFrames(__m256i pair, __m256i halfFraction,
                                                                         __m256i left, __m256i right) {
    const __m256i base = _mm256_madd_epi16(pair, _mm256_set1_epi32(64));
    const __m256i difference = _mm256_madd_epi16(pair, _mm256_set1_epi32(static_cast<int>(0x0001FFFF)));  // -1, +1
    const __m256i slope = _mm256_srli_epi64(_mm256_mul_epi32(difference, halfFraction), 25);
    const __m256i sample = _mm256_add_epi32(base, slope);
    const __m256i rounding = _mm256_and_si256(_mm256_srai_epi32(sample, 31), _mm256_set1_epi64x(64));
    const __m256i sumLeft = _mm256_add_epi64(_mm256_mul_epi32(sample, left), rounding);
    if constexpr (kCentred) {
        return _mm256_shuffle_epi32(_mm256_srli_epi64(sumLeft, 7), 0xA0);
    } else {
        const __m256i sumRight = _mm256_add_epi64(_mm256_mul_epi32(sample, right), rounding);
        return _mm256_blend_epi32(_mm256_srli_epi64(sumLeft, 7), _mm256_slli_epi64(sumRight, 25), 0xAA);
    }
}

// The volumes of four consecutive frames, one per lane, and their change over four.
struct VolumeLanes {
    __m256i left, right, left4, right4;
};

__attribute__((target("avx2"))) inline VolumeLanes VolumesOf(const VoiceRun& run) {
    const std::int64_t left = run.left;
    const std::int64_t right = run.right;
    const std::int64_t stepLeft = run.stepLeft;
    const std::int64_t stepRight = run.stepRight;
    return {_mm256_setr_epi64x(left, left + stepLeft, left + 2 * stepLeft, left + 3 * stepLeft),
            _mm256_setr_epi64x(right, right + stepRight, right + 2 * stepRight, right + 3 * stepRight),
            _mm256_set1_epi64x(4 * stepLeft), _mm256_set1_epi64x(4 * stepRight)};
}

// For the last frames short of a round: lanes from `back` on.
__attribute__((target("avx2"))) inline __m256i LanesFrom(std::uint32_t back) {
    return _mm256_cmpgt_epi64(_mm256_setr_epi64x(0, 1, 2, 3), _mm256_set1_epi64x(static_cast<long long>(back) - 1));
}

// The volumes four frames on, after a round.
template <bool kRamp>
__attribute__((target("avx2"), always_inline)) inline void StepVolumesOn(VolumeLanes& volume) {
    if constexpr (kRamp) {
        volume.left = _mm256_add_epi64(volume.left, volume.left4);
        volume.right = _mm256_add_epi64(volume.right, volume.right4);
    }
}

// The volumes `back` frames back, for the last round over a run's last four frames.
template <bool kRamp>
__attribute__((target("avx2"), always_inline)) inline void StepVolumesBack(VolumeLanes& volume, const VoiceRun& run,
                                                                          std::uint32_t back) {
    if constexpr (kRamp) {
        volume.left = _mm256_sub_epi64(volume.left, _mm256_set1_epi64x(std::int64_t{run.stepLeft} * back));
        volume.right = _mm256_sub_epi64(volume.right, _mm256_set1_epi64x(std::int64_t{run.stepRight} * back));
    }
}

// The run moved on by all its frames: the same wrapping sums as stepping frame by frame.
inline void EndRun(VoiceRun& run, std::uint32_t frames) {
    run.position += frames * run.delta;
    run.left = static_cast<std::int32_t>(run.left + std::int64_t{run.stepLeft} * frames);
    run.right = static_cast<std::int32_t>(run.right + std::int64_t{run.stepRight} * frames);
}

// A run's frames by the gather, which reads anywhere. The last frames short
// of a round take one more over the last four, the lanes already mixed
// masked out; those may precede `out` when an earlier part of the same run
// mixed them (the run has at least four frames in all).
template <bool kRamp, bool kCentred>
__attribute__((target("avx2"))) void MixGatherRun(const std::int16_t* data, VoiceRun& run, std::uint32_t* out,
                                                 std::uint32_t frames) {
    const std::uint64_t d = run.delta;
    const auto dd = static_cast<long long>(d);
    __m256i position = _mm256_add_epi64(_mm256_set1_epi64x(static_cast<long long>(run.position)),
                                        _mm256_setr_epi64x(0, dd, 2 * dd, 3 * dd));
    VolumeLanes volume = VolumesOf(run);
    const auto* words = reinterpret_cast<const int*>(data);
    const auto round = [&](std::uint32_t* target, __m256i keep) __attribute__((target("avx2"), always_inline)) {
        const __m256i pair = _mm256_cvtepu32_epi64(_mm256_i64gather_epi32(words, _mm256_srli_epi64(position, 32), 2));
        const __m256i mixed = MixedFrames<kCentred>(pair, _mm256_srli_epi32(position, 1), volume.left, volume.right);
        auto* at = reinterpret_cast<__m256i*>(target);
        _mm256_storeu_si256(at, _mm256_add_epi32(_mm256_loadu_si256(at), _mm256_and_si256(mixed, keep)));
    };
    const std::uint32_t rounds = frames / 4;
    for (std::uint32_t r = 0; r < rounds; ++r) {
        round(out + 8 * static_cast<std::size_t>(r), _mm256_set1_epi32(-1));
        position = _mm256_add_epi64(position, _mm256_set1_epi64x(4 * dd));
        StepVolumesOn<kRamp>(volume);
    }
    if (const std::uint32_t back = 4 - frames % 4; back != 4) {
        position = _mm256_sub_epi64(position, _mm256_set1_epi64x(static_cast<long long>(back * d)));
        StepVolumesBack<kRamp>(volume, run, back);
        round(out + 2 * (static_cast<std::ptrdiff_t>(frames) - 4), LanesFrom(back));
    }
    EndRun(run, frames);
}

// A run whose windows all lie inside the data (FramesInsideWindows), at
// least four frames. A lane's distance from its window's first frame is
// fixed by the step: its whole part w and its fraction c; the lane's sample
// lies at w + 1 exactly when its own fraction wrapped below c on the way, so
// the shuffle control is one of two constant ones, chosen by a compare.
// The last frames short of a round take one more over the last four, the
// lanes already mixed masked out.
template <bool kRamp, bool kCentred, SampleReach kReach>
__attribute__((target("avx2"))) void MixWindowRun(const std::int16_t* data, VoiceRun& run, std::uint32_t* out,
                                                 std::uint32_t frames) {
    const std::uint64_t d = run.delta;
    std::uint64_t p = run.position;
    VolumeLanes volume = VolumesOf(run);
    const __m256i lowHalf = _mm256_set1_epi64x(0xFFFFFFFFll);
    const auto dd = static_cast<long long>(d);
    __m256i fraction = _mm256_and_si256(_mm256_add_epi64(_mm256_set1_epi64x(static_cast<long long>(p)),
                                                         _mm256_setr_epi64x(0, dd, 2 * dd, 3 * dd)),
                                        lowHalf);
    const __m256i fromWindow = kReach == SampleReach::OneWindow           ? _mm256_setr_epi64x(0, dd, 2 * dd, 3 * dd)
                               : kReach == SampleReach::TwoWindowsForward ? _mm256_setr_epi64x(0, dd, 0, dd)
                                                                          : _mm256_setr_epi64x(-dd, 0, -dd, 0);
    const __m256i wrapBelow = _mm256_and_si256(fromWindow, lowHalf);
    const __m256i whole = _mm256_srli_epi64(fromWindow, 32);
    // Byte 0 of each lane (twice the whole part) spread over the low dword,
    // plus 0 1 2 3 there; the high dword's bytes 0x80, which zero it.
    const __m256i spread = _mm256_setr_epi8(0, 0, 0, 0, -128, -128, -128, -128, 8, 8, 8, 8, -128, -128, -128, -128, 0, 0,
                                            0, 0, -128, -128, -128, -128, 8, 8, 8, 8, -128, -128, -128, -128);
    const __m256i byteOffsets = _mm256_set1_epi64x(static_cast<long long>(0x8080808003020100ull));
    const __m256i exact = _mm256_add_epi8(_mm256_shuffle_epi8(_mm256_add_epi64(whole, whole), spread), byteOffsets);
    const __m256i carried = _mm256_add_epi8(exact, _mm256_set1_epi64x(0x02020202));
    const __m256i fraction4 = _mm256_set1_epi64x(static_cast<std::uint32_t>(4 * d));
    const std::uint64_t windowA = kWindowFrameA<kReach> * d;
    const std::uint64_t windowB = kWindowFrameB<kReach> * d;
    const auto round = [&](std::uint32_t* target, __m256i keep) __attribute__((target("avx2"), always_inline)) {
        __m256i window;
        const auto* first = reinterpret_cast<const __m128i*>(data + ((p + windowA) >> 32));
        if constexpr (kReach == SampleReach::OneWindow) {
            window = _mm256_broadcastsi128_si256(_mm_loadu_si128(first));
        } else {
            window = _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(first)),
                                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + ((p + windowB) >> 32))), 1);
        }
        const __m256i exactLane = _mm256_cmpeq_epi32(_mm256_max_epu32(fraction, wrapBelow), fraction);
        const __m256i pair = _mm256_shuffle_epi8(window, _mm256_blendv_epi8(carried, exact, exactLane));
        const __m256i mixed = MixedFrames<kCentred>(pair, _mm256_srli_epi32(fraction, 1), volume.left, volume.right);
        auto* at = reinterpret_cast<__m256i*>(target);
        _mm256_storeu_si256(at, _mm256_add_epi32(_mm256_loadu_si256(at), _mm256_and_si256(mixed, keep)));
    };
    const __m256i all = _mm256_set1_epi32(-1);
    const std::uint32_t rounds = frames / 4;
    for (std::uint32_t r = 0; r < rounds; ++r) {
        round(out + 8 * static_cast<std::size_t>(r), all);
        p += 4 * d;
        fraction = _mm256_add_epi32(fraction, fraction4);
        StepVolumesOn<kRamp>(volume);
    }
    if (const std::uint32_t back = 4 - frames % 4; back != 4) {
        p -= back * d;
        fraction = _mm256_sub_epi32(fraction, _mm256_set1_epi64x(static_cast<std::uint32_t>(back * d)));
        StepVolumesBack<kRamp>(volume, run, back);
        round(out + 2 * (static_cast<std::size_t>(frames) - 4), LanesFrom(back));
    }
    EndRun(run, frames);
}

// Any run: windows where they lie inside the data, the gather elsewhere
// (and for every round of steps beyond six frames).
template <bool kRamp, bool kCentred, SampleReach kReach>
__attribute__((target("avx2"))) void MixRunAvx2Lanes(const std::int16_t* data, std::uint32_t entries, VoiceRun& run,
                                                    std::uint32_t* out, std::uint32_t frames) {
    const std::int64_t lastLeft = run.left + static_cast<std::int64_t>(run.stepLeft) * (static_cast<std::int64_t>(frames) - 1);
    const std::int64_t lastRight =
        run.right + static_cast<std::int64_t>(run.stepRight) * (static_cast<std::int64_t>(frames) - 1);
    if (frames < 4 || run.left < 0 || run.right < 0 || lastLeft < 0 || lastRight < 0) {
        MixRunPortable(data, entries, run, out, frames);  // ramps overshooting below 0 are rare
        return;
    }
    std::uint32_t gathered = frames;  // how many frames take the gather, first (backward) or last
    if constexpr (kReach == SampleReach::TwoWindowsBackward) {
        gathered = FramesBeforeWindowsFit(run.position, 0 - run.delta, frames, entries);
        if (frames - gathered < 4) gathered = frames;
    } else if constexpr (kReach != SampleReach::Gather) {
        gathered = frames - FramesInsideWindows<kReach>(run.position, run.delta, frames, entries);
    }
    if (gathered == frames) {
        MixGatherRun<kRamp, kCentred>(data, run, out, frames);
    } else if (kReach == SampleReach::TwoWindowsBackward) {
        if (gathered != 0) MixGatherRun<kRamp, kCentred>(data, run, out, gathered);
        MixWindowRun<kRamp, kCentred, kReach>(data, run, out + 2 * static_cast<std::size_t>(gathered), frames - gathered);
    } else {
        MixWindowRun<kRamp, kCentred, kReach>(data, run, out, frames - gathered);
        if (gathered != 0) {
            MixGatherRun<kRamp, kCentred>(data, run, out + 2 * static_cast<std::size_t>(frames - gathered), gathered);
        }
    }
}

// The run's kernel by how far a round reaches.
template <bool kRamp, bool kCentred>
__attribute__((target("avx2"))) void MixRunAvx2Volumes(const std::int16_t* data, std::uint32_t entries, VoiceRun& run,
                                                       std::uint32_t* out, std::uint32_t frames) {
    constexpr std::uint64_t kOneFrame = std::uint64_t{1} << 32;
    const std::uint64_t d = run.delta;
    if (d <= kOneFrame) {
        MixRunAvx2Lanes<kRamp, kCentred, SampleReach::OneWindow>(data, entries, run, out, frames);
    } else if (d <= 6 * kOneFrame) {
        MixRunAvx2Lanes<kRamp, kCentred, SampleReach::TwoWindowsForward>(data, entries, run, out, frames);
    } else if (0 - d <= 6 * kOneFrame) {
        MixRunAvx2Lanes<kRamp, kCentred, SampleReach::TwoWindowsBackward>(data, entries, run, out, frames);
    } else {
        MixRunAvx2Lanes<kRamp, kCentred, SampleReach::Gather>(data, entries, run, out, frames);
    }
}

// Steady volumes (the usual case) spare the two ramp additions per round,
// and a steady centred voice one side's scaling.
__attribute__((target("avx2"))) void MixRunAvx2(const std::int16_t* data, std::uint32_t entries, VoiceRun& run,
                                               std::uint32_t* out, std::uint32_t frames) {
    if (run.stepLeft != 0 || run.stepRight != 0) {
        MixRunAvx2Volumes<true, false>(data, entries, run, out, frames);
    } else if (run.left == run.right) {
        MixRunAvx2Volumes<false, true>(data, entries, run, out, frames);
    } else {
        MixRunAvx2Volumes<false, false>(data, entries, run, out, frames);
    }
}

}  // namespace

MixRunFunction Avx2MixRun() { return MixRunAvx2; }

#else

MixRunFunction Avx2MixRun() { return nullptr; }

#endif

}  // namespace zumbrik
