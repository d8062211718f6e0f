#pragma once
#include <cstdint>

#include "player/song/song_records.h"

namespace zumbrik {

// Where the song ends, found by following only its flow (jumps, breaks,
// pattern loops, pattern delays, speed and tempo) as the sequencer plays it.
// A pass ends at the last row before the song returns to a row it has
// already played in the same flow play, or at the row on which it runs off
// its last order. Later passes go on as the looping sequencer does and end
// the same way, counting from where the previous one ended.
struct SongScan {
    std::uint64_t frames = 0;     // the rendered length of the passes, exact
    std::uint64_t rowStarts = 0;  // rows the passes play (a repeated row counts each time)
    std::int32_t endOrder = 0;    // the last row played
    std::int32_t endRow = 0;
    bool ranOffEnd = false;       // the last pass ended by running off its last order
    // The scan stopped at kMaxRowStarts before finding the end: frames and
    // rowStarts then count what was scanned, and the end is unknown.
    bool capped = false;
};

// 256 orders of 256 rows, four times over: room for pattern loops.
inline constexpr std::uint64_t kMaxScanRowStarts = std::uint64_t{4} * 256 * 256;

// Scans a song from its start, its time counted at an output rate. passes >= 1.
SongScan ScanSong(const Song& song, std::uint32_t passes = 1, std::uint32_t outputRate = 48000);

}  // namespace zumbrik
