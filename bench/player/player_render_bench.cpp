// Renders every module of the corpus once and prints how fast: seconds of
// audio, CPU seconds, times real time and nanoseconds per voice-frame, with
// the same figures for the peer players this build found, and medians.
//   ZUMBRIK_CORPUS_DIR=DIR [ZUMBRIK_BENCH_RATE=HZ] zumbrik_player_bench [REPEATS [own|all]]
// "own": no peers; "all": every kernel set this processor runs, side by side.
// Otherwise the kernel set ZUMBRIK_KERNEL picks (the best one when unset).
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
#include "player/song/module_arena.h"
#include "player/mixer/cpu_dispatch.h"
#include "player/song/module_source.h"
#include "player/engine/song_scan.h"
#include "player/mixer/sample_conversion.h"
#include "player/play/play_renderer.h"
#include "player/formats/song_loader.h"

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

std::uint32_t ActiveVoices(const Play& play) {
    std::uint32_t active = 0;
    for (std::int32_t v = 0; v < 2 * play.song->channelCount; ++v) active += play.voices[v].sample != nullptr ? 1 : 0;
    return active;
}

// The output rate ours renders at: ZUMBRIK_BENCH_RATE, else 48 kHz (the
// peers stay at 48 kHz).
std::uint32_t OwnRate() {
    const char* rate = std::getenv("ZUMBRIK_BENCH_RATE");
    return rate != nullptr ? static_cast<std::uint32_t>(std::atoi(rate)) : kOutputRate;
}

std::optional<OwnFigures> RenderOwn(std::vector<std::uint8_t>& module) {
    const SongLoad load = LoadSongFromMemory(module.data(), module.size());
    if (!load.song) return std::nullopt;
    auto play = std::make_unique<Play>();
    ResetPlay(*play, load.song->song, OwnRate());
    Play& state = *play;
    // One pass as the offline play renders it: segments of the grid, converted.
    const SongScan scan = ScanSong(load.song->song, 1, state.outputRate);
    PlayRenderer renderer(state, PlayEnd{true, scan.capped ? 0 : scan.rowStarts});
    auto mix = std::make_unique<MixBuffer>();
    std::vector<std::int16_t> out(2 * kSegmentFrames);
    OwnFigures figures;
    double voiceFrames = 0;
    const double start = ProcessCpuSeconds();
    while (const std::uint32_t frames = renderer.RenderSegment(mix->accumulators)) {
        ConvertAndClearAccumulators(mix->accumulators, out.data(), 2 * frames, kUnityVolume);
        voiceFrames += static_cast<double>(frames) * ActiveVoices(state);
    }
    figures.render.cpuSeconds = ProcessCpuSeconds() - start;
    figures.render.audioSeconds = static_cast<double>(renderer.Frames()) / state.outputRate;
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

// One kernel set's figures over the corpus: per module, and ratios to each peer.
struct SetFigures {
    KernelChoice choice;
    std::vector<double> speeds, nsPerVoiceFrame;
    std::vector<std::vector<double>> ratios;  // per peer
};

std::optional<OwnFigures> BestOwn(int repeats, std::vector<std::uint8_t>& bytes) {
    struct Wrapped {
        OwnFigures figures;
        double cpuSeconds() const { return figures.render.cpuSeconds; }
    };
    auto own = BestOf(repeats, [&]() -> std::optional<Wrapped> {
        auto figures = RenderOwn(bytes);
        if (!figures) return std::nullopt;
        return Wrapped{*figures};
    });
    if (!own) return std::nullopt;
    return own->figures;
}

// The peers' speeds on one module (0 where one failed), printed as columns.
std::vector<double> PeerSpeeds(int repeats, const std::vector<PeerRenderer>& peers, const std::vector<std::uint8_t>& bytes) {
    std::vector<double> speeds;
    for (const PeerRenderer& peer : peers) {
        struct PeerWrapped {
            RenderFigures figures;
            double cpuSeconds() const { return figures.cpuSeconds; }
        };
        auto theirs = BestOf(repeats, [&]() -> std::optional<PeerWrapped> {
            auto figures = peer.render(bytes);
            if (!figures) return std::nullopt;
            return PeerWrapped{*figures};
        });
        if (!theirs || theirs->figures.audioSeconds <= 0) {
            speeds.push_back(0);
            std::printf(" %12s %8s", "-", "-");
            continue;
        }
        speeds.push_back(theirs->figures.audioSeconds / std::max(theirs->figures.cpuSeconds, 1e-9));
        std::printf(" %12.0f %8.2f", speeds.back(), theirs->figures.audioSeconds);
    }
    return speeds;
}

void PrintSummary(const std::vector<SetFigures>& sets, const std::vector<PeerRenderer>& peers, int repeats) {
    std::printf("\nmedians over the corpus\n%-10s %8s", "kernels", "x real");
    for (const PeerRenderer& peer : peers) std::printf(" %14s", ("/ " + peer.name).c_str());
    std::printf(" %8s\n", "ns/vf");
    for (const SetFigures& set : sets) {
        std::printf("%-10s %8.0f", KernelName(set.choice), Median(set.speeds));
        for (std::size_t p = 0; p < peers.size(); ++p) std::printf(" %14.2f", Median(set.ratios[p]));
        std::printf(" %8.2f\n", Median(set.nsPerVoiceFrame));
    }
    std::printf("(x real: seconds of audio per CPU second; / peer: our speed over the peer's on each module;\n"
                " ns/vf: CPU per frame of each voice holding a sample; best of %d runs)\n", repeats);
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
    // "all": every kernel set this processor runs, one after the other on each module.
    std::vector<SetFigures> sets;
    if (argc > 2 && std::string(argv[2]) == "all") {
        for (const KernelChoice choice : kAllKernelChoices) {
            if (KernelsFor(choice)) sets.push_back({choice, {}, {}, {}});
        }
    } else {
        sets.push_back({KernelSelectionAtStart().running, {}, {}, {}});
    }
    const std::vector<PeerRenderer> peers = withPeers ? AvailablePeers() : std::vector<PeerRenderer>{};
    for (SetFigures& set : sets) set.ratios.resize(peers.size());

    std::printf("%-44s %8s", "module", "song s");
    for (const SetFigures& set : sets) std::printf(" %10s %7s", (std::string(KernelName(set.choice)) + " x").c_str(), "ns/vf");
    for (const PeerRenderer& peer : peers) std::printf(" %12s %8s", (peer.name + " x").c_str(), "song s");
    std::printf("\n");
    for (const fs::path& path : modules) {
        std::vector<std::uint8_t> bytes = ReadFile(path);
        std::string name = path.filename().string();
        if (name.size() > 44) name = name.substr(0, 41) + "...";
        std::printf("%-44s", name.c_str());
        std::vector<double> speeds;
        double audioSeconds = 0;
        for (SetFigures& set : sets) {
            UseKernels(set.choice);
            const std::optional<OwnFigures> own = BestOwn(repeats, bytes);
            if (!own) break;
            const double cpu = std::max(own->render.cpuSeconds, 1e-9);
            if (audioSeconds == 0) std::printf(" %8.2f", own->render.audioSeconds);
            audioSeconds = own->render.audioSeconds;
            speeds.push_back(audioSeconds / cpu);
            set.speeds.push_back(speeds.back());
            set.nsPerVoiceFrame.push_back(own->voiceFrames > 0 ? cpu * 1e9 / own->voiceFrames : 0);
            std::printf(" %10.0f %7.2f", speeds.back(), set.nsPerVoiceFrame.back());
        }
        if (speeds.size() < sets.size()) {
            std::printf(" rejected by the loader\n");
            continue;
        }
        const std::vector<double> theirs = PeerSpeeds(repeats, peers, bytes);
        for (std::size_t p = 0; p < peers.size(); ++p) {
            for (std::size_t k = 0; k < sets.size() && theirs[p] > 0; ++k) sets[k].ratios[p].push_back(speeds[k] / theirs[p]);
        }
        std::printf("\n");
    }
    UseKernels(KernelSelectionAtStart().running);
    PrintSummary(sets, peers, repeats);
    return 0;
}
