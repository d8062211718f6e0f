#pragma once
#include <cstdint>

#include "player/song/song_records.h"

namespace zumbrik {

// A cell as the S3M loader first reads it: the note already as an XM note
// (or kS3mNoteCut), the volume as the volume column's set-volume command,
// the effect still as its letter (1 = A .. 26 = Z) with its parameter.
inline constexpr std::uint8_t kS3mNoteCut = 0xFE;

// What a channel remembers between cells: the last non-zero parameter of
// the effects that share one memory (D, E, F, I, J, K, L, Q, R).
struct S3mChannelMemory {
    std::uint8_t shared = 0;
};

// Where each order of the file lies once markers are gone, for position jumps.
struct S3mOrderMap {
    const std::uint8_t* newIndex;  // by the file's order index
    int count;
};

// Turns a cell read as above into one the engine plays: the letter becomes
// the XM effect with the same work, a parameter of 0 takes the channel's
// shared memory, fine and extra-fine slides (DxF, DFy, EEx, EFx, FEx, FFx)
// become their XM forms, a note cut sets the volume to 0.
void ConvertS3mCell(PatternCell& cell, S3mChannelMemory& memory, S3mOrderMap orders);

}  // namespace zumbrik
