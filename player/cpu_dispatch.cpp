#include "player/cpu_dispatch.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace zumbrik {

namespace {

constexpr Kernels kPortableKernels{MixRunPortable, ConvertAtUnityPortable};

bool ProcessorHasAvx2() {
#if ZUMBRIK_AVX2_KERNELS
    __builtin_cpu_init();  // may run from a static initialiser, before the runtime's own
    return __builtin_cpu_supports("avx2") != 0;
#else
    return false;
#endif
}

// Constant-initialised, then set once before main.
Kernels activeKernels = kPortableKernels;

KernelSelection& StartSelection() {
    static KernelSelection selection{KernelChoice::Portable, {}};
    return selection;
}

std::atomic<bool> problemTaken{false};

const bool kKernelsChosen = [] {
    const bool avx2Available = KernelsFor(KernelChoice::Avx2).has_value();
    StartSelection() = SelectKernels(std::getenv("ZUMBRIK_KERNEL"), avx2Available);
    UseKernels(StartSelection().running);
    return true;
}();

}  // namespace

std::optional<Kernels> KernelsFor(KernelChoice choice) {
    switch (choice) {
        case KernelChoice::Portable:
            return kPortableKernels;
        case KernelChoice::Avx2: {
            const Kernels avx2{Avx2MixRun(), Avx2ConvertAtUnity()};
            if (avx2.mixRun == nullptr || avx2.convertAtUnity == nullptr || !ProcessorHasAvx2()) {
                return std::nullopt;
            }
            return avx2;
        }
    }
    return std::nullopt;
}

const char* KernelName(KernelChoice choice) { return choice == KernelChoice::Avx2 ? "avx2" : "portable"; }

KernelSelection SelectKernels(const char* requested, bool avx2Available) {
    const KernelChoice best = avx2Available ? KernelChoice::Avx2 : KernelChoice::Portable;
    if (requested == nullptr || *requested == 0) return {best, {}};
    if (std::strcmp(requested, "portable") == 0) return {KernelChoice::Portable, {}};
    if (std::strcmp(requested, "avx2") == 0) {
        if (avx2Available) return {KernelChoice::Avx2, {}};
        return {best, "ZUMBRIK_KERNEL=avx2: this processor or build has no AVX2 kernels"};
    }
    std::string shown;
    for (std::size_t i = 0; i < 40 && requested[i] != 0; ++i) shown += requested[i];
    for (char& c : shown) c = c >= 32 && c < 127 ? c : '?';  // the line goes to a terminal
    return {best, "ZUMBRIK_KERNEL=" + shown + ": unknown kernel set (portable or avx2)"};
}

const KernelSelection& KernelSelectionAtStart() { return StartSelection(); }

std::string TakeKernelProblem() {
    if (StartSelection().problem.empty() || problemTaken.exchange(true, std::memory_order_relaxed)) return {};
    return StartSelection().problem;
}

const Kernels& ActiveKernels() { return activeKernels; }

bool UseKernels(KernelChoice choice) {
    const std::optional<Kernels> kernels = KernelsFor(choice);
    if (!kernels) return false;
    activeKernels = *kernels;
    return true;
}

}  // namespace zumbrik
