#include "player/background/segment_renderer.h"

#include <cstring>

#include "player/engine/song_position.h"

namespace zumbrik {

namespace {

std::uint32_t PackedPosition(std::int32_t order, std::int32_t row) {
    return (static_cast<std::uint32_t>(order) << 16) | (static_cast<std::uint32_t>(row) & 0xFFFF);
}

}  // namespace

void LevelLog::Clear() {
    heardSegment.store(0, std::memory_order_relaxed);
    for (LevelLogEntry& entry : entries) {
        entry.levels.store(0, std::memory_order_relaxed);
        entry.position.store(0, std::memory_order_relaxed);
        entry.songFrames.store(0, std::memory_order_relaxed);
        entry.pastSongEnd.store(0, std::memory_order_relaxed);
    }
}

void RenderControl::Restart() {
    writeSegment = 0;
    songFrames = 0;
    position = 0;
    levelLog.Clear();
}

std::uint32_t MasterVolumeForLevel(std::uint32_t level) { return kMasterVolumeTable[level > 25 ? 25 : level]; }

void RenderRingSegment(PlayRenderer& renderer, MixBuffer& mix, RenderControl& control, std::int16_t* ring) {
    const std::uint32_t segment = control.writeSegment % kRingSegments;
    std::memset(mix.accumulators, 0, sizeof mix.accumulators);
    const std::uint64_t framesBefore = control.songFrames;
    std::uint32_t firstPosition = control.position;
    bool pastSongEnd = renderer.Ended();
    if (control.pauseFlag.load(std::memory_order_relaxed) == 0 && !pastSongEnd) {
        const std::uint32_t frames = renderer.RenderSegment(mix.accumulators);
        control.songFrames += frames;
        // A song that ends on the segment's edge is found to have ended only here.
        pastSongEnd = frames == 0;
        for (int i = 0; i < renderer.RowStartCount(); ++i) {
            const RowStart& start = renderer.RowStarts()[i];
            control.position = PackedPosition(start.order, start.row);
            if (start.frame == 0) firstPosition = control.position;
        }
    }

    std::int16_t* out = ring + static_cast<std::size_t>(segment) * kSegmentSamples;
    ConvertAccumulators(mix.accumulators, out, kSegmentSamples, control.masterVolume.load(std::memory_order_relaxed));
    std::uint32_t sums[2] = {0, 0};
    for (std::uint32_t i = 0; i < kSegmentSamples; ++i) {
        sums[i & 1] += static_cast<std::uint32_t>(out[i] < 0 ? -out[i] : out[i]);
    }

    // Release: a reader that sees any of these sees the heard segment moved past this one (LevelLog::ReadHeard).
    LevelLogEntry& entry = control.levelLog.entries[segment];
    entry.levels.store(((sums[0] >> 10) << 16) | (sums[1] >> 10), std::memory_order_release);
    entry.position.store(firstPosition, std::memory_order_release);
    entry.songFrames.store(framesBefore, std::memory_order_release);
    entry.pastSongEnd.store(pastSongEnd ? 1 : 0, std::memory_order_release);
    control.writeSegment = (segment + 1) % kRingSegments;
}

void JumpInRenderer(PlayRenderer& renderer, Play& play, const RenderControl& control, std::int32_t order) {
    JumpToOrderStart(play, order);
    if (control.endRowKnown) renderer.EndAfterRow(control.endOrder, control.endRow);
}

}  // namespace zumbrik
