#include "player/engine/pitch.h"

#include <algorithm>
#include <cmath>

namespace zumbrik {

namespace {

constexpr double kReferenceFrequency = 8363.0;
constexpr std::int64_t kAmigaNumerator = 14317456;  // 8363 x 1712
// The PAL Amiga's clock, 3546895 Hz, for periods four times as fine.
constexpr std::int64_t kPalAmigaNumerator = 4 * 3546895;
// The constants are single-precision on purpose: the periods and frequencies
// they give are the ones the music was tuned against.
constexpr float kTwelfth = 0.083333336f;
constexpr float kSemitoneStep = 0.0013020834f;
constexpr double kHighestFrequency = 4294967295.0;

// P(k) = 13.375 x 2^((132 - k) / 12), rounded to the nearest integer.
std::int64_t AmigaNotePeriod(std::int64_t note) {
    const double period = 13.375 * std::exp2(static_cast<double>(132 - note) * static_cast<double>(kTwelfth));
    return static_cast<std::int64_t>(std::floor(period + 0.5));
}

std::uint32_t RoundFrequency(double frequency) {
    if (!(frequency < kHighestFrequency)) {
        return 0xFFFFFFFFu;
    }
    return static_cast<std::uint32_t>(std::floor(frequency + 0.5));
}

bool FinePeriods(const Play& play) { return (play.song->behaviour & kBehaviourFinePeriods) != 0; }

}  // namespace

std::int32_t LinearPeriod(std::int32_t realNote, std::int32_t finetune) {
    return 7680 - 64 * realNote - finetune / 2;
}

// Note 0 with a negative finetune takes its step from P(-1), the same
// exponential one note further down: every note is treated alike.
std::int32_t AmigaPeriod(std::int32_t realNote, std::int32_t finetune) {
    const std::int64_t here = AmigaNotePeriod(realNote);
    std::int64_t period;
    if (finetune >= 0) {
        period = here + (finetune * (AmigaNotePeriod(static_cast<std::int64_t>(realNote) + 1) - here)) / 128;
    } else {
        period = here + (finetune * (here - AmigaNotePeriod(static_cast<std::int64_t>(realNote) - 1))) / 128;
    }
    return static_cast<std::int32_t>(period);
}

std::int32_t NotePeriod(const Play& play, std::int32_t realNote, std::int32_t finetune) {
    if ((play.song->moduleFlags & 1) != 0) return LinearPeriod(realNote, finetune);
    return AmigaPeriod(realNote, finetune);
}

std::int32_t C2SpeedPeriod(std::int32_t note, std::uint32_t c2Speed, int shift) {
    const double speed = c2Speed == 0 ? 8363.0 : c2Speed;
    const double period = std::ldexp(8363.0 * 1712.0 / speed * std::exp2((48 - note) / 12.0), shift);
    return static_cast<std::int32_t>(std::floor(std::min(period, 1073741823.0) + 0.5));
}

std::int32_t SampleNotePeriod(const Play& play, std::int32_t realNote, const SampleRecord& sample) {
    if ((play.song->moduleFlags & 1) == 0 && (play.song->behaviour & kBehaviourC2SpeedPeriods) != 0) {
        return C2SpeedPeriod(realNote - sample.relativeNote, sample.c2Speed, FinePeriods(play) ? kFinePeriodShift : 0);
    }
    return NotePeriod(play, realNote, FinetuneOf(play, sample));
}

std::uint32_t LinearFrequency(std::int32_t period, std::int32_t periodDelta) {
    if (static_cast<std::int64_t>(period) + periodDelta <= 0) {
        return kFloorFrequency;
    }
    // Here a positive periodDelta raises the pitch.
    const double units = static_cast<double>(4608 - static_cast<std::int64_t>(period) + periodDelta);
    return RoundFrequency(kReferenceFrequency * std::exp2(units * static_cast<double>(kSemitoneStep)));
}

std::uint32_t AmigaFrequency(std::int32_t period, std::int32_t periodDelta) {
    const std::int64_t q = static_cast<std::int64_t>(period) + periodDelta;
    if (q <= 0) {
        return kFloorFrequency;
    }
    return static_cast<std::uint32_t>(kAmigaNumerator / q);
}

std::uint32_t PeriodFrequency(const Play& play, std::int32_t period, std::int32_t periodDelta) {
    if ((play.song->moduleFlags & 1) != 0) return LinearFrequency(period, periodDelta);
    const std::int64_t q = static_cast<std::int64_t>(period) + periodDelta;
    if ((play.song->behaviour & kBehaviourPalClock) != 0) {
        return q <= 0 ? kFloorFrequency : static_cast<std::uint32_t>(kPalAmigaNumerator / q);
    }
    if (FinePeriods(play)) {
        return q <= 0 ? kFloorFrequency : static_cast<std::uint32_t>((kAmigaNumerator << kFinePeriodShift) / q);
    }
    return AmigaFrequency(period, periodDelta);
}

Step FrequencyStep(std::uint32_t frequency, std::uint32_t rate) {
    const std::uint64_t remainder = frequency % rate;
    return Step{frequency / rate, static_cast<std::uint32_t>((remainder << 32) / rate)};
}

}  // namespace zumbrik
