// Renders every module of the corpus once and prints how fast: seconds of
// audio, CPU seconds, times real time and nanoseconds per voice-frame, with
// the same figures for the peer players this build found, and medians.
//   ZUMBRIK_CORPUS_DIR=DIR zumbrik_player_bench [REPEATS [own]]   ("own": no peers)
// ZUMBRIK_KERNEL=portable (or avx2) measures that kernel set; the line "kernels:" says which ran.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "bench/player/peer_renderers.h"
#include "player/module_arena.h"
#include "player/cpu_dispatch.h"
#include "player/module_source.h"
#include "player/song_pass.h"
#include "player/xm_loader.h"

namespace zumbrik::bench {
namespace {

namespace fs = std::filesystem;

struct OwnFigures {
    RenderFigures render;
    double voiceFrames = 0;  // frames x voices holding a sample
};

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint32_t ActiveVoices(const PlayerState& state) {
    std::uint32_t active = 0;
    for (std::int32_t v = 0; v < 2 * state.channelCount; ++v) active += state.voices[v].sample != nullptr ? 1 : 0;
    return active;
}

std::optional<OwnFigures> RenderOwn(std::vector<std::uint8_t>& module) {
    ModuleArena arena;
    PlayerState state{};
    ModuleSource source = MakeMemorySource(module.data(), static_cast<std::uint32_t>(module.size()));
    const bool loaded = LoadModule(source, arena, state) == LoadResult::Loaded;
    source.Close();
    if (!loaded) return std::nullopt;
    auto pass = std::make_unique<SongPass>(state, true);
    std::vector<std::int16_t> out(2 * kSegmentFrames);
    OwnFigures figures;
    double voiceFrames = 0;
    const double start = ProcessCpuSeconds();
    while (std::uint32_t frames = pass->Render(out.data(), kSegmentFrames)) {
        voiceFrames += static_cast<double>(frames) * ActiveVoices(state);
    }
    figures.render.cpuSeconds = ProcessCpuSeconds() - start;
    figures.render.audioSeconds = static_cast<double>(pass->FramesRendered()) / kOutputRate;
    figures.voiceFrames = voiceFrames;
    return figures;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The least CPU time of a few runs: the figure least disturbed by the machine.
template <typename Render>
auto BestOf(int repeats, Render render) -> decltype(render()) {
    auto best = render();
    for (int i = 1; i < repeats && best; ++i) {
        auto again = render();
        if (again && again->cpuSeconds() < best->cpuSeconds()) best = again;
    }
    return best;
}

}  // namespace
}  // namespace zumbrik::bench

int main(int argc, char** argv) {
    using namespace zumbrik;
    using namespace zumbrik::bench;
    const char* fromEnvironment = std::getenv("ZUMBRIK_CORPUS_DIR");
    const fs::path corpus = fromEnvironment != nullptr ? fromEnvironment : ZUMBRIK_DEFAULT_CORPUS;
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const bool withPeers = !(argc > 2 && std::string(argv[2]) == "own");
    std::vector<fs::path> modules;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(corpus, error)) {
        if (entry.is_regular_file()) modules.push_back(entry.path());
    }
    std::sort(modules.begin(), modules.end());
    if (modules.empty()) {
        std::fprintf(stderr, "no modules in %s (fill it with scripts/fetch-corpus.sh)\n", corpus.string().c_str());
        return 1;
    }
    // A measurement of one kernel set must not quietly run another.
    if (const std::string problem = TakeKernelProblem(); !problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 2;
    }
    std::printf("kernels: %s\n", KernelName(KernelSelectionAtStart().running));
    const std::vector<PeerRenderer> peers = withPeers ? AvailablePeers() : std::vector<PeerRenderer>{};

    std::printf("%-44s %8s %8s %8s %8s", "module", "song s", "cpu s", "x real", "ns/vf");
    for (const PeerRenderer& peer : peers) std::printf(" %12s %8s %6s", (peer.name + " x").c_str(), "song s", "ratio");
    std::printf("\n");

    std::vector<double> speeds, nsPerVoiceFrame, lengths;
    std::vector<std::vector<double>> peerSpeeds(peers.size()), ratios(peers.size());
    for (const fs::path& path : modules) {
        std::vector<std::uint8_t> bytes = ReadFile(path);
        struct Wrapped {
            OwnFigures figures;
            double cpuSeconds() const { return figures.render.cpuSeconds; }
        };
        auto own = BestOf(repeats, [&]() -> std::optional<Wrapped> {
            auto figures = RenderOwn(bytes);
            if (!figures) return std::nullopt;
            return Wrapped{*figures};
        });
        std::string name = path.filename().string();
        if (name.size() > 44) name = name.substr(0, 41) + "...";
        if (!own) {
            std::printf("%-44s rejected by the loader\n", name.c_str());
            continue;
        }
        const RenderFigures& mine = own->figures.render;
        const double cpu = std::max(mine.cpuSeconds, 1e-9);
        const double speed = mine.audioSeconds / cpu;
        const double ns = own->figures.voiceFrames > 0 ? cpu * 1e9 / own->figures.voiceFrames : 0;
        speeds.push_back(speed);
        nsPerVoiceFrame.push_back(ns);
        lengths.push_back(mine.audioSeconds);
        std::printf("%-44s %8.2f %8.4f %8.0f %8.2f", name.c_str(), mine.audioSeconds, mine.cpuSeconds, speed, ns);
        for (std::size_t p = 0; p < peers.size(); ++p) {
            struct PeerWrapped {
                RenderFigures figures;
                double cpuSeconds() const { return figures.cpuSeconds; }
            };
            auto theirs = BestOf(repeats, [&]() -> std::optional<PeerWrapped> {
                auto figures = peers[p].render(bytes);
                if (!figures) return std::nullopt;
                return PeerWrapped{*figures};
            });
            if (!theirs || theirs->figures.audioSeconds <= 0) {
                std::printf(" %12s %8s %6s", "-", "-", "-");
                continue;
            }
            const double theirSpeed = theirs->figures.audioSeconds / std::max(theirs->figures.cpuSeconds, 1e-9);
            peerSpeeds[p].push_back(theirSpeed);
            ratios[p].push_back(speed / theirSpeed);
            std::printf(" %12.0f %8.2f %6.2f", theirSpeed, theirs->figures.audioSeconds, speed / theirSpeed);
        }
        std::printf("\n");
    }
    std::printf("%-44s %8.2f %8s %8.0f %8.2f", "median", Median(lengths), "", Median(speeds), Median(nsPerVoiceFrame));
    for (std::size_t p = 0; p < peers.size(); ++p) {
        std::printf(" %12.0f %8s %6.2f", Median(peerSpeeds[p]), "", Median(ratios[p]));
    }
    std::printf("\n");
    std::printf("(x real: seconds of audio per CPU second; ns/vf: CPU per frame of each voice holding a sample;\n"
                " ratio: our speed / the peer's; best of %d runs)\n", repeats);
    return 0;
}
