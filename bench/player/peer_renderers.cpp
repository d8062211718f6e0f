#include "bench/player/peer_renderers.h"

#include <ctime>

#if ZUMBRIK_PEER_XMP
#include <xmp.h>
#endif
#if ZUMBRIK_PEER_OPENMPT
#include <libopenmpt/libopenmpt.h>
#endif

namespace zumbrik::bench {

namespace {

constexpr int kRate = 48000;
constexpr int kFramesPerCall = 1024;

#if ZUMBRIK_PEER_XMP
std::optional<RenderFigures> RenderWithXmp(const std::vector<std::uint8_t>& module) {
    xmp_context context = xmp_create_context();
    if (xmp_load_module_from_memory(context, module.data(), static_cast<long>(module.size())) != 0) {
        xmp_free_context(context);
        return std::nullopt;
    }
    RenderFigures figures;
    std::vector<std::int16_t> buffer(2 * kFramesPerCall);
    const double start = ProcessCpuSeconds();
    if (xmp_start_player(context, kRate, 0) == 0) {
        xmp_set_player(context, XMP_PLAYER_INTERP, XMP_INTERP_LINEAR);
        std::uint64_t frames = 0;
        // Loop count 1: one pass, then -XMP_END.
        while (xmp_play_buffer(context, buffer.data(), static_cast<int>(buffer.size() * 2), 1) == 0) {
            frames += kFramesPerCall;
        }
        figures.audioSeconds = static_cast<double>(frames) / kRate;
        xmp_end_player(context);
    }
    figures.cpuSeconds = ProcessCpuSeconds() - start;
    xmp_release_module(context);
    xmp_free_context(context);
    return figures;
}
#endif

#if ZUMBRIK_PEER_OPENMPT
std::optional<RenderFigures> RenderWithOpenmpt(const std::vector<std::uint8_t>& module) {
    openmpt_module* player = openmpt_module_create_from_memory2(module.data(), module.size(), nullptr, nullptr,
                                                                nullptr, nullptr, nullptr, nullptr, nullptr);
    if (player == nullptr) {
        return std::nullopt;
    }
    openmpt_module_set_repeat_count(player, 0);
    openmpt_module_set_render_param(player, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, 2);  // linear
    RenderFigures figures;
    std::vector<std::int16_t> buffer(2 * kFramesPerCall);
    const double start = ProcessCpuSeconds();
    std::uint64_t frames = 0;
    while (std::size_t got = openmpt_module_read_interleaved_stereo(player, kRate, kFramesPerCall, buffer.data())) {
        frames += got;
    }
    figures.cpuSeconds = ProcessCpuSeconds() - start;
    figures.audioSeconds = static_cast<double>(frames) / kRate;
    openmpt_module_destroy(player);
    return figures;
}
#endif

}  // namespace

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::vector<PeerRenderer> AvailablePeers() {
    std::vector<PeerRenderer> peers;
#if ZUMBRIK_PEER_XMP
    peers.push_back({"libxmp", RenderWithXmp});
#endif
#if ZUMBRIK_PEER_OPENMPT
    peers.push_back({"libopenmpt", RenderWithOpenmpt});
#endif
    return peers;
}

}  // namespace zumbrik::bench
