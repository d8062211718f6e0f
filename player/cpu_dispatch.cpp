#include "player/cpu_dispatch.h"

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

// Constant-initialised, then upgraded once before main.
Kernels activeKernels = kPortableKernels;

const bool kKernelsChosen = [] {
    UseKernels(KernelChoice::Avx2);
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

const Kernels& ActiveKernels() { return activeKernels; }

bool UseKernels(KernelChoice choice) {
    const std::optional<Kernels> kernels = KernelsFor(choice);
    if (!kernels) return false;
    activeKernels = *kernels;
    return true;
}

}  // namespace zumbrik
