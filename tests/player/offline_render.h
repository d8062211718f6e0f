#pragma once
// Shared by the music tests: module bytes, and the reference a played stream
// is compared with: the library's offline render of the same song.
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "player/background/segment_renderer.h"
#include "player/formats/song_loader.h"
#include "player/play/offline_play.h"
#include "player/formats/xm_writer.h"
#include "tests/support/xm_builder.h"

namespace zumbrik::test {

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<std::uint8_t> ThemeBytes() { return ReadBytes(ZUMBRIK_THEME_PATH); }

inline std::uint32_t PackedPosition(std::int32_t order, std::int32_t row) {
    return (static_cast<std::uint32_t>(order) << 16) | static_cast<std::uint32_t>(row);
}

// The first `segments` segments of the song as an offline play renders them
// from the start at 48 kHz, looping or played once (silence after its end),
// at a master volume; and for each segment, the row of its first frame.
struct OfflineRender {
    std::vector<std::int16_t> samples;
    std::vector<std::uint32_t> positions;
    std::uint64_t songFrames = 0;  // fewer than the segments' when a song played once ended
};

inline OfflineRender RenderOffline(const std::vector<std::uint8_t>& bytes, std::uint32_t segments,
                                   std::uint32_t masterVolume = kUnityVolume, bool once = false) {
    OfflineRender out;
    const SongLoad load = LoadSongFromMemory(bytes.data(), bytes.size());
    if (!load.song) return out;
    OfflinePlay play(load.song);
    play.SetRepeat(once ? 0 : -1);
    std::vector<std::int16_t> segment(kSegmentSamples);
    for (std::uint32_t s = 0; s < segments; ++s) {
        std::fill(segment.begin(), segment.end(), std::int16_t{0});
        // The row of the segment's first frame is known once that frame is
        // out (no tick of these songs ends on a segment's second frame).
        std::size_t frames = play.Render(segment.data(), 1);
        out.positions.push_back(PackedPosition(play.Order(), play.Row()));
        if (frames == 1) frames += play.Render(segment.data() + 2, kSegmentFrames - 1);
        out.songFrames += frames;
        for (std::int16_t& sample : segment) {
            const std::uint32_t magnitude = static_cast<std::uint32_t>(sample < 0 ? -sample : sample);
            const auto scaled = static_cast<std::int16_t>((magnitude * masterVolume) >> 15);
            sample = sample < 0 ? static_cast<std::int16_t>(-scaled) : scaled;
        }
        out.samples.insert(out.samples.end(), segment.begin(), segment.end());
    }
    return out;
}

// A segment's entry in the level log: (mean |left| << 16) | mean |right|.
inline std::uint32_t LevelsOf(const std::vector<std::int16_t>& samples, std::uint32_t segment) {
    std::uint32_t sums[2] = {0, 0};
    for (std::uint32_t i = 0; i < kSegmentSamples; ++i) {
        const std::int16_t s = samples[segment * kSegmentSamples + i];
        sums[i & 1] += static_cast<std::uint32_t>(s < 0 ? -s : s);
    }
    return ((sums[0] >> 10) << 16) | (sums[1] >> 10);
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
