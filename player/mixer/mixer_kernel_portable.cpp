#include <algorithm>

#include "player/mixer/mixer.h"
#include "player/mixer/mixer_kernel.h"

namespace zumbrik {

namespace {

// The exact frame-by-frame sum, for any volume.
void MixRunExact(const std::int16_t* data, VoiceRun& run, std::uint32_t* out, std::uint32_t frames) {
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

constexpr std::uint32_t kBlockFrames = 256;

// Frames are interpolated as two interleaved streams, frame k in stream
// k % 2, each moving by two steps; the loop is unrolled once, so four frames
// are in flight with every stream's state in a register (with four streams
// the compiler ran out of registers and kept some in memory). With the 32.32
// position split into an index and a fraction, a stream moves in two adds
// (the fraction's carry goes into the index) instead of extracting both from
// 64 bits per frame. Its step being even, a stream's fraction keeps its
// lowest bit b, so with E = fraction - b: (d (fraction >> 1)) >> 25 =
// (d E) >> 26, and the fraction carries out exactly when E does.
constexpr std::uint32_t kStreams = 2;

struct Stream {
    std::uint64_t index;  // 64 bits, so addressing needs no widening move
    std::uint32_t evenFraction;  // E
};

inline Stream StreamAt(std::uint64_t position) {
    return {position >> 32, static_cast<std::uint32_t>(position) & ~1u};
}

// s0 64 + ((d E) >> 26), as one shift of s0 at 32 fractional bits plus d E:
// the compiler then keeps s0 where it loaded it instead of copying it.
inline std::int32_t StreamSample(const std::int16_t* data, const Stream& stream) {
    constexpr std::int64_t kWhole = std::int64_t{1} << 32;
    const std::int64_t s0 = data[stream.index];
    const std::int64_t s1 = data[stream.index + 1];
    return static_cast<std::int32_t>((s0 * kWhole + (s1 - s0) * stream.evenFraction) >> 26);
}

inline void Advance(Stream& stream, std::uint32_t fractionStep, std::uint64_t indexStep) {
    stream.evenFraction += fractionStep;
    stream.index += indexStep + (stream.evenFraction < fractionStep ? 1 : 0);
}

// Interpolated samples of up to a block of frames; the only part that reads
// the data, so the scaling after it is a plain loop the compiler vectorises.
std::uint64_t InterpolateBlock(const std::int16_t* data, std::uint64_t position, std::uint64_t delta,
                               std::int32_t* samples, std::uint32_t frames) {
    Stream streams[kStreams];
    for (std::uint32_t s = 0; s < kStreams; ++s) {
        streams[s] = StreamAt(position + s * delta);
    }
    const std::uint64_t stride = kStreams * delta;
    const auto fractionStep = static_cast<std::uint32_t>(stride);
    // Arithmetic: a backward stride is a negative index step plus a fraction.
    const auto indexStep = static_cast<std::uint64_t>(static_cast<std::int64_t>(stride) >> 32);
    const std::uint32_t rounds = frames / kStreams;
#pragma GCC unroll 2  // also understood by clang
    for (std::uint32_t r = 0; r < rounds; ++r) {
        for (std::uint32_t s = 0; s < kStreams; ++s) {
            samples[kStreams * r + s] = StreamSample(data, streams[s]);
            Advance(streams[s], fractionStep, indexStep);
        }
    }
    for (std::uint32_t s = 0; s < frames % kStreams; ++s) {
        samples[kStreams * rounds + s] = StreamSample(data, streams[s]);
    }
    return position + delta * frames;
}

// VoiceContribution for a volume in 0..32767, in 16-bit factors: with
// J = 128 a + b (0 <= b < 128), (J V + 64 [J < 0]) >> 7 = a V + ((b V + 64 [J < 0]) >> 7),
// which is ((J V >> 6) + [J V < 0]) >> 1 for any V >= 0. |J| < 2^21 keeps a in 16 bits.
inline std::uint32_t ScaledSample(std::int32_t sample, std::int32_t volume) {
    const auto high = static_cast<std::int16_t>(sample >> 7);
    const auto low = static_cast<std::int16_t>(sample & 127);
    const auto factor = static_cast<std::int16_t>(volume);
    const std::int32_t rounding = sample < 0 ? 64 : 0;
    return static_cast<std::uint32_t>(std::int32_t{high} * factor + ((std::int32_t{low} * factor + rounding) >> 7));
}

template <bool kRamp>
void ScaleBlock(const std::int32_t* samples, std::int32_t left, std::int32_t right, std::int32_t stepLeft,
                std::int32_t stepRight, std::uint32_t* out, std::uint32_t frames) {
    for (std::uint32_t k = 0; k < frames; ++k) {
        const std::int32_t frameLeft = kRamp ? left + stepLeft * static_cast<std::int32_t>(k) : left;
        const std::int32_t frameRight = kRamp ? right + stepRight * static_cast<std::int32_t>(k) : right;
        out[2 * k] += ScaledSample(samples[k], frameLeft);
        out[2 * k + 1] += ScaledSample(samples[k], frameRight);
    }
}

// Steady and centred, the commonest case: one product serves both sides.
void ScaleBlockCentred(const std::int32_t* samples, std::int32_t volume, std::uint32_t* out, std::uint32_t frames) {
    for (std::uint32_t k = 0; k < frames; ++k) {
        const std::uint32_t scaled = ScaledSample(samples[k], volume);
        out[2 * k] += scaled;
        out[2 * k + 1] += scaled;
    }
}

bool InSixteenBits(std::int64_t volume) { return volume >= 0 && volume <= 32767; }

}  // namespace

void MixRunPortable(const std::int16_t* data, std::uint32_t /*entries*/, VoiceRun& run, std::uint32_t* out,
                    std::uint32_t frames) {
    if (frames < 8) {
        MixRunExact(data, run, out, frames);  // the vector versions' last frames: too few to block
        return;
    }
    const std::int64_t lastLeft = run.left + std::int64_t{run.stepLeft} * (frames - 1);
    const std::int64_t lastRight = run.right + std::int64_t{run.stepRight} * (frames - 1);
    if (!InSixteenBits(run.left) || !InSixteenBits(run.right) || !InSixteenBits(lastLeft) ||
        !InSixteenBits(lastRight)) {
        MixRunExact(data, run, out, frames);  // ramps overshooting past 0, and volumes from hostile input
        return;
    }
    const bool ramp = run.stepLeft != 0 || run.stepRight != 0;
    std::int32_t samples[kBlockFrames];
    for (std::uint32_t done = 0; done < frames; done += kBlockFrames) {
        const std::uint32_t count = std::min(kBlockFrames, frames - done);
        run.position = InterpolateBlock(data, run.position, run.delta, samples, count);
        if (ramp) {
            ScaleBlock<true>(samples, run.left, run.right, run.stepLeft, run.stepRight, out + 2 * done, count);
            run.left += run.stepLeft * static_cast<std::int32_t>(count);
            run.right += run.stepRight * static_cast<std::int32_t>(count);
        } else if (run.left == run.right) {
            ScaleBlockCentred(samples, run.left, out + 2 * done, count);
        } else {
            ScaleBlock<false>(samples, run.left, run.right, 0, 0, out + 2 * done, count);
        }
    }
}

}  // namespace zumbrik
