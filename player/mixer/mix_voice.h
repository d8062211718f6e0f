#pragma once
#include <cstdint>

#include "player/song/song_records.h"

namespace zumbrik {

// One of the two voices of a channel; the mixer reads the first block and
// owns position, ramp state and direction.
struct MixVoice {
    std::uint32_t volume;  // 0..127
    std::uint32_t panning;  // 0 left .. 255 right
    std::uint32_t startOffset;
    std::uint32_t targetRight;  // 255 is unity gain
    std::uint32_t targetLeft;
    std::uint32_t position;
    std::uint32_t stepFraction;
    std::uint32_t stepInteger;
    std::uint32_t rampTargets;
    std::int32_t rampStepRight;
    std::int32_t rampStepLeft;
    const SampleRecord* sample;  // null: idle
    std::uint32_t positionFraction;
    std::int32_t currentRight;  // x 128
    std::int32_t currentLeft;
    std::uint16_t rampFramesLeft;
    std::uint8_t backwards;
};

}  // namespace zumbrik
