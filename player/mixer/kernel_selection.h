#pragma once
#include <string>

namespace zumbrik {

// The mixing kernel sets by name, and which one the player runs: what a
// program may ask for and tell its user (the kernels themselves are the
// player's own, in cpu_dispatch.h).

enum class KernelChoice {
    Portable,  // plain C++, on any processor
    Neon,      // AArch64 (every such processor has NEON)
    Sse2,      // x86-64 (every such processor has SSE2)
    Avx2,      // x86-64 with AVX2
};

// Every choice, the slowest first.
inline constexpr KernelChoice kAllKernelChoices[] = {KernelChoice::Portable, KernelChoice::Neon, KernelChoice::Sse2,
                                                   KernelChoice::Avx2};

const char* KernelName(KernelChoice choice);  // "portable", "neon", "sse2", "avx2"

// What became of a request for a kernel set (the ZUMBRIK_KERNEL variable:
// a kernel name, unset or empty for the best the processor has).
struct KernelSelection {
    KernelChoice running;
    std::string problem;  // one line when the request could not be honoured, else empty
};

// The selection for a request; an unknown or unavailable one falls back to
// the best the processor has, with the problem said (without the fallback:
// what follows is each program's decision).
// available(choice) tells whether this processor and build run a choice.
KernelSelection SelectKernels(const char* requested, bool (*available)(KernelChoice));

// The selection made from ZUMBRIK_KERNEL before main; the player runs it.
// Each program decides what a problem means: the module tool refuses to run,
// the game and other users of the library say it and go on.
const KernelSelection& KernelSelectionAtStart();

// The problem line of the start-up selection the first time it is asked
// for, then empty: the program tells it once (before it takes the
// terminal); the player itself never prints.
std::string TakeKernelProblem();

// Makes the player run the kernels of a choice, for comparing them (a
// benchmark, a test). Only while no player thread runs. False, with nothing
// changed, when the choice is not available.
bool UseKernels(KernelChoice choice);

}  // namespace zumbrik
