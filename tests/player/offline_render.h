#pragma once
// Shared by the music tests: module bytes, and the reference a played stream
// is compared with, rendered offline through the same segment renderer.
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "player/song/module_arena.h"
#include "player/song/module_source.h"
#include "player/background/segment_renderer.h"
#include "player/formats/song_loader.h"
#include "player/formats/xm_writer.h"
#include "tests/support/xm_builder.h"

namespace zumbrik::test {

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<std::uint8_t> ThemeBytes() { return ReadBytes(ZUMBRIK_THEME_PATH); }

// The first `segments` segments of the module as the player would render
// them from the start, at the given master volume.
struct OfflineRender {
    std::vector<std::int16_t> samples;
    std::uint32_t elapsedMs = 0;
    std::uint32_t levels[kRingSegments] = {};
    std::uint32_t positions[kRingSegments] = {};
};

inline OfflineRender RenderOffline(const std::vector<std::uint8_t>& bytes, std::uint32_t segments,
                                   std::uint32_t masterVolume = kUnityVolume) {
    struct Blocks {
        Song song{};
        Play play{};
        MixBuffer mix{};
        RenderControl control;
        std::int16_t ring[kRingSegments * kSegmentSamples]{};
        ModuleArena arena;
    };
    auto blocks = std::make_unique<Blocks>();
    blocks->control.masterVolume.store(masterVolume);
    ModuleSource source = MakeMemorySource(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    OfflineRender out;
    const bool loaded = LoadModule(source, blocks->arena, blocks->song) == LoadResult::Loaded;
    source.Close();
    if (!loaded) return out;
    ResetPlay(blocks->play, blocks->song);
    for (std::uint32_t i = 0; i < segments; ++i) {
        const std::uint32_t segment = blocks->control.writeSegment;
        if (RenderSegment(blocks->play, blocks->mix, blocks->control, blocks->ring) != SegmentOutcome::Rendered) break;
        const std::int16_t* start = blocks->ring + segment * kSegmentSamples;
        out.samples.insert(out.samples.end(), start, start + kSegmentSamples);
    }
    out.elapsedMs = blocks->control.levelLog.elapsedMs.load();
    for (std::uint32_t i = 0; i < kRingSegments; ++i) {
        out.levels[i] = blocks->control.levelLog.entries[i].levels.load();
        out.positions[i] = blocks->control.levelLog.entries[i].position.load();
    }
    return out;
}

inline std::vector<std::int16_t> Segments(const std::vector<std::int16_t>& samples, std::uint32_t first,
                                          std::uint32_t count) {
    const auto begin = samples.begin() + static_cast<std::ptrdiff_t>(first * kSegmentSamples);
    return std::vector<std::int16_t>(begin, begin + static_cast<std::ptrdiff_t>(count * kSegmentSamples));
}

inline bool AllZero(const std::vector<std::int16_t>& samples) {
    for (std::int16_t s : samples) {
        if (s != 0) return false;
    }
    return true;
}

}  // namespace zumbrik::test
