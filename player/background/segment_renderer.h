#pragma once
#include <atomic>
#include <cstdint>

#include "player/engine/play_records.h"
#include "player/mixer/mix_buffer.h"
#include "player/mixer/sample_conversion.h"

namespace zumbrik {

struct LevelLogEntry {
    std::atomic<std::uint32_t> levels;    // (mean |left| << 16) | mean |right|
    std::atomic<std::uint32_t> position;  // (order << 16) | row
    std::atomic<std::uint8_t> pastSongEnd;  // the segment holds nothing of the song: it ended before
};

struct LevelLog {
    std::atomic<std::uint32_t> dueIndex;
    std::atomic<std::uint32_t> elapsedMs;
    LevelLogEntry entries[16];
    void Clear();
};

// The parts of the player's control block that rendering reads and writes.
struct RenderControl {
    std::atomic<std::uint8_t> pauseFlag{0};
    std::atomic<std::uint8_t> playOnce{0};
    std::atomic<std::uint32_t> masterVolume{32768};
    std::uint32_t writeSegment = 0;  // 0..15, the next ring segment to render
    LevelLog levelLog;

    // A tool's end of the song, instead of looping (0 rows: none). Set while
    // no output thread runs. Without a jump, the song ends after endRows row
    // starts (the song scan's pass); after a jump, once the row at
    // endPosition ((order << 16) | row) has played. The rest is silence.
    std::uint32_t endRows = 0;
    std::uint32_t endPosition = 0;
    // The renderer's own count towards that end.
    std::uint32_t rowsStarted = 0;
    std::uint64_t songFrames = 0;  // rendered, pauses not counted
    bool jumped = false;
    bool songOver = false;
};

inline constexpr std::uint32_t kRingSegments = 16;  // 16 x 1024 frames = 65536 bytes
inline constexpr std::uint32_t kSegmentSamples = 2 * kSegmentFrames;

// SetMasterVolume's levels 0..25 (2 dB apart from 1 on, 25 = unity).
inline constexpr std::uint32_t kMasterVolumeTable[26] = {
    1,    130,  164,  207,  260,  328,  413,  519,  654,   823,   1036,  1305,  1642,
    2068, 2603, 3277, 4125, 5193, 6538, 8231, 10362, 13045, 16423, 20675, 26029, 32768};
std::uint32_t MasterVolumeForLevel(std::uint32_t level);

enum class SegmentOutcome { Rendered, SongEnded };

// Renders ring segment control.writeSegment into ring (int16, 16 x 2048
// samples): the song's frames (ticks and mix), elapsed time, the LevelLog,
// the conversion to 16 bits and the write index advance.
// Returns SongEnded, without finishing the segment, when play-once reaches
// the song's end; the caller then tears the player down.
SegmentOutcome RenderSegment(Play& play, MixBuffer& mix, RenderControl& control, std::int16_t* ring);

}  // namespace zumbrik
