#pragma once
#include <cstdint>

// The SSE2 kernels: x86-64, where SSE2 is always there.
#if defined(__x86_64__) && defined(__SSE2__)
#define ZUMBRIK_SSE2_KERNELS 1
#else
#define ZUMBRIK_SSE2_KERNELS 0
#endif

// The NEON kernels: AArch64, where NEON is always there.
#if defined(__aarch64__)
#define ZUMBRIK_NEON_KERNELS 1
#else
#define ZUMBRIK_NEON_KERNELS 0
#endif

namespace zumbrik {

// One stretch of a voice without boundary: `frames` frames from `position`
// (32.32), moving by `delta` per frame (the step, or minus the step going
// backward, as wrapping 64-bit arithmetic), with side volumes (x 128) that
// change by their ramp steps after each frame.
struct VoiceRun {
    std::uint64_t position;
    std::uint64_t delta;
    std::int32_t left;
    std::int32_t right;
    std::int32_t stepLeft;
    std::int32_t stepRight;
};

// Adds the run's interpolated, scaled samples to out (left, right per frame)
// and moves the run on. `entries` is how many samples data holds (a
// sample's length + 3): versions that read ahead never read past them.
// Every version gives the same bits.
using MixRunFunction = void (*)(const std::int16_t* data, std::uint32_t entries, VoiceRun& run, std::uint32_t* out,
                                std::uint32_t frames);

void MixRunPortable(const std::int16_t* data, std::uint32_t entries, VoiceRun& run, std::uint32_t* out,
                    std::uint32_t frames);

// The AVX2 version when this build has one, else null; whether the
// processor runs it is the CPU dispatch's question.
MixRunFunction Avx2MixRun();

// The SSE2 and NEON versions when this build has them, else null.
MixRunFunction Sse2MixRun();
MixRunFunction NeonMixRun();

}  // namespace zumbrik
