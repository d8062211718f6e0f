// What an exact seek costs against rendering up to the same point: for every
// module of the corpus, a straight render of one pass, then seeks to a
// quarter, half and nine tenths of it, each the least CPU time of a few runs:
// cold, by fresh plays, and warm, back from the end by the play that rendered
// the pass (it kept seek points on the way). Prints each module's worst
// ratios and the median and largest over the corpus. After each seek the
// next frames are checked against the straight render: a mismatch is named
// and the bench fails.
//   ZUMBRIK_CORPUS_DIR=DIR zumbrik_seek_bench [RATE]
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
#include "player/formats/song_loader.h"
#include "player/play/offline_play.h"

namespace zumbrik::bench {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

constexpr std::size_t kCheckedFrames = 2048;

int Run(const char* corpus, std::uint32_t rate) {
    std::vector<fs::path> modules;
    for (const auto& entry : fs::directory_iterator(corpus)) modules.push_back(entry.path());
    std::sort(modules.begin(), modules.end());
    std::vector<double> worst;
    std::vector<double> worstWarm;
    std::vector<std::int16_t> out(2 * 4096);
    std::vector<std::int16_t> after(2 * kCheckedFrames);
    int mismatches = 0;
    std::printf("%-44s %9s %10s %9s %9s\n", "module", "pass (s)", "render (s)", "cold", "warm");
    for (const fs::path& path : modules) {
        const std::vector<std::uint8_t> bytes = ReadFile(path);
        const SongLoad load = LoadSongFromMemory(bytes.data(), bytes.size());
        if (!load.song) continue;
        // Each figure is the least of a few runs, more for a short song, so
        // that one disturbed run does not decide it.
        std::uint64_t frames = 0;
        double renderSeconds = 1e9;
        int runs = 3;
        std::vector<std::int16_t> reference;
        {
            OfflinePlay straight(load.song);
            straight.SetRate(rate);
            while (const std::size_t got = straight.Render(out.data(), 4096)) {
                reference.insert(reference.end(), out.begin(), out.begin() + static_cast<std::ptrdiff_t>(2 * got));
            }
        }
        // The frames after a seek to `target`, against the straight render.
        const auto check = [&](OfflinePlay& play, std::uint64_t target, const char* kind) {
            const std::size_t got = play.Render(after.data(), kCheckedFrames);
            const auto from = reference.begin() + static_cast<std::ptrdiff_t>(2 * target);
            const auto want = std::min<std::size_t>(kCheckedFrames, reference.size() / 2 - target);
            if (got != want || !std::equal(after.begin(), after.begin() + static_cast<std::ptrdiff_t>(2 * got), from)) {
                std::printf("MISMATCH: %s seek to frame %llu of %s\n", kind, static_cast<unsigned long long>(target),
                            path.filename().string().c_str());
                ++mismatches;
            }
        };
        std::unique_ptr<OfflinePlay> warm;
        for (int run = 0; run < runs; ++run) {
            auto straight = std::make_unique<OfflinePlay>(load.song);
            straight->SetRate(rate);
            const double start = ProcessCpuSeconds();
            frames = 0;
            while (const std::size_t got = straight->Render(out.data(), 4096)) frames += got;
            renderSeconds = std::min(renderSeconds, ProcessCpuSeconds() - start);
            if (run == 0) runs = std::clamp(static_cast<int>(0.05 / std::max(renderSeconds, 1e-6)), 3, 50);
            if (run == 0) warm = std::move(straight);
        }
        double ratio = 0;
        double warmRatio = 0;
        for (const double share : {0.25, 0.5, 0.9}) {
            const auto target = static_cast<std::uint64_t>(share * static_cast<double>(frames));
            double seekSeconds = 1e9;
            for (int run = 0; run < runs; ++run) {
                OfflinePlay play(load.song);
                play.SetRate(rate);
                const double seekStart = ProcessCpuSeconds();
                play.Seek(target);
                seekSeconds = std::min(seekSeconds, ProcessCpuSeconds() - seekStart);
                if (run == runs - 1) check(play, target, "cold");
            }
            ratio = std::max(ratio, seekSeconds / (renderSeconds * share));
            double warmSeconds = 1e9;
            for (int run = 0; run < runs; ++run) {
                warm->Seek(frames);
                const double seekStart = ProcessCpuSeconds();
                warm->Seek(target);
                warmSeconds = std::min(warmSeconds, ProcessCpuSeconds() - seekStart);
            }
            check(*warm, target, "warm");
            warmRatio = std::max(warmRatio, warmSeconds / (renderSeconds * share));
        }
        worst.push_back(ratio);
        worstWarm.push_back(warmRatio);
        std::printf("%-44s %9.1f %10.3f %9.4f %9.4f\n", path.filename().string().c_str(),
                    static_cast<double>(frames) / rate, renderSeconds, ratio, warmRatio);
    }
    if (worst.empty()) {
        std::fprintf(stderr, "no modules in %s\n", corpus);
        return 1;
    }
    std::sort(worst.begin(), worst.end());
    std::sort(worstWarm.begin(), worstWarm.end());
    std::printf("%zu modules at %u Hz: a seek costs %.4f of rendering up to its frame (median), %.4f at most\n",
                worst.size(), rate, worst[worst.size() / 2], worst.back());
    std::printf("%zu modules at %u Hz: a warm seek costs %.4f of rendering up to its frame (median), %.4f at most\n",
                worstWarm.size(), rate, worstWarm[worstWarm.size() / 2], worstWarm.back());
    if (mismatches != 0) {
        std::printf("%d seeks did not give the straight render's frames\n", mismatches);
        return 1;
    }
    return 0;
}

}  // namespace
}  // namespace zumbrik::bench

int main(int argc, char** argv) {
    const char* corpus = std::getenv("ZUMBRIK_CORPUS_DIR");
    const auto rate = static_cast<std::uint32_t>(argc > 1 ? std::atoi(argv[1]) : 48000);
    return zumbrik::bench::Run(corpus != nullptr ? corpus : ZUMBRIK_DEFAULT_CORPUS, rate);
}
