#pragma once
#include <optional>

#include "player/mixer/kernel_selection.h"
#include "player/mixer/mixer_kernel.h"
#include "player/mixer/sample_conversion.h"

// The AVX2 kernels are built where the compiler can target them per function.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define ZUMBRIK_AVX2_KERNELS 1
#else
#define ZUMBRIK_AVX2_KERNELS 0
#endif

namespace zumbrik {

// The versions of the player's two hot loops: the mixer's voice run and the
// conversion of accumulators to samples. Every set gives the same bits.
struct Kernels {
    MixRunFunction mixRun;
    ConvertFunction convertAtUnity;
    ConvertClearFunction convertAndClearAtUnity;
};

// The kernels of a choice, or nothing when this build or this processor
// lacks them.
std::optional<Kernels> KernelsFor(KernelChoice choice);

// The kernels the player runs: the fastest this processor has, chosen once
// before main (before any player thread exists) and only read afterwards.
// Until then the portable ones, so that anything rendering during static
// initialisation still works, with the same bits.
const Kernels& ActiveKernels();

}  // namespace zumbrik
