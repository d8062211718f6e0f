#pragma once
#include <cstdint>

#include "player/engine/play_records.h"

namespace zumbrik {

inline constexpr std::uint32_t kFloorFrequency = 40;

// Period of a real note (cell note - 1 + relative note, any signed value).
std::int32_t LinearPeriod(std::int32_t realNote, std::int32_t finetune);
std::int32_t AmigaPeriod(std::int32_t realNote, std::int32_t finetune);
// By moduleFlags bit 0 (set: linear).
std::int32_t NotePeriod(const Play& play, std::int32_t realNote, std::int32_t finetune);

// The period of a note (0 is C-0) on a sample whose C-4 plays at c2Speed Hz:
// 1712 x 8363 / c2Speed at C-4, in steps 2^shift times as fine.
std::int32_t C2SpeedPeriod(std::int32_t note, std::uint32_t c2Speed, int shift = 0);
// The period a note starts at on the sample: NotePeriod with the sample's
// finetune, or C2SpeedPeriod where the song's behaviour asks for it.
std::int32_t SampleNotePeriod(const Play& play, std::int32_t realNote, const SampleRecord& sample);

// Playback frequency in Hz of period + periodDelta.
std::uint32_t LinearFrequency(std::int32_t period, std::int32_t periodDelta);
std::uint32_t AmigaFrequency(std::int32_t period, std::int32_t periodDelta);
std::uint32_t PeriodFrequency(const Play& play, std::int32_t period, std::int32_t periodDelta);

// Sample frames per output frame at an output rate, in 32.32 fixed point.
struct Step {
    std::uint32_t integer;
    std::uint32_t fraction;
};
Step FrequencyStep(std::uint32_t frequency, std::uint32_t rate = 48000);

}  // namespace zumbrik
