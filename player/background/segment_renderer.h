#pragma once
#include <atomic>
#include <cstdint>

#include "player/mixer/mix_buffer.h"
#include "player/mixer/sample_conversion.h"
#include "player/play/play_renderer.h"

namespace zumbrik {

inline constexpr std::uint32_t kRingSegments = 16;  // 16 x 1024 frames = 65536 bytes
inline constexpr std::uint32_t kSegmentSamples = 2 * kSegmentFrames;

// What one ring segment holds, written when it is rendered and read while
// the device plays it: so levels, position and time all describe the sound
// being heard, not the sound being rendered a ring ahead.
struct LevelLogEntry {
    std::atomic<std::uint32_t> levels;      // (mean |left| << 16) | mean |right|
    std::atomic<std::uint32_t> position;    // (order << 16) | row of the segment's first frame
    std::atomic<std::uint64_t> songFrames;  // the song's frames before the segment, pauses not counted
    std::atomic<std::uint8_t> pastSongEnd;  // the segment holds nothing of the song: it ended before
};

struct LevelLog {
    // The ring segment the device plays, as the output thread last saw it.
    // The thread moves it on before it renders into the segment left behind.
    std::atomic<std::uint32_t> heardSegment;
    LevelLogEntry entries[kRingSegments];

    // A field of the segment heard. The renderer stores entries with release
    // after moving heardSegment on, so a read (acquire) that overlapped the
    // entry's rewrite sees the move and is done again: it never returns a
    // value from a ring ahead.
    template <typename Field>
    auto ReadHeard(const std::atomic<Field> LevelLogEntry::*field) const {
        std::uint32_t heard = heardSegment.load(std::memory_order_relaxed);
        for (;;) {
            const Field value = (entries[heard % kRingSegments].*field).load(std::memory_order_acquire);
            const std::uint32_t now = heardSegment.load(std::memory_order_relaxed);
            if (now == heard) return value;
            heard = now;
        }
    }
    void Clear();
};

// The parts of the player's control block that rendering reads and writes.
// The atomics are set from any thread; the rest belongs to whoever renders
// (the starting thread before the output thread exists, then that thread).
struct RenderControl {
    std::atomic<std::uint8_t> pauseFlag{0};
    std::atomic<std::uint32_t> masterVolume{32768};
    LevelLog levelLog;

    std::uint32_t writeSegment = 0;  // 0..15, the next ring segment to render
    std::uint64_t songFrames = 0;    // rendered, pauses not counted
    std::uint32_t position = 0;      // (order << 16) | row of the last frame rendered
    // Where a one-pass song ends once a jump has made its row count
    // meaningless: after this row has played.
    bool endRowKnown = false;
    std::int32_t endOrder = 0;
    std::int32_t endRow = 0;

    // For a new song: nothing rendered, nothing logged.
    void Restart();
};

// SetMasterVolume's levels 0..25 (2 dB apart from 1 on, 25 = unity).
inline constexpr std::uint32_t kMasterVolumeTable[26] = {
    1,    130,  164,  207,  260,  328,  413,  519,  654,   823,   1036,  1305,  1642,
    2068, 2603, 3277, 4125, 5193, 6538, 8231, 10362, 13045, 16423, 20675, 26029, 32768};
std::uint32_t MasterVolumeForLevel(std::uint32_t level);

// Renders ring segment control.writeSegment into ring (int16, 16 x 2048
// samples) and moves the write index on: the renderer's next segment of the
// play (silence while paused or once the song has ended), converted at the
// master volume, and its entry in the level log. The ring's segments are the
// renderer's grid, so what plays equals an offline render of the song.
void RenderRingSegment(PlayRenderer& renderer, MixBuffer& mix, RenderControl& control, std::int16_t* ring);

// A jump to row 0 of `order` from the next row start (JumpToOrder); a song
// that plays once then ends after its end row.
void JumpInRenderer(PlayRenderer& renderer, Play& play, const RenderControl& control, std::int32_t order);

}  // namespace zumbrik
