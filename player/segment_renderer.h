#pragma once
#include <atomic>
#include <cstdint>

#include "player/player_records.h"

namespace zumbrik {

struct LevelLogEntry {
    std::atomic<std::uint32_t> levels;    // (mean |left| << 16) | mean |right|
    std::atomic<std::uint32_t> position;  // (order << 16) | row
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
};

inline constexpr std::uint32_t kRingSegments = 16;  // 16 x 1024 frames = 65536 bytes
inline constexpr std::uint32_t kSegmentSamples = 2 * kSegmentFrames;
inline constexpr std::uint32_t kUnityVolume = 32768;

// SetMasterVolume's levels 0..25 (2 dB apart from 1 on, 25 = unity).
inline constexpr std::uint32_t kMasterVolumeTable[26] = {
    1,    130,  164,  207,  260,  328,  413,  519,  654,   823,   1036,  1305,  1642,
    2068, 2603, 3277, 4125, 5193, 6538, 8231, 10362, 13045, 16423, 20675, 26029, 32768};
std::uint32_t MasterVolumeForLevel(std::uint32_t level);

enum class SegmentOutcome { Rendered, SongEnded };

// Renders ring segment control.writeSegment into ring (int16, 16 x 2048
// samples): the ticks with their row or tick processing, the mix, elapsed
// time, the LevelLog, the conversion to 16 bits and the write index advance.
// Returns SongEnded, without finishing the segment, when play-once reaches
// the song's end; the caller then tears the player down.
SegmentOutcome RenderSegment(PlayerState& state, MixBuffer& mix, RenderControl& control, std::int16_t* ring);

// |a| in units of one full-scale voice (16320 = 64 x 255), rounded half up
// and saturated at 32767: |a| / 64 first, then / 255 by shifts and adds
// with one correction step (checked against the plain division for every
// magnitude up to 2^31). It vectorises, where a 32-bit division does not.
inline std::uint32_t VoiceUnits(std::uint32_t magnitude) {
    // Past the first shift every value is below 2^26, so signed lanes serve.
    constexpr std::int32_t kSaturated = 255 * 32767 + 254;  // the largest sixty-fourths giving 32767
    std::int32_t sixtyFourths = static_cast<std::int32_t>((magnitude + 8160) >> 6);  // + 16320 / 2, then / 64
    sixtyFourths = sixtyFourths < kSaturated ? sixtyFourths : kSaturated;
    std::int32_t units = (sixtyFourths + (sixtyFourths >> 8) + (sixtyFourths >> 16) + 1) >> 8;  // at most 1 short
    const std::int32_t remainder = sixtyFourths - (units * 255);
    units += remainder >= 255 ? 1 : 0;
    return static_cast<std::uint32_t>(units);
}

// One accumulator to a sample: |a| / 16320 rounded half up, saturated at
// 32767, scaled by the master volume (32768 = unity; more counts as unity),
// with a's sign. Branch-free: audio changes sign too often to predict.
inline std::int16_t ConvertAccumulator(std::int32_t accumulator, std::uint32_t masterVolume) {
    const std::uint32_t volume = masterVolume < kUnityVolume ? masterVolume : kUnityVolume;
    const std::uint32_t sign = accumulator < 0 ? 0xFFFFFFFFu : 0u;
    const std::uint32_t magnitude = (static_cast<std::uint32_t>(accumulator) ^ sign) - sign;
    const std::uint32_t v = (VoiceUnits(magnitude) * volume) >> 15;
    return static_cast<std::int16_t>((v ^ sign) - sign);
}

// Converts `count` accumulators into samples.
void ConvertAccumulators(const std::int32_t* accumulators, std::int16_t* samples, std::uint32_t count,
                         std::uint32_t masterVolume);

// What rendering counts besides the song position.
struct SongClock {
    std::uint32_t elapsedMs = 0;
    std::uint32_t songEnds = 0;  // times the song ran off its last order (looping or not)
};

// Starts the next tick: takes the pending position and runs the row on a
// row tick, else the tick effects; counts the tick and gives it its length.
// False when play-once reaches the song's end.
bool StartTick(PlayerState& state, bool playOnce, SongClock& clock);

// Runs `frames` frames of the song into the accumulators (left, right per
// frame); false when play-once reaches the song's end. The segment
// renderer's middle step, exposed for tools that need no ring.
bool RenderFrames(PlayerState& state, std::int32_t* accumulators, std::uint32_t frames, bool playOnce,
                  SongClock& clock);

}  // namespace zumbrik
