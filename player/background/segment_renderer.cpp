#include "player/background/segment_renderer.h"

#include <algorithm>
#include <cstring>

#include "player/engine/sequencer.h"

namespace zumbrik {

void LevelLog::Clear() {
    dueIndex = 0;
    elapsedMs = 0;
    for (LevelLogEntry& entry : entries) {
        entry.levels = 0;
        entry.position = 0;
        entry.pastSongEnd = 0;
    }
}

std::uint32_t MasterVolumeForLevel(std::uint32_t level) {
    return kMasterVolumeTable[level > 25 ? 25 : level];
}

namespace {

bool SongEndsBeforeThisRow(const Play& play, const RenderControl& control) {
    if (control.rowsStarted == 0) return false;
    if (!control.jumped) return control.rowsStarted >= control.endRows;
    const std::uint32_t lastRow =
        (static_cast<std::uint32_t>(play.orderIndex) << 16) | (static_cast<std::uint32_t>(play.row) & 0xFFFF);
    return lastRow == control.endPosition;
}

// Ticks are started here, one at a time, so the song's last row plays to its
// last frame and nothing of the row after it does.
std::uint32_t RenderUpToSongEnd(Play& play, std::int32_t* accumulators, RenderControl& control, SongClock& clock) {
    constexpr auto kFrames = static_cast<std::uint32_t>(kSegmentFrames);
    std::uint32_t done = 0;
    while (done < kFrames) {
        if (play.tickFramesLeft <= 0) {
            if (play.tick == 0) {
                if (SongEndsBeforeThisRow(play, control)) {
                    control.songOver = true;
                    return done;
                }
                control.rowsStarted += 1;
            }
            StartTick(play, false, clock);
        }
        const std::uint32_t frames = std::min(kFrames - done, static_cast<std::uint32_t>(play.tickFramesLeft));
        RenderFrames(play, accumulators + 2 * static_cast<std::size_t>(done), frames, false, clock);
        done += frames;
    }
    return done;
}

}  // namespace

SegmentOutcome RenderSegment(Play& play, MixBuffer& mix, RenderControl& control, std::int16_t* ring) {
    std::memset(mix.accumulators, 0, sizeof mix.accumulators);
    const std::uint32_t segment = control.writeSegment % kRingSegments;
    const bool pastSongEnd = control.songOver;
    if (control.pauseFlag.load(std::memory_order_relaxed) == 0 && !pastSongEnd) {
        SongClock clock;
        bool playing = true;
        std::uint32_t frames = kSegmentFrames;
        if (control.endRows != 0) {
            frames = RenderUpToSongEnd(play, mix.accumulators, control, clock);
        } else {
            playing = RenderFrames(play, mix.accumulators, kSegmentFrames,
                                   control.playOnce.load(std::memory_order_relaxed) != 0, clock);
        }
        control.songFrames += frames;
        control.levelLog.elapsedMs.store(static_cast<std::uint32_t>(control.songFrames * 1000 / play.outputRate),
                                         std::memory_order_relaxed);
        if (!playing) {
            return SegmentOutcome::SongEnded;
        }
        const std::uint32_t position = (static_cast<std::uint32_t>(play.orderIndex) << 16) |
                                       (static_cast<std::uint32_t>(play.row) & 0xFFFF);
        control.levelLog.entries[segment].position.store(position, std::memory_order_relaxed);
    }
    if (pastSongEnd) {
        // Where the song ended, rather than what this ring segment held a lap ago.
        const std::uint32_t last = control.levelLog.entries[(segment + kRingSegments - 1) % kRingSegments].position.load(
            std::memory_order_relaxed);
        control.levelLog.entries[segment].position.store(last, std::memory_order_relaxed);
    }
    control.levelLog.entries[segment].pastSongEnd.store(pastSongEnd ? 1 : 0, std::memory_order_relaxed);

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
