#include "player/mixer/cpu_dispatch.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace zumbrik {

namespace {

constexpr Kernels kPortableKernels{MixRunPortable, ConvertAtUnityPortable, ConvertAndClearAtUnityPortable};

// A set this build lacks any part of is refused as a whole.
std::optional<Kernels> IfComplete(const Kernels& kernels) {
    if (kernels.mixRun == nullptr || kernels.convertAtUnity == nullptr || kernels.convertAndClearAtUnity == nullptr) {
        return std::nullopt;
    }
    return kernels;
}

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

bool Available(KernelChoice choice) { return KernelsFor(choice).has_value(); }

const bool kKernelsChosen = [] {
    StartSelection() = SelectKernels(std::getenv("ZUMBRIK_KERNEL"), Available);
    UseKernels(StartSelection().running);
    return true;
}();

}  // namespace

std::optional<Kernels> KernelsFor(KernelChoice choice) {
    switch (choice) {
        case KernelChoice::Portable:
            return kPortableKernels;
        case KernelChoice::Neon:
            // The conversion's portable loop already vectorises well to NEON.
            return IfComplete({NeonMixRun(), ConvertAtUnityPortable, ConvertAndClearAtUnityPortable});
        case KernelChoice::Sse2:
            return IfComplete({Sse2MixRun(), Sse2ConvertAtUnity(), Sse2ConvertAndClearAtUnity()});
        case KernelChoice::Avx2:
            if (!ProcessorHasAvx2()) return std::nullopt;
            return IfComplete({Avx2MixRun(), Avx2ConvertAtUnity(), Avx2ConvertAndClearAtUnity()});
    }
    return std::nullopt;
}

const char* KernelName(KernelChoice choice) {
    switch (choice) {
        case KernelChoice::Neon:
            return "neon";
        case KernelChoice::Sse2:
            return "sse2";
        case KernelChoice::Avx2:
            return "avx2";
        case KernelChoice::Portable:
            break;
    }
    return "portable";
}

KernelSelection SelectKernels(const char* requested, bool (*available)(KernelChoice)) {
    KernelChoice best = KernelChoice::Portable;
    for (const KernelChoice choice : kAllKernelChoices) best = available(choice) ? choice : best;
    if (requested == nullptr || *requested == 0) return {best, {}};
    std::string names;
    for (const KernelChoice choice : kAllKernelChoices) {
        const char* name = KernelName(choice);
        names += names.empty() ? name : std::string(", ") + name;
        if (std::strcmp(requested, name) != 0) continue;
        if (choice == KernelChoice::Portable || available(choice)) return {choice, {}};
        return {best, std::string("ZUMBRIK_KERNEL=") + name + ": this processor or build has no " + name + " kernels"};
    }
    std::string shown;
    for (std::size_t i = 0; i < 40 && requested[i] != 0; ++i) shown += requested[i];
    for (char& c : shown) c = c >= 32 && c < 127 ? c : '?';  // the line goes to a terminal
    return {best, "ZUMBRIK_KERNEL=" + shown + ": unknown kernel set (" + names + ")"};
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
