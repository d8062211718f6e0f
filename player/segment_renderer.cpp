#include "player/segment_renderer.h"

#include <cstring>

#include "player/sequencer.h"

namespace zumbrik {

void LevelLog::Clear() {
    dueIndex = 0;
    elapsedMs = 0;
    for (LevelLogEntry& entry : entries) {
        entry.levels = 0;
        entry.position = 0;
    }
}

std::uint32_t MasterVolumeForLevel(std::uint32_t level) {
    return kMasterVolumeTable[level > 25 ? 25 : level];
}

SegmentOutcome RenderSegment(PlayerState& state, MixBuffer& mix, RenderControl& control, std::int16_t* ring) {
    std::memset(mix.accumulators, 0, sizeof mix.accumulators);
    const std::uint32_t segment = control.writeSegment % kRingSegments;
    if (control.pauseFlag.load(std::memory_order_relaxed) == 0) {
        SongClock clock;
        clock.elapsedMs = control.levelLog.elapsedMs.load(std::memory_order_relaxed);
        const bool playing = RenderFrames(state, mix.accumulators, kSegmentFrames,
                                          control.playOnce.load(std::memory_order_relaxed) != 0, clock);
        control.levelLog.elapsedMs.store(clock.elapsedMs, std::memory_order_relaxed);
        if (!playing) {
            return SegmentOutcome::SongEnded;
        }
        const std::uint32_t position = (static_cast<std::uint32_t>(state.orderIndex) << 16) |
                                       (static_cast<std::uint32_t>(state.row) & 0xFFFF);
        control.levelLog.entries[segment].position.store(position, std::memory_order_relaxed);
    }

    const std::uint32_t masterVolume = control.masterVolume.load(std::memory_order_relaxed);
    std::int16_t* out = ring + static_cast<std::size_t>(segment) * kSegmentSamples;
    ConvertAccumulators(mix.accumulators, out, kSegmentSamples, masterVolume);
    std::uint32_t sums[2] = {0, 0};
    for (std::uint32_t i = 0; i < kSegmentSamples; ++i) {
        sums[i & 1] += static_cast<std::uint32_t>(out[i] < 0 ? -out[i] : out[i]);
    }

    control.writeSegment = (segment + 1) % kRingSegments;
    control.levelLog.entries[control.writeSegment].levels.store(((sums[0] >> 10) << 16) | (sums[1] >> 10),
                                                                std::memory_order_relaxed);
    return SegmentOutcome::Rendered;
}

}  // namespace zumbrik
