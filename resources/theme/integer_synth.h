#pragma once
#include <cstdint>
#include <utility>
#include <vector>

namespace zumbrik::theme {

// Waveform building blocks in integer arithmetic only, so the composed module
// is the same byte for byte whatever compiler or library builds the composer.

inline constexpr std::uint32_t kSinePhases = 4096;

// sin(2 pi phase / 4096) scaled to +-32767.
std::int32_t Sine(std::uint32_t phase);

// A small deterministic noise source (xorshift).
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed != 0 ? seed : 1) {}
    // Uniform in -32768..32767.
    std::int32_t Next();

private:
    std::uint32_t state_;
};

// One harmonic of an additive wave: its number and its relative amplitude.
struct Harmonic {
    std::uint32_t number;
    std::int32_t amplitude;
};

// `frames` frames holding exactly `cycles` periods of the sum of harmonics,
// so the whole block loops without a seam.
std::vector<std::int32_t> AdditiveWave(std::uint32_t frames, std::uint32_t cycles,
                                       const std::vector<Harmonic>& harmonics);

// Element-wise sum of two blocks of the same length.
std::vector<std::int32_t> Mixed(const std::vector<std::int32_t>& a, const std::vector<std::int32_t>& b);

// Scales the block so that its largest magnitude becomes `peak`.
void Normalise(std::vector<std::int32_t>& values, std::int32_t peak);

// Multiplies by 65536ths, rounding toward negative infinity.
inline std::int32_t ScaleQ16(std::int32_t value, std::int32_t q16) {
    return static_cast<std::int32_t>((static_cast<std::int64_t>(value) * q16) >> 16);
}

// An exponentially decaying gain in 65536ths: multiplied by `factor`/65536 each step.
class Decay {
public:
    Decay(std::int32_t start, std::int32_t factor) : gain_(start), factor_(factor) {}
    std::int32_t Next() {
        const std::int32_t current = gain_;
        gain_ = ScaleQ16(gain_, factor_);
        return current;
    }

private:
    std::int32_t gain_;
    std::int32_t factor_;
};

}  // namespace zumbrik::theme
