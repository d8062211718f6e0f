#pragma once
#include <cstdint>

namespace zumbrik {

// Every render runs in segments of this many frames, counted from the start
// of the play: the mixer's runs end at segment and tick boundaries only, so
// the same play gives the same samples whoever asks for how many frames.
inline constexpr int kSegmentFrames = 1024;

// The accumulators of one segment (left, right per frame). While a module
// loads from a file the same 8 KB serve as the file cache.
union MixBuffer {
    std::int32_t accumulators[kSegmentFrames * 2];
    std::uint8_t fileCache[8192];
};
static_assert(sizeof(MixBuffer) == 8192);

}  // namespace zumbrik
